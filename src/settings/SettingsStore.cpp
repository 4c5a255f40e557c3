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
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <cstring>
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
    // Why the settings folder cannot be made, found by the current hold; empty when it is there.
    QString unsavable;
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

// The user's configuration folder: an absolute XDG_CONFIG_HOME, else ~/.config; empty when
// neither names one. A relative XDG_CONFIG_HOME is ignored, as the XDG rules ask.
QString configHome()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME"), home = qEnvironmentVariable("HOME");
    return QDir::isAbsolutePath(xdg)    ? xdg
           : QDir::isAbsolutePath(home) ? QDir::cleanPath(home + QStringLiteral("/.config"))
                                        : QString();
}

// Makes the settings folder, and the folders above it, when it is missing; says why it cannot be.
QString makeFolder(const QString &folder)
{
    if (folder.isEmpty())
        return QStringLiteral("neither XDG_CONFIG_HOME nor HOME names the user's configuration folder");
    const QByteArray path = QFile::encodeName(folder);
    const auto isFolder = [&path] {
        struct stat status {};
        return ::stat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode);
    };
    const auto cannot = [&folder](const char *why) {
        return QStringLiteral("the folder %1 cannot be created (%2)")
            .arg(QDir::toNativeSeparators(folder), QString::fromLocal8Bit(why));
    };
    if (isFolder())
        return {};
    for (qsizetype end = path.indexOf('/', 1);; end = path.indexOf('/', end + 1)) {
        // The folder of the settings is the user's own; those above it are made as any other.
        const QByteArray part = end < 0 ? path : path.left(end);
        if (::mkdir(part.constData(), end < 0 ? 0700 : 0777) != 0 && errno != EEXIST)
            return cannot(std::strerror(errno));
        if (end < 0)
            break;
    }
    return isFolder() ? QString() : cannot("a file has its name");
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
        const QString home = configHome();
        folder = ::access(QFile::encodeName(program).constData(), W_OK) == 0 ? program
                 : home.isEmpty() ? QString()
                                  : home + QLatin1Char('/') + QString::fromLatin1(AppInfo::kTitle);
    }
    return folder;
}

QString settingsFilePath()
{
    const QString folder = settingsFolder();
    return folder.isEmpty() ? QString()
                            : folder + QLatin1Char('/') + QString::fromLatin1(AppInfo::kTitle) + QStringLiteral(".ini");
}

SettingsLock::SettingsLock()
{
    LockHold &hold = lockHold();
    hold.threads.lock();
    if (hold.depth++ > 0)
        return;
    const QString folder = settingsFolder();
    hold.unsavable = folder == ProgramFolder::path() ? QString() : makeFolder(folder);
    if (!hold.unsavable.isEmpty())
        return;
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
            if (!lockHold().unsavable.isEmpty())
                raiseFailure(Failure::PathNotFound,
                             QStringLiteral("Settings cannot be saved this run: ") + lockHold().unsavable);
            ProfileFile::write(settingsFilePath(), kSection, key, value);
        } catch (const Failure &failure) {
            if (!toldBefore("write ", failure))
                throw;
        }
    });
}
