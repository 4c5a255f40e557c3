#include "review/SnapshotSaving.h"

#include "errors/MessageBox.h"
#include "review/SaveDialog.h"
#include "review/SnapshotRing.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

SnapshotSaving::SnapshotSaving(QWidget &window) : mWindow(window) {}

SnapshotSaving::~SnapshotSaving()
{
    if (mJob) {
        mJob->cancel = true;
        mJob->thread->wait();
    }
    mJob.reset(); // here, on the UI thread: the last holds of the snapshots go
}

SnapshotSaving::Job::~Job()
{
    delete progress.data();
}

QStringList SnapshotSaving::snapshotFilters()
{
    return {QStringLiteral("MP4 video (*.mp4)"), QStringLiteral("Animated GIF (*.gif)"),
            QStringLiteral("PNG pictures (*.png)")};
}

QList<ClipWriter::Frame> SnapshotSaving::snapshots(const SnapshotRing &ring)
{
    QList<ClipWriter::Frame> frames;
    for (qint32 offset = ring.count(); offset >= 1; --offset) {
        const qint32 slot = ring.slotOfOffset(offset);
        if (ring.isWritten(slot))
            frames.append({ring.slot(slot), ring.stamp(slot)});
    }
    return frames;
}

void SnapshotSaving::saveSnapshots(const SnapshotRing &ring)
{
    if (mJob)
        return;
    QList<ClipWriter::Frame> frames = snapshots(ring);
    if (frames.isEmpty()) {
        MessageBox::show(QStringLiteral("There are no snapshots to save yet: they are taken while a video plays."),
                         MessageBox::Icon::Information);
        return;
    }
    const QString target = SaveDialog::getSaveFileName(&mWindow, QStringLiteral("Save Snapshots"), snapshotFilters());
    const std::optional<ClipWriter::Format> format = ClipWriter::formatOf(target);
    if (target.isEmpty() || !format || mJob)
        return;

    mJob = std::make_unique<Job>();
    Job *job = mJob.get();
    job->frames = std::move(frames);
    const qsizetype count = job->frames.size();
    // The thread reads the frames and only ever drops copies of its own: the list keeps
    // every image until finish() lets go of it here.
    job->thread.reset(QThread::create([job, format, target] {
        job->message = ClipWriter::write(job->frames, *format, target, [job](qsizetype written) {
            job->written = written;
            return !job->cancel;
        });
    }));
    connect(job->thread.get(), &QThread::finished, this, &SnapshotSaving::finish, Qt::QueuedConnection);

    // Shown once the save takes half a second; the window goes on painting meanwhile.
    job->progress = new QProgressDialog(QStringLiteral("Saving \"%1\"...").arg(QFileInfo(target).fileName()),
                                        QStringLiteral("Cancel"), 0, int(count) + 1, &mWindow);
    job->progress->setWindowTitle(QStringLiteral("Save Snapshots"));
    job->progress->setWindowModality(Qt::WindowModal);
    job->progress->setMinimumWidth(360);
    job->progress->setMinimumDuration(500);
    job->progress->setAutoClose(false);
    job->progress->setAutoReset(false);
    job->progress->setValue(0);
    connect(job->progress, &QProgressDialog::canceled, this, [job] { job->cancel = true; });
    auto *tick = new QTimer(job->progress);
    // Never back to 0: that would start the half second again.
    connect(tick, &QTimer::timeout, job->progress, [job] {
        if (const int written = int(job->written.load()); written > 0)
            job->progress->setValue(written);
    });
    tick->start(100);
    job->thread->start();
}

void SnapshotSaving::finish()
{
    if (!mJob)
        return;
    mJob->thread->wait();
    const QString message = mJob->message;
    mJob.reset(); // the snapshots' last holds go on the UI thread
    if (!message.isEmpty())
        MessageBox::show(message, MessageBox::Icon::Warning);
    emit finished(message);
}

void SnapshotSaving::copyPicture(const QImage &picture)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    if (!picture.isNull())
        clipboard->setImage(picture);
}

void SnapshotSaving::savePicture(const QImage &picture)
{
    if (picture.isNull()) {
        MessageBox::show(QStringLiteral("There is no picture to save: open a video first."), MessageBox::Icon::Information);
        return;
    }
    const QString target =
        SaveDialog::getSaveFileName(&mWindow, QStringLiteral("Save Image"), {QStringLiteral("PNG picture (*.png)")});
    if (target.isEmpty())
        return;
    if (const QString message = ClipWriter::writePicture(picture, target); !message.isEmpty())
        MessageBox::show(message, MessageBox::Icon::Warning);
}
