#include "app/DelayWiring.h"

#include "app/BarHosts.h"
#include "playback/FrameTime.h"
#include "playback/IntervalTimer.h"
#include "playback/MediaPlayer.h"
#include "playback/PlayControl.h"
#include "review/ReviewAge.h"
#include "review/ReviewStepper.h"
#include "review/SnapshotView.h"

#include <QAction>
#include <QMenuBar>

namespace {
struct Item {
    Commands::Id id;
    const char *name;
    int seconds;
};
constexpr std::array<Item, 5> kItems{{{Commands::Id::DelayOff, "mnuDelayOff", 0},
                                      {Commands::Id::Delay2, "mnuDelay2", 2},
                                      {Commands::Id::Delay5, "mnuDelay5", 5},
                                      {Commands::Id::Delay10, "mnuDelay10", 10},
                                      {Commands::Id::Delay20, "mnuDelay20", 20}}};
} // namespace

DelayWiring::DelayWiring(Parts parts) : mParts(std::move(parts)), mMirror(mParts.ring, mParts.sizing, *this)
{
    for (std::size_t i = 0; i < kItems.size(); ++i) {
        mItems[i] = mParts.bar.findChild<QAction *>(QLatin1String(kItems[i].name));
        mItems[i]->setCheckable(true);
    }
    mParts.reviewHost.setMirror(&mMirror);
    take(0);
}

DelayWiring::~DelayWiring()
{
    mParts.reviewHost.setMirror(nullptr);
}

void DelayWiring::restore(int seconds)
{
    mMirror.restore(seconds);
    take(seconds);
}

void DelayWiring::pick(Commands::Id id)
{
    for (const Item &item : kItems) {
        if (item.id == id) {
            take(item.seconds); // first: the pick may show the delayed picture at once
            mMirror.pick(item.seconds);
        }
    }
}

void DelayWiring::take(int seconds)
{
    for (std::size_t i = 0; i < kItems.size(); ++i)
        mItems[i]->setChecked(kItems[i].seconds == seconds);
    mParts.view.setMirroring(seconds > 0);
}

void DelayWiring::show(qint32 offset)
{
    offset = mMirror.shown(offset);
    mParts.review.setOffset(offset);
    mParts.view.show(offset, ReviewAge::seconds(mParts.playTimer.interval(), mParts.pauseTimer.interval(), offset));
}

double DelayWiring::secondsEach() const
{
    return mParts.view.everyFrame() ? FrameTime::secondsEach(0, mParts.player.FrameRate())
                                    : mParts.playTimer.interval() / 1000.0;
}

int DelayWiring::msBetween() const
{
    return mParts.view.everyFrame() ? 0 : mParts.playTimer.interval() + mParts.pauseTimer.interval();
}

bool DelayWiring::playing() const
{
    return mParts.player.PlayState() == MediaPlayer::Playing || mParts.play.resumePending();
}

void DelayWiring::PlayMedia()
{
    mParts.play.PlayMedia();
}

bool DelayWiring::reviewHeld() const
{
    return mParts.review.mlReviewDirection() != ReviewStepper::None;
}
