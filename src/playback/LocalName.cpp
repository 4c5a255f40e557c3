#include "playback/LocalName.h"

#include <QList>

#include <climits>

namespace {

// The length of the UTF-8 sequence at i, or 0 where none begins: a stray continuation
// byte, a cut sequence, an overlong form, a surrogate or a code point beyond U+10FFFF.
qsizetype sequenceAt(QByteArrayView bytes, qsizetype i)
{
    const uchar lead = uchar(bytes[i]);
    if (lead < 0x80)
        return 1;
    const qsizetype length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4                                   ? 4
                                                                                              : 0;
    if (length == 0 || i + length > bytes.size())
        return 0;
    const uchar second = uchar(bytes[i + 1]);
    const uchar low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const uchar high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (second < low || second > high)
        return 0;
    for (qsizetype k = 2; k < length; ++k) {
        if ((uchar(bytes[i + k]) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

bool keptByte(QStringView name, qsizetype i)
{
    const char16_t c = name[i].unicode();
    return c >= 0xDC80 && c <= 0xDCFF && (i == 0 || !name[i - 1].isHighSurrogate());
}

} // namespace

namespace LocalName {

QString fromBytes(QByteArrayView bytes)
{
    QString name;
    qsizetype start = 0; // of the UTF-8 not yet added
    for (qsizetype i = 0; i < bytes.size();) {
        if (const qsizetype length = sequenceAt(bytes, i)) {
            i += length;
            continue;
        }
        name += QString::fromUtf8(bytes.sliced(start, i - start));
        name += QChar(char16_t(0xDC00 + uchar(bytes[i])));
        start = ++i;
    }
    return name + QString::fromUtf8(bytes.sliced(start));
}

QByteArray toBytes(QStringView name)
{
    QByteArray bytes;
    qsizetype start = 0; // of the text not yet added
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!keptByte(name, i))
            continue;
        bytes += name.sliced(start, i - start).toUtf8();
        bytes += char(name[i].unicode() - 0xDC00);
        start = i + 1;
    }
    return bytes + name.sliced(start).toUtf8();
}

QString refusal(QStringView name)
{
    if (name.contains(QChar(0)))
        return QStringLiteral("The name holds a NUL character, which no file name can.");
    // Every character is a byte at least: a name of PATH_MAX characters is too long before
    // it is encoded.
    bool tooLong = name.size() >= PATH_MAX;
    const QByteArray bytes = tooLong ? QByteArray() : toBytes(name);
    tooLong = tooLong || bytes.size() >= PATH_MAX;
    for (const QByteArray &part : bytes.split('/'))
        tooLong = tooLong || part.size() > NAME_MAX;
    return tooLong ? QStringLiteral("The name is too long: this system allows %1 bytes for a path and %2 for "
                                    "each of its parts.")
                         .arg(PATH_MAX - 1)
                         .arg(NAME_MAX)
                   : QString();
}

QString shown(QStringView name)
{
    constexpr qsizetype half = kShownLength / 2;
    QString text = name.toString();
    if (text.size() > kShownLength)
        text = text.first(half) + QChar(0x2026) + text.last(half);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool cut = c.isHighSurrogate() ? i + 1 == text.size() || !text[i + 1].isLowSurrogate()
                                             : c.isLowSurrogate() && (i == 0 || !text[i - 1].isHighSurrogate());
        if (cut || c.unicode() < 0x20 || c.unicode() == 0x7F)
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace LocalName
