#include "review/PendingFiles.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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
    // Hidden, in the target's folder (a rename within one file system is whole), and unique.
    const QFileInfo info(target);
    QByteArray pattern = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + ".XXXXXX.part";
    const int fd = ::mkstemps(pattern.data(), 5);
    if (fd < 0)
        return {};
    ::close(fd);
    mTemporary.append(QFile::decodeName(pattern));
    mTargets.append(info.absoluteFilePath());
    return mTemporary.last();
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
