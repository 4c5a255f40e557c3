#pragma once
// Saving what the user has seen: the ring's snapshots as a clip, an animated picture or
// pictures, and the picture shown as a PNG file. The snapshots are written off the UI
// thread from held copies of the ring's images (no pixels are copied; a capture meanwhile
// writes into fresh images), with a progress dialog that can cancel. Every image the
// writing held is let go of on the UI thread: a ring image may lie in memory shared with
// the X server, which only the UI thread may talk to. Failures are told in one message box.

#include "review/ClipWriter.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <memory>

class QProgressDialog;
class QThread;
class QWidget;
class SnapshotRing;

class SnapshotSaving : public QObject {
    Q_OBJECT
public:
    // Dialogs and messages open over window.
    explicit SnapshotSaving(QWidget &window);
    // A save under way is cancelled and waited for: it leaves no file.
    ~SnapshotSaving() override;

    // Asks for a name and a format and starts writing the ring's snapshots; an empty ring
    // is told instead. Does nothing while a save is under way.
    void saveSnapshots(const SnapshotRing &ring);
    // Asks for a name and writes the picture as PNG; no picture is told instead.
    void savePicture(const QImage &picture);
    // Puts the picture on the clipboard; no picture leaves it empty.
    static void copyPicture(const QImage &picture);
    bool busy() const { return bool(mJob); }

    // The ring's written snapshots, oldest first, with their stamps; blank slots left out.
    static QList<ClipWriter::Frame> snapshots(const SnapshotRing &ring);
    static QStringList snapshotFilters();

signals:
    // A save of snapshots ended: empty when the file is there, else what the user was told.
    void finished(const QString &message);

private:
    struct Job {
        QList<ClipWriter::Frame> frames;
        std::atomic<qsizetype> written{0};
        std::atomic<bool> cancel{false};
        QString message;
        std::unique_ptr<QThread> thread;
        QPointer<QProgressDialog> progress;
        ~Job();
    };
    void finish();

    QWidget &mWindow;
    std::unique_ptr<Job> mJob;
};
