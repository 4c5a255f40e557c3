#include "settings/Numbers.h"

#include "errors/Failure.h"

#include <QLocale>
#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <limits>

namespace Numbers {
namespace {

QString localeDecimalPoint()
{
    return QLocale().decimalPoint();
}

// The trimmed text with the locale's decimal separator turned into '.', or an empty
// string when the text is not a number.
QByteArray normalisedNumber(const QString &text)
{
    const QString point = localeDecimalPoint();
    const QString separators = point == QLatin1String(".")
                                   ? QStringLiteral("\\.")
                                   : QStringLiteral("[.%1]").arg(QRegularExpression::escape(point));
    const QRegularExpression pattern(
        QStringLiteral("^[+-]?([0-9]+(%1[0-9]*)?|%1[0-9]+)([eE][+-]?[0-9]+)?$").arg(separators));
    QString trimmed = text.trimmed();
    if (!pattern.match(trimmed).hasMatch())
        return {};
    if (point != QLatin1String("."))
        trimmed.replace(point, QLatin1String("."));
    return trimmed.toLatin1();
}

double roundHalfToEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5)
        return below + 1;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

template <class Int>
Int toInteger(double value, std::source_location where)
{
    if (!std::isfinite(value))
        raiseFailure(Failure::Overflow, where);
    const double rounded = roundHalfToEven(value);
    if (rounded < double(std::numeric_limits<Int>::min()) || rounded > double(std::numeric_limits<Int>::max()))
        raiseFailure(Failure::Overflow, where);
    return static_cast<Int>(rounded);
}

template <class Real>
QString shortest(Real value)
{
    char buffer[400];
    const Real magnitude = std::fabs(value);
    const bool ordinary = magnitude == 0 || (magnitude >= Real(1e-5) && magnitude < Real(1e15));
    const auto result = ordinary ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
                                 : std::to_chars(buffer, buffer + sizeof buffer, value);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    const QString point = localeDecimalPoint();
    if (point != QLatin1String("."))
        text.replace(QLatin1Char('.'), point);
    return text;
}

} // namespace

bool readsAsNumber(const QString &text)
{
    return !normalisedNumber(text).isEmpty();
}

double toDouble(const QString &text, std::source_location where)
{
    const QByteArray number = normalisedNumber(text);
    if (number.isEmpty())
        raiseFailure(Failure::TypeMismatch, where);
    bool ok = false;
    const double value = QLocale::c().toDouble(QLatin1String(number), &ok);
    // A number too large for a double overflows; one too small to tell from zero reads as zero.
    if (!ok && std::isinf(value))
        raiseFailure(Failure::Overflow, where);
    return ok ? value : 0.0;
}

qint16 toInt16(double value, std::source_location where)
{
    return toInteger<qint16>(value, where);
}

qint32 toInt32(double value, std::source_location where)
{
    return toInteger<qint32>(value, where);
}

float toSingle(double value, std::source_location where)
{
    if (!std::isfinite(value) || std::fabs(value) > double(std::numeric_limits<float>::max()))
        raiseFailure(Failure::Overflow, where);
    return static_cast<float>(value);
}

qint16 textToInt16(const QString &text, std::source_location where)
{
    return toInt16(toDouble(text, where), where);
}

qint32 textToInt32(const QString &text, std::source_location where)
{
    return toInt32(toDouble(text, where), where);
}

float textToSingle(const QString &text, std::source_location where)
{
    return toSingle(toDouble(text, where), where);
}

QString shortestText(double value)
{
    return shortest(value);
}

QString shortestText(float value)
{
    return shortest(value);
}

} // namespace Numbers
