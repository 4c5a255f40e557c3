#include "settings/SettingsStore.h"

#include "AppInfo.h"
#include "errors/FailurePatterns.h"
#include "settings/ProfileFile.h"

#include <QCoreApplication>

namespace {

QString &programFolderOverride()
{
    static QString folder;
    return folder;
}

const QString kSection = QString::fromLatin1(AppInfo::kTitle);
// What a read returns for a key that is not there; it never reaches the caller.
const QString kMissingValue = QStringLiteral("DUMMY_REGISTRY_VALUE");
constexpr int kValueBufferSize = 1000;

} // namespace

namespace ProgramFolder {

QString path()
{
    const QString &folder = programFolderOverride();
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

void setOverride(const QString &folder)
{
    programFolderOverride() = folder;
}

} // namespace ProgramFolder

QString settingsFilePath()
{
    return ProgramFolder::path() + QLatin1Char('/') + QString::fromLatin1(AppInfo::kTitle) + QStringLiteral(".ini");
}

QString GetConfigValue(const QString &key)
{
    QString value;
    messageBoxOnFailure("GetConfigValue: ", [&] {
        const QString text = ProfileFile::read(settingsFilePath(), kSection, key, kMissingValue, kValueBufferSize);
        if (text != kMissingValue)
            value = text;
    });
    return value;
}

void SetConfigValue(const QString &key, const QString &value)
{
    messageBoxOnFailure("SetConfigValue: ", [&] { ProfileFile::write(settingsFilePath(), kSection, key, value); });
}
