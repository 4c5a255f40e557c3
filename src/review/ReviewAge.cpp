#include "review/ReviewAge.h"

namespace ReviewAge {

double seconds(int playInterval, int pauseInterval, int offset)
{
    return -(double(playInterval) + double(pauseInterval)) * offset / 1000.0;
}

QString text(double seconds, const QLocale &locale)
{
    QString number = QString::number(seconds, 'g', 15);
    qsizetype point = number.indexOf(QLatin1Char('.'));
    if (point >= 0)
        number.replace(point, 1, locale.decimalPoint());
    else
        point = number.size();
    return number.left(std::max<qsizetype>(4, point)) + QStringLiteral(" sec");
}

QString framesBack(int frames)
{
    return QStringLiteral("-%1 fr").arg(frames);
}

QString frameTip(double seconds, const QLocale &locale)
{
    return locale.toString(seconds, 'f', 3) + QStringLiteral(" sec");
}

} // namespace ReviewAge
