#pragma once
// The open medium's file, held open from its opening. The engine takes a failed read for
// the end of the medium, so at the end the file is asked whether it can still be read to
// the last byte it had: a file whose name was removed can (its contents stay while held),
// a file cut short or one whose disk or network share went away cannot.

#include <QString>

#include <functional>

class QObject;

class MediumFile {
public:
    MediumFile() = default;
    ~MediumFile();
    MediumFile(const MediumFile &) = delete;
    MediumFile &operator=(const MediumFile &) = delete;

    // Holds the named file as it is now; a file that cannot be held is never asked.
    void open(const QString &path);
    void close();
    // Asks on a thread of its own, since a read from a share that went away can wait a
    // long time; answer (true: it reads to its end) runs later on the UI thread, unless
    // the receiver is gone by then.
    void askReadsToEnd(QObject *receiver, std::function<void(bool)> answer) const;

private:
    int mFd = -1;
    qint64 mSize = 0;
};
