#include "about/AboutTutorial.h"

#include "errors/FailurePatterns.h"

void AboutTutorial::start()
{
    mFrameStep = 1;
    mFrame = 0;
    mHost.showFrame(mFrame);
}

void AboutTutorial::Timer1_Timer()
{
    const bool stepped = leaveSilently([&] {
        // Frame 0 rests one tick with no button before each way through; the turns are
        // at the last frame and back at frame 0.
        if (mFrame == 0 && mFrameStep != 0)
            mFrameStep = 0;
        else if (mFrame == kLastFrame)
            mFrameStep = -1;
        else if (mFrame == 0)
            mFrameStep = 1;
        mHost.showPhase(mFrameStep);
        mFrame += mFrameStep;
        mHost.showFrame(mFrame);
    });
    if (!stepped)
        ignoreFailure([&] { mHost.stopTimer(); });
}
