#include "review/SnapshotView.h"

#include "playback/MediaPlayer.h"
#include "review/Capture.h"
#include "review/ReviewAge.h"
#include "review/ReviewPicture.h"
#include "review/SnapshotRing.h"

#include <QLabel>

SnapshotView::SnapshotView(SnapshotRing &ring, ReviewPicture &picture, const MediaPlayer &player, QLabel &age)
    : mRing(ring), mPicture(picture), mPlayer(player), mAge(age)
{
    mClock.start();
}

void SnapshotView::capture()
{
    if (!mEveryFrame)
        write(double(mClock.nsecsElapsed()) / 1e9);
}

void SnapshotView::captureFrame(double videoSeconds)
{
    // Every frame shown counts, the last one drawn after a pause and one a seek draws too: a
    // step back always starts from what the screen showed.
    if (mEveryFrame)
        write(videoSeconds);
}

void SnapshotView::write(double stamp)
{
    const qint32 slot = mRing.captureSlot();
    if (slot < 1)
        return; // an empty ring
    mRing.prepareForWriting(slot);
    Capture::videoArea(mPlayer, mPicture, mRing.slot(slot), mMirroring);
    mRing.markWritten(slot, stamp);
    mRing.setCaptureSlot(slot - 1 < 1 ? mRing.count() : slot - 1);
}

void SnapshotView::show(qint32 offset, double ageSeconds)
{
    if (offset < 0 || offset > mRing.count())
        return;
    QWidget *video = mPlayer.widget();
    if (offset == 0) {
        video->setVisible(true);
        mPicture.hide();
        mPicture.showBlack(); // no snapshot stays held for the captures to come
        mAge.setText(QStringLiteral("0 sec"));
        mAge.setToolTip(QString());
        return;
    }
    const qint32 slot = mRing.slotOfOffset(offset);
    const bool timed = mEveryFrame && mRing.isWritten(slot);
    const double stamped = timed ? mRing.stamp(slot) - mRing.stamp(mRing.slotOfOffset(1)) : 0;
    const bool framesBack = mEveryFrame && !mMirroring;
    // With every frame the newest snapshot is the frame on screen: the one before is one frame back.
    QString age = framesBack ? ReviewAge::framesBack(offset - 1) : ReviewAge::text(mEveryFrame ? stamped : ageSeconds);
    // Frames back always fit the label: past what its width holds, the number stands alone.
    if (framesBack && mAge.fontMetrics().horizontalAdvance(age) > mAge.width())
        age = QString::number(1 - offset);
    mAge.setText(age);
    mAge.setToolTip(timed ? ReviewAge::frameTip(stamped) : QString());
    video->setVisible(false);
    // The snapshot's own pixels are shown, not a copy of them.
    if (mRing.isWritten(slot))
        mPicture.showSnapshot(mRing.slot(slot));
    else if (mRing.isAllocated(slot))
        mPicture.showBlack(); // a slot not written since its allocation is blank
    mPicture.show();
    mPicture.raise();
    mPicture.present();
}

QImage SnapshotView::shownPicture() const
{
    // The live video is taken at the review picture's size as a capture takes it, so that
    // the picture is what the screen shows. A snapshot shown is taken as it is: a capture
    // never writes into a picture that is still held.
    if (mPlayer.widget()->isVisible())
        return Capture::newPicture(mPlayer, mPicture, mPicture.buffer().size());
    if (mPicture.isVisible())
        return mPicture.clipboardPicture();
    return {};
}
