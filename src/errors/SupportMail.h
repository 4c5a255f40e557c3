#pragma once
// Support mails: the program composes a "mailto:" address with subject and body and
// hands it to the desktop's mail program; it never sends mail itself.

#include <QString>

#include <functional>

namespace SupportMail {

// "Replixa v2.6.0": the subject of every mail.
QString GetVersionText();

// Copies printable ASCII except "&", "%" and "#"; everything else becomes "%" and two
// upper-case hex digits of each of its UTF-8 bytes. Texts of 32,767 characters or more
// fail with Overflow.
QString EncodeMailText(const QString &text);

// Lowers the character at position i (from 1) by 3 + (i mod 3).
QString UnscrambleText(const QString &text);

// The support address, unscrambled; it ends in "?".
QString Recipient();
// The About box's link captions, unscrambled.
QString webCaption();
QString emailCaption();
// The maker's web site.
inline constexpr const char *kWebSite = "https://www.orvane.example/";

// "mailto:" + recipient + "&Subject=" + encoded subject + "&Body=" + encoded body.
// A field whose step fails goes out empty.
QString ComposeMailAddress(const QString &subject, const QString &body);

// Composes the address and hands it to the desktop; every failure is ignored.
void SendMail(const QString &subject, const QString &body);

using ShellOpener = std::function<void(const QString &address)>;
// Tests replace the desktop's opener; returns the previous one (empty = the desktop).
ShellOpener setShellOpener(ShellOpener opener);

} // namespace SupportMail
