#include "settings/SettingsStore.h"

#include "AppInfo.h"
#include "errors/FailurePatterns.h"
#include "settings/ProfileFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRecursiveMutex>
#include <QThread>

#include <memory>
#include <sys/stat.h>

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

// The one hold of the settings lock this process has at a time.
struct LockHold {
    QRecursiveMutex threads;
    int depth = 0;
    std::unique_ptr<QLockFile> file;
    // Why writes under the current hold must not go ahead; empty when they may.
    QString refusal;
};

LockHold &lockHold()
{
    static LockHold hold;
    return hold;
}

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

SettingsLock::SettingsLock()
{
    LockHold &hold = lockHold();
    hold.threads.lock();
    if (hold.depth++ > 0)
        return;
    const QString path = settingsFilePath() + QStringLiteral(".lock");
    const QString shownPath = QDir::toNativeSeparators(path);
    // QLockFile reads a lock file it finds, and reading a pipe would wait for ever.
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode)) {
        hold.refusal = QStringLiteral("the settings lock is not a regular file (%1)").arg(shownPath);
        return;
    }
    auto file = std::make_unique<QLockFile>(path);
    // Asked often rather than with QLockFile's growing pauses, so that a copy waiting
    // behind another's brief write goes on soon after it.
    const QDeadlineTimer deadline(kWaitMs);
    while (!file->tryLock(0) && file->error() == QLockFile::LockFailedError && !deadline.hasExpired())
        QThread::msleep(10);
    if (file->isLocked())
        hold.file = std::move(file);
    else if (file->error() == QLockFile::LockFailedError)
        hold.refusal = QStringLiteral("another program has held the settings lock for more than %1 seconds (%2)")
                           .arg(kWaitMs / 1000)
                           .arg(shownPath);
}

SettingsLock::~SettingsLock()
{
    LockHold &hold = lockHold();
    if (--hold.depth == 0) {
        hold.file.reset(); // removes the lock file
        hold.refusal.clear();
    }
    hold.threads.unlock();
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
    messageBoxOnFailure("SetConfigValue: ", [&] {
        const SettingsLock lock;
        if (!lockHold().refusal.isEmpty())
            raiseFailure(Failure::PathFileAccess,
                         Failure::standardDescription(Failure::PathFileAccess) + QStringLiteral(": ")
                             + lockHold().refusal);
        ProfileFile::write(settingsFilePath(), kSection, key, value);
    });
}
