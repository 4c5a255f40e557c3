#pragma once
// The delay mirror: while it runs, the picture shown is the snapshot from a few seconds ago,
// so that an athlete who has just moved walks to the screen and watches the movement. The
// video plays and is captured as ever; the live picture's place is taken by the ring's
// delayed snapshot at every tick. A held review steps back from it, and its release returns
// to it. The ring is grown to hold the delay, and behind it the snapshots the user chose to
// keep, through the memory check.

#include "review/RingSizing.h"
#include "review/SnapshotRing.h"

#include <QString>

// What the mirror needs of the main window.
class DelayHost {
public:
    // The seconds of video one snapshot stands for at the chosen frame time.
    virtual double secondsEach() const = 0;
    // The milliseconds between two snapshots as they are taken, a stand of slow motion
    // included; 0 with every frame, whose snapshots are stamped with their times in the video.
    virtual int msBetween() const = 0;
    virtual bool playing() const = 0;
    virtual void PlayMedia() = 0;
    // Shows the live video, which the mirror, running, turns into the delayed snapshot.
    virtual void showLive() = 0;
    virtual bool reviewHeld() const = 0;

protected:
    ~DelayHost() = default;
};

class DelayMirror {
public:
    DelayMirror(SnapshotRing &ring, RingSizing &sizing, DelayHost &host) : mRing(ring), mSizing(sizing), mHost(host) {}

    // The snapshots a delay needs, each standing for secondsEach: one more than the delay
    // spans, so that the delayed snapshot has one before it; none when off.
    static qint32 ringCount(int seconds, double secondsEach);
    // The offset of the snapshot the delay shows in this ring: with snapshots meant msBetween
    // apart, the one whose age by the stamps (a pause counted as one gap) is nearest the delay,
    // seconds * 1000 / msBetween back when the ticks came on time; with every frame (msBetween
    // 0), the written snapshot whose stamp is nearest the newest's less the delay. Until the ring holds that much, the
    // oldest snapshot written, never a blank slot; 0 (the live video) when none is written.
    static qint32 offsetIn(const SnapshotRing &ring, int seconds, int msBetween);

    int seconds() const { return mSeconds; }
    // A delay picked: the ring grows to hold it now; a shortage of memory is told with the
    // delay that fits beside the snapshots kept, and the mirror then runs with what the old
    // ring holds.
    void pick(int seconds);
    // The delay stored at start-up: the ring grows at the first tick, at the medium's size.
    void restore(int seconds) { mSeconds = seconds, mTried = -1; }
    // The offset to show for the one asked for: the live video is the delayed snapshot.
    qint32 shown(qint32 asked) const;
    // A tick after its capture: the delayed snapshot moves on, unless a review holds the
    // picture. A changed need (frame time, frame rate) grows the ring first.
    void follow();
    // A review press taken, and its release, which returns to the delayed snapshot: playing
    // again when the press paused it.
    void pressed() { mResume = mSeconds > 0 && mHost.playing(); }
    void released();

private:
    void fit();

    SnapshotRing &mRing;
    RingSizing &mSizing;
    DelayHost &mHost;
    int mSeconds = 0;
    qint32 mTried = -1;    // the need last fitted
    qint32 mOwnCount = 0;  // the ring's count before the mirror grew it,
    qint32 mGrownTo = -1;  // as long as the ring keeps the count it was grown to
    bool mResume = false;
};
