#include "errors/SupportMail.h"

#include "AppInfo.h"
#include "errors/Failure.h"
#include "errors/FailurePatterns.h"

#include <QDesktopServices>
#include <QUrl>

namespace SupportMail {
namespace {

// The support address and the About box's two link captions, scrambled so that the plain
// texts never stand in the program's data. The address ends in "?", so that the
// "&Subject=" composed right behind it starts the address's fields.
const char *const kStoredRecipient = "vjspn{eErv{drj1i}dquoiD";
const char *const kStoredWebCaption = "{|z2tuzfqi3h|fptqh";
const char *const kStoredEmailCaption = "vjspn{eErv{drj1i}dquoi";

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
    // "%" and "#" are escaped too: a mail program decodes "%" and two hex digits, and
    // ends the address at "#". A character beyond ASCII goes byte by byte as UTF-8.
    const QByteArray bytes = text.toUtf8();
    QString out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = uchar(byte);
        if (code >= 32 && code <= 126 && code != '&' && code != '%' && code != '#')
            out += QLatin1Char(char(code));
        else
            out += QStringLiteral("%%1").arg(code, 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

QString UnscrambleText(const QString &text)
{
    checkLength(text);
    QString out(text.size(), QChar());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int code = text[i].unicode() - (3 + int(i + 1) % 3);
        if (code < 0)
            raiseFailure(Failure::InvalidCall);
        out[i] = QChar(char16_t(code));
    }
    return out;
}

QString Recipient()
{
    return UnscrambleText(QString::fromLatin1(kStoredRecipient));
}

QString webCaption()
{
    return UnscrambleText(QString::fromLatin1(kStoredWebCaption));
}

QString emailCaption()
{
    return UnscrambleText(QString::fromLatin1(kStoredEmailCaption));
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
