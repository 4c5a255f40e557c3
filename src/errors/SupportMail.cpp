#include "errors/SupportMail.h"

#include "AppInfo.h"
#include "errors/Failure.h"
#include "errors/FailurePatterns.h"

#include <QDesktopServices>
#include <QUrl>

namespace SupportMail {
namespace {

// The support address, scrambled so that the plain text never stands in the program's data.
const char *const kStoredRecipient = "vjspn{eErv{drj1zngit";

ShellOpener &shellOpener()
{
    static ShellOpener opener;
    return opener;
}

// Texts are walked with a 16-bit position counter, as the stored form allows.
void checkLength(const QString &text)
{
    if (text.size() >= 32767)
        raiseFailure(Failure::Overflow);
}

int singleByteCode(QChar c)
{
    return c.unicode() <= 0xFF ? c.unicode() : int('?');
}

// Moves the character at position i (from 1) by 3 + (i mod 3) in the given direction.
QString shiftText(const QString &text, int direction)
{
    checkLength(text);
    QString out(text.size(), QChar());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int position = int(i) + 1;
        out[i] = QChar(char16_t(singleByteCode(text[i]) + direction * (3 + position % 3)));
    }
    return out;
}

} // namespace

QString GetVersionText()
{
    return QStringLiteral("%1 v%2.%3.%4")
        .arg(QLatin1String(AppInfo::kTitle))
        .arg(AppInfo::kVersionMajor)
        .arg(AppInfo::kVersionMinor)
        .arg(AppInfo::kVersionRevision);
}

QString EncodeMailText(const QString &text)
{
    checkLength(text);
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u >= 32 && u <= 126 && u != '&') {
            out += c;
        } else {
            out += QStringLiteral("%%1").arg(singleByteCode(c) & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
        }
    }
    return out;
}

QString UnscrambleText(const QString &text)
{
    return shiftText(text, -1);
}

QString ScrambleText(const QString &text)
{
    return shiftText(text, +1);
}

QString Recipient()
{
    return UnscrambleText(QString::fromLatin1(kStoredRecipient));
}

QString ComposeMailAddress(const QString &subject, const QString &body)
{
    QString recipient, encodedSubject, encodedBody;
    ignoreFailure([&] { recipient = Recipient(); });
    ignoreFailure([&] { encodedSubject = EncodeMailText(subject); });
    ignoreFailure([&] { encodedBody = EncodeMailText(body); });
    return QStringLiteral("mailto:") + recipient + QStringLiteral("&Subject=") + encodedSubject +
           QStringLiteral("&Body=") + encodedBody;
}

void SendMail(const QString &subject, const QString &body)
{
    QString address;
    ignoreFailure([&] { address = ComposeMailAddress(subject, body); });
    ignoreFailure([&] {
        if (shellOpener())
            shellOpener()(address);
        else
            QDesktopServices::openUrl(QUrl::fromEncoded(address.toLatin1(), QUrl::TolerantMode));
    });
}

ShellOpener setShellOpener(ShellOpener opener)
{
    ShellOpener old = std::move(shellOpener());
    shellOpener() = std::move(opener);
    return old;
}

} // namespace SupportMail
