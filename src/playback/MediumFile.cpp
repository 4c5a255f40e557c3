#include "playback/MediumFile.h"

#include "playback/LocalName.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

MediumFile::~MediumFile()
{
    close();
}

void MediumFile::open(const QString &path)
{
    close();
    // Never waits, even for a pipe put in the file's place since it was looked at.
    mFd = ::open(LocalName::toBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (mFd >= 0 && ::fstat(mFd, &info) == 0 && S_ISREG(info.st_mode))
        mSize = info.st_size;
}

void MediumFile::close()
{
    if (mFd >= 0)
        ::close(mFd);
    mFd = -1;
    mSize = 0;
}

void MediumFile::askReadsToEnd(QObject *receiver, std::function<void(bool)> answer) const
{
    const int fd = mFd >= 0 && mSize > 0 ? ::fcntl(mFd, F_DUPFD_CLOEXEC, 0) : -1;
    if (fd < 0)
        return;
    std::thread([fd, last = off_t(mSize - 1), to = QPointer<QObject>(receiver), answer = std::move(answer)] {
        // The page cache may still hold the last byte of a file whose disk has gone: its page
        // is dropped (only whole pages are), so that the byte is read from the disk.
        ::posix_fadvise(fd, last - last % ::sysconf(_SC_PAGESIZE), 0, POSIX_FADV_DONTNEED);
        char byte = 0;
        ssize_t read = 0;
        do
            read = ::pread(fd, &byte, 1, last);
        while (read < 0 && errno == EINTR);
        ::close(fd);
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [to, answer, whole = read == 1] { if (to) answer(whole); }, Qt::QueuedConnection);
    }).detach();
}
