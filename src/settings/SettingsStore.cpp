#include "settings/SettingsStore.h"

#include "AppInfo.h"
#include "errors/FailurePatterns.h"
#include "settings/ProfileFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QRecursiveMutex>
#include <QSet>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

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
// A copy holds the lock for a moment only: a lock this old whose holder cannot be asked was
// left by a copy that ended between making it and writing its holder, or on another machine.
constexpr qint64 kStaleMs = 3000;

// The one hold of the settings lock this process has at a time.
struct LockHold {
    QRecursiveMutex threads;
    int depth = 0;
    std::unique_ptr<QLockFile> file;
    // The lock file this run has given up on, told once: the writes go on without it.
    QString givenUp;
};

LockHold &lockHold()
{
    static LockHold hold;
    return hold;
}

// Whether the lock's holder cannot be asked whether it still runs: the file names none
// (empty, garbage) or another machine's.
bool unjudgeable(const QLockFile &file)
{
    qint64 pid = 0;
    QString host, application;
    return !file.getLockInfo(&pid, &host, &application) || (!host.isEmpty() && host != QSysInfo::machineHostName());
}

void giveUp(LockHold &hold, const QString &path, const QString &why)
{
    hold.givenUp = path;
    MessageBox::show(QStringLiteral("The settings lock %1 %2, so the settings are written without it until "
                                    "Replixa ends.")
                         .arg(QDir::toNativeSeparators(path), why),
                     MessageBox::Icon::Warning);
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

QString settingsFolder()
{
    static QMutex guard;
    static QString decidedFor, folder;
    const QString program = ProgramFolder::path();
    const QMutexLocker locked(&guard);
    if (program != decidedFor) {
        decidedFor = program;
        // access() also knows a read-only file system, which refuses even root.
        folder = ::access(QFile::encodeName(program).constData(), W_OK) == 0
                     ? program
                     : QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/')
                           + QString::fromLatin1(AppInfo::kTitle);
    }
    return folder;
}

QString settingsFilePath()
{
    return settingsFolder() + QLatin1Char('/') + QString::fromLatin1(AppInfo::kTitle) + QStringLiteral(".ini");
}

SettingsLock::SettingsLock()
{
    LockHold &hold = lockHold();
    hold.threads.lock();
    if (hold.depth++ > 0)
        return;
    if (const QString folder = settingsFolder(); folder != ProgramFolder::path() && !QFileInfo::exists(folder)) {
        QDir().mkpath(QFileInfo(folder).path());
        QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QString path = settingsFilePath() + QStringLiteral(".lock");
    if (hold.givenUp == path)
        return;
    // QLockFile reads a lock file it finds, and reading a pipe would wait for ever.
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode)) {
        giveUp(hold, path, QStringLiteral("is not a regular file"));
        return;
    }
    auto file = std::make_unique<QLockFile>(path);
    // Asked often rather than with QLockFile's growing pauses, so that a copy waiting
    // behind another's brief write goes on soon after it.
    const QDeadlineTimer deadline(kWaitMs);
    while (!file->tryLock(0) && file->error() == QLockFile::LockFailedError && !deadline.hasExpired()) {
        const bool stale = unjudgeable(*file)
                           && QFileInfo(path).lastModified().msecsTo(QDateTime::currentDateTime()) > kStaleMs;
        if (!stale || !file->removeStaleLockFile())
            QThread::msleep(10);
    }
    if (file->isLocked())
        hold.file = std::move(file);
    else if (file->error() == QLockFile::LockFailedError)
        giveUp(hold, path,
               QStringLiteral("has been held by another program for more than %1 seconds").arg(kWaitMs / 1000));
}

SettingsLock::~SettingsLock()
{
    LockHold &hold = lockHold();
    if (--hold.depth == 0)
        hold.file.reset(); // removes the lock file
    hold.threads.unlock();
}

namespace {

// Whether this failure of the settings file has been told before in the run. A file that
// cannot be read or written is told once for each way it fails (by the failure's number):
// a run would otherwise bring a row of boxes, one for every value read at start-up or
// saved at exit.
bool toldBefore(const char *access, const Failure &failure)
{
    static QMutex guard;
    static QSet<QString> told;
    const QMutexLocker locked(&guard);
    const int number = failure.number();
    const bool fileFailure = number == Failure::PermissionDenied || number == Failure::PathFileAccess
                             || number == Failure::PathNotFound || number == Failure::DiskFull;
    const QString kind = QString::fromLatin1(access) + QString::number(number) + QLatin1Char(' ') + settingsFilePath();
    if (!fileFailure)
        return false;
    if (told.contains(kind))
        return true;
    told.insert(kind);
    return false;
}

} // namespace

QString GetConfigValue(const QString &key)
{
    QString value;
    messageBoxOnFailure("GetConfigValue: ", [&] {
        try {
            const QString text = ProfileFile::read(settingsFilePath(), kSection, key, kMissingValue, kValueBufferSize);
            if (text != kMissingValue)
                value = text;
        } catch (const Failure &failure) {
            if (!toldBefore("read ", failure))
                throw;
        }
    });
    return value;
}

void SetConfigValue(const QString &key, const QString &value)
{
    messageBoxOnFailure("SetConfigValue: ", [&] {
        try {
            const SettingsLock lock;
            ProfileFile::write(settingsFilePath(), kSection, key, value);
        } catch (const Failure &failure) {
            if (!toldBefore("write ", failure))
                throw;
        }
    });
}
