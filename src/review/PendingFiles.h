#pragma once
// Files that appear whole or not at all: each is written under a temporary name beside the
// name it is for, and all of them take their names at the end. Whatever has not taken its
// name when this goes is removed, so a failure or a cancel leaves nothing behind. Plain
// file calls only: it runs on any thread.

#include <QString>
#include <QStringList>

class PendingFiles {
public:
    PendingFiles() = default;
    PendingFiles(const PendingFiles &) = delete;
    PendingFiles &operator=(const PendingFiles &) = delete;
    ~PendingFiles();

    // Makes an empty file beside target to write it in and returns its name; an empty
    // string when none can be made, errno telling why.
    QString add(const QString &target);
    // Gives every file its target's name, replacing what had it. False (errno telling why)
    // when one cannot take it: every one of them, renamed or not, goes with this object.
    bool commit();

    // Writes bytes to a file; false with errno telling why.
    static bool writeAll(const QString &name, const QByteArray &bytes);
    // Why a file could not be written, in words for the user: a full disk, a folder that
    // cannot be written to or is gone, or the system's own words.
    static QString reason(int error);

private:
    QStringList mTemporary;
    QStringList mTargets;
    qsizetype mCommitted = 0;
};
