#pragma once
// What stands in the video's place: the live video, or a snapshot of the ring with its age
// beside the arrows; and the two pictures taken of it, the capture into the ring and the
// picture shown as Copy Image takes it. Snapshots are taken at the play timer's ticks, or
// with every frame on, as each video frame is drawn. Everything runs on the UI thread.

#include <QElapsedTimer>
#include <QImage>
#include <QString>

class MediaPlayer;
class QLabel;
class ReviewPicture;
class SnapshotRing;

class SnapshotView {
public:
    SnapshotView(SnapshotRing &ring, ReviewPicture &picture, const MediaPlayer &player, QLabel &age);

    // The play timer's tick: copies the video area into the ring's next slot, stamped with
    // the clock; an empty ring takes nothing, and nor does a tick with every frame on.
    void capture();
    // With every frame on, a frame just drawn at this time in the medium goes into the ring.
    void captureFrame(double videoSeconds);
    void setEveryFrame(bool on) { mEveryFrame = on; }
    bool everyFrame() const { return mEveryFrame; }
    // While a delay runs the snapshot shown lies over the video for good: captures read the
    // video beneath it, and with every frame the age is told in seconds, the delay's unit.
    void setMirroring(bool on) { mMirroring = on; }
    // Shows offset k, 1 the newest snapshot, with its age in seconds (with every frame on,
    // the frames back, the seconds in the tip); 0 shows the live video. An offset outside
    // the ring changes nothing.
    void show(qint32 offset, double ageSeconds);
    // The picture shown, snapshot or live video, as the screen shows it; null when neither shows.
    QImage shownPicture() const;

private:
    void write(double stamp);

    SnapshotRing &mRing;
    ReviewPicture &mPicture;
    const MediaPlayer &mPlayer;
    QLabel &mAge;
    QElapsedTimer mClock;
    bool mEveryFrame = false;
    bool mMirroring = false;
};
