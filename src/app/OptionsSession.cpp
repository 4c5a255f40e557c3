#include "app/OptionsSession.h"

#include "playback/FrameTime.h"
#include "playback/IntervalTimer.h"
#include "playback/LiveSource.h"
#include "playback/MediaPlayer.h"
#include "review/RingSizing.h"
#include "review/SnapshotRing.h"
#include "review/SnapshotView.h"
#include "settings/WindowSettings.h"
#include "settings/frmOptions.h"

OptionsSession::~OptionsSession()
{
    unload();
}

frmOptions &OptionsSession::dialog()
{
    if (!mDialog) {
        mDialog = new frmOptions(&mParts.window);
        mDialog->setCaptureCount(mParts.ring.count());
        mDialog->setSummary([this](int count, int option) {
            const double each = FrameTime::secondsEach(frmOptions::intervalOf(option), mParts.player.FrameRate());
            return mParts.sizing.history(count, each);
        });
    }
    return *mDialog;
}

void OptionsSession::run()
{
    dialog().setCaptureCount(mParts.ring.count());
    dialog().exec();
    if (mDialog->closedByWindow())
        unload(); // the choice is discarded: the dialog loaded again shows what is kept
    takeFrameTime();
    const int count = dialog().captureCount();
    if (count == mParts.ring.count())
        return;
    if (mParts.sizing.recount(count) == RingSizing::Result::TooLittleMemory)
        dialog().setCaptureCount(mParts.ring.count());
    else
        WindowSettings::saveCaptureCount(count);
}

// A live source keeps every frame whatever the choice: its frames come as the network brings
// them, often two within one tick, and what is not kept as it is shown is gone for good.
int OptionsSession::intervalMs()
{
    return LiveSource::isLive(mParts.player.FileName()) ? 0 : dialog().intervalMs();
}

void OptionsSession::takeFrameTime()
{
    const int chosen = intervalMs();
    const double fps = mParts.player.FrameRate();
    mParts.view.setEveryFrame(chosen == 0);
    mParts.player.SetEveryFrame(chosen == 0);
    mParts.playTimer.setInterval(FrameTime::playInterval(chosen, fps));
    mParts.reviewTimer.setInterval(FrameTime::reviewInterval(chosen, fps));
}

int OptionsSession::repeatDelay()
{
    return FrameTime::repeatDelay(intervalMs(), mParts.player.FrameRate());
}

void OptionsSession::unload()
{
    delete mDialog.data();
}
