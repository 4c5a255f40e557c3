#include "review/PendingFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

PendingFiles::~PendingFiles()
{
    const int error = errno; // the caller's reason outlives the clean-up
    for (qsizetype i = 0; i < mTemporary.size(); ++i)
        ::unlink(QFile::encodeName(i < mCommitted ? mTargets[i] : mTemporary[i]).constData());
    errno = error;
}

QString PendingFiles::add(const QString &target)
{
    // Hidden, in the target's folder (a rename within one file system is whole), unique, and
    // made as any new file is, so that the file keeps the user's permissions once named.
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral("%1/.%2.%3.part")
                                 .arg(info.absolutePath(), info.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            mTemporary.append(name);
            mTargets.append(info.absoluteFilePath());
            return name;
        }
        if (errno != EEXIST)
            break;
    }
    return {};
}

bool PendingFiles::commit()
{
    for (; mCommitted < mTemporary.size(); ++mCommitted) {
        if (std::rename(QFile::encodeName(mTemporary[mCommitted]).constData(),
                        QFile::encodeName(mTargets[mCommitted]).constData()) != 0)
            return false;
    }
    mTemporary.clear();
    mTargets.clear();
    mCommitted = 0;
    return true;
}

bool PendingFiles::writeAll(const QString &name, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return false;
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno != EINTR) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return false;
        }
        done += n > 0 ? n : 0;
    }
    return ::close(fd) == 0;
}

QString PendingFiles::reason(int error)
{
    switch (error) {
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return QStringLiteral("the disk is full");
    case EACCES:
    case EPERM:
    case EROFS: return QStringLiteral("the folder cannot be written to");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("the folder does not exist");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}
