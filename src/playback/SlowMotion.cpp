#include "playback/SlowMotion.h"

#include "errors/FailurePatterns.h"

void SlowMotion::speedChanged()
{
    ignoreFailure([&] { mHost.setMute(mHost.speedValue() < Normal); });
    ignoreFailure([&] { mHost.reclaimFocus(); });
    // The pause length follows the frame time of this moment only; a later change
    // of the frame time waits for the next speed change.
    int value = 0;
    ignoreFailure([&] { value = mHost.speedValue(); });
    if (value < Quarter || value > Normal)
        return;
    static const char *const tips[] = {"1/4", "1/2", "1"};
    static const int frames[] = {3, 1, 0};
    ignoreFailure([&] { mHost.setSpeedTip(QString::fromLatin1(tips[value - 1])); });
    ignoreFailure([&] { mHost.setPauseInterval(frames[value - 1] * mHost.playInterval()); });
}

void SlowMotion::toggleSpeed()
{
    mHost.setSpeedValue(mHost.speedValue() != Quarter ? Quarter : Normal);
}
