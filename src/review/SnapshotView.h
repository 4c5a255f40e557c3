#pragma once
// What stands in the video's place: the live video, or a snapshot of the ring with its age
// beside the arrows; and the two pictures taken of it, the capture into the ring and the
// picture shown as Copy Image takes it. Everything runs on the UI thread.

#include <QImage>
#include <QString>

class MediaPlayer;
class QLabel;
class ReviewPicture;
class SnapshotRing;

class SnapshotView {
public:
    SnapshotView(SnapshotRing &ring, ReviewPicture &picture, const MediaPlayer &player, QLabel &age);

    // Copies the video area into the ring's next slot; an empty ring takes nothing.
    void capture();
    // Shows offset k, 1 the newest snapshot, with its age in seconds; 0 shows the live
    // video. An offset outside the ring changes nothing.
    void show(qint32 offset, double ageSeconds);
    // The picture shown, snapshot or live video, as the screen shows it; null when neither shows.
    QImage shownPicture() const;

private:
    SnapshotRing &mRing;
    ReviewPicture &mPicture;
    const MediaPlayer &mPlayer;
    QLabel &mAge;
};
