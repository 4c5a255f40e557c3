#include "about/Help.h"

#include "errors/FailurePatterns.h"
#include "errors/SupportMail.h"
#include "settings/SettingsStore.h"

#include <QDesktopServices>
#include <QUrl>

namespace Help {

void showContents()
{
    const QString help = ProgramFolder::path() + QStringLiteral("/Replixa FAQ.htm");
    ignoreFailure([&] { QDesktopServices::openUrl(QUrl::fromLocalFile(help)); });
}

void writeMail()
{
    SupportMail::SendMail(SupportMail::GetVersionText(), QString());
}

} // namespace Help
