#pragma once
// Stepping through the snapshot ring: a press starts a held step back (button 1) or
// forward (button 2); the review timer repeats it, after a short delay, until the
// release or a bound. Stepping forward past the newest snapshot resumes playback.

#include "errors/FailurePatterns.h"
#include "playback/PictureStore.h"

#include <QtGlobal>

// What the stepping needs of the main window.
class ReviewHost {
public:
    virtual ~ReviewHost() = default;
    virtual void PauseMedia() = 0;
    // A press that starts a review: the video pauses and a pending slow-motion resume ends.
    virtual void pauseForReview() = 0;
    virtual void PlayMedia() = 0;
    // A held press, taken with pauseForReview, is released.
    virtual void reviewReleased() = 0;
    // Shows offset k (0 = the live video) and records it with setOffset.
    virtual void ShowImage(qint32 offset) = 0;
    virtual bool reviewTimerEnabled() const = 0;
    virtual void setReviewTimerEnabled(bool enabled) = 0;
    virtual void setLeftPicture(PictureStore::Picture picture) = 0;
    virtual void setRightPicture(PictureStore::Picture picture) = 0;
    // The review timer's ticks a held step waits before it repeats.
    virtual int repeatDelay() = 0;
    virtual qint32 captureCount() const = 0;
    // The offset the live video stands at: 1 when every frame goes into the ring, the newest
    // snapshot being the frame on screen, so that the first step back shows the one before; else 0.
    virtual qint32 liveOffset() const = 0;
};

class ReviewStepper {
public:
    enum Direction : qint32 { None = 0, Back = 1, Forward = 2 };

    ReviewStepper(ReviewHost &host, ErrorSink &errors) : mHost(host), mErrors(errors) {}

    qint32 mlReviewOffset() const { return mOffset; }
    qint32 mlReviewDirection() const { return mDirection; }
    qint32 mlRepeatDelay() const { return mRepeatDelay; }
    // Only ShowImage records the offset shown.
    void setOffset(qint32 offset) { mOffset = offset; }

    void MouseDown(int button);
    // A press of a held key: none while a step waits for the review timer.
    void holdKey(int button);
    // One step, a press released at once; none while a step is held.
    void stepOnce(int button);
    void ProcessReview();
    void ReviewTimer_Timer();
    void ReleaseReview();

private:
    // Returns whether a press was held.
    bool release();

    ReviewHost &mHost;
    ErrorSink &mErrors;
    qint32 mOffset = 0;
    qint32 mDirection = None;
    qint32 mRepeatDelay = 0;
};
