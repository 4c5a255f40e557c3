#include "review/ReviewStepper.h"

#include <utility>

using Picture = PictureStore::Picture;

void ReviewStepper::MouseDown(int button)
{
    reportFailures(mErrors, "MouseDown: ", [&] {
        if (mDirection > None)
            return; // a step sequence is already held
        mHost.pauseForReview();
        mRepeatDelay = mHost.repeatDelay();
        if (button == 1) {
            mDirection = Back;
            mHost.setLeftPicture(Picture::Pressed);
            mHost.setRightPicture(Picture::Normal);
            ProcessReview();
        }
        if (button == 2) {
            mHost.setLeftPicture(Picture::Normal);
            mHost.setRightPicture(Picture::Pressed);
            mDirection = Forward;
            ProcessReview();
        }
    });
}

void ReviewStepper::holdKey(int button)
{
    if (!mHost.reviewTimerEnabled())
        MouseDown(button);
}

void ReviewStepper::stepOnce(int button)
{
    if (mDirection < Back) {
        MouseDown(button);
        release(); // one step stands where it went
    }
}

void ReviewStepper::ProcessReview()
{
    reportFailures(mErrors, "ProcessReview: ", [&] {
        if (mHost.reviewTimerEnabled())
            return; // a step is pending; the timer's tick takes it
        mHost.PauseMedia();
        if (mDirection == Back) {
            const qint32 from = std::max(mOffset, mHost.liveOffset());
            if (from >= mHost.captureCount()) {
                mHost.setLeftPicture(Picture::Disabled);
                return;
            }
            mHost.setReviewTimerEnabled(true);
            mHost.ShowImage(from + 1);
        } else if (mDirection == Forward) {
            if (mOffset < 2) {
                mHost.setRightPicture(Picture::Disabled);
                mHost.PlayMedia();
                return;
            }
            mHost.setRightPicture(Picture::Pressed);
            mHost.setReviewTimerEnabled(true);
            mHost.ShowImage(mOffset - 1);
        }
    });
}

void ReviewStepper::ReviewTimer_Timer()
{
    if (mRepeatDelay < 1) {
        ignoreFailure([&] { mHost.setReviewTimerEnabled(false); });
        ignoreFailure([&] {
            if (mDirection != None)
                ProcessReview();
        });
    } else {
        --mRepeatDelay;
    }
}

void ReviewStepper::ReleaseReview()
{
    if (release())
        ignoreFailure([&] { mHost.reviewReleased(); });
}

bool ReviewStepper::release()
{
    const bool held = std::exchange(mDirection, None) != None;
    ignoreFailure([&] { mHost.setLeftPicture(Picture::Normal); });
    ignoreFailure([&] { mHost.setRightPicture(mOffset == 0 || mOffset == 1 ? Picture::Disabled : Picture::Normal); });
    return held;
}
