#include "playback/LiveMode.h"

#include "playback/LiveSource.h"
#include "playback/LocalName.h"
#include "playback/MediaPlayer.h"
#include "playback/PositionControl.h"

#include <utility>

LiveMode::LiveMode(MediaPlayer &player, LiveHost &host) : mPlayer(player), mHost(host)
{
    // The notifications come queued: the player's state is read when they arrive, so that
    // the closing of a source that is opened again is not taken for its stop.
    connect(&player, &MediaPlayer::OpenStateChange, this, [this](int, int state) { refresh(state == MediaPlayer::Open); });
    connect(&player, &MediaPlayer::PlayStateChange, this, [this] { refresh(false); });
}

QString LiveMode::readout(qint64 seconds, bool stopped)
{
    return (stopped ? QStringLiteral("Source stopped   ") : QStringLiteral("Live   "))
           + PositionControl::minutesAndSeconds(seconds);
}

void LiveMode::refresh(bool opened)
{
    const QString name = mPlayer.FileName();
    const bool live = LiveSource::isLive(name);
    if (live != mLive)
        mHost.setSeekingEnabled(!live);
    mLive = live;
    if (!live) {
        mSource.clear();
        mStopped = false;
        return;
    }
    const int state = mPlayer.PlayState();
    if (opened && mPlayer.OpenState() == MediaPlayer::Open) {
        // Opened, or opened again after a stop: the notice goes.
        if (std::exchange(mStopped, false))
            mHost.setCaption(LocalName::shown(name));
        mSource = name;
        mStalled = 0;
        mLastPosition = -1.0;
        mSince.start();
    } else if ((state == MediaPlayer::Stopped || state == MediaPlayer::Closed) && name == mSource) {
        // Only a source that showed its picture stops; one that never opened was told so.
        stop();
    }
}

bool LiveMode::tick()
{
    if (!mLive)
        return false;
    if (!mStopped && mPlayer.PlayState() == MediaPlayer::Playing) {
        const double position = mPlayer.CurrentPosition();
        mStalled = position == mLastPosition ? mStalled + 1 : 0;
        mLastPosition = position;
        if (mStalled >= kStallSeconds)
            stop();
    }
    if (!mStopped && mSince.isValid())
        mShownSeconds = mSince.elapsed() / 1000;
    mHost.setPositionText(readout(mShownSeconds, mStopped));
    return true;
}

void LiveMode::stop()
{
    if (mStopped)
        return;
    mStopped = true;
    mHost.setCaption(LocalName::shown(mPlayer.FileName()) + QStringLiteral(" - Source stopped"));
    mHost.setPositionText(readout(mShownSeconds, true));
    mHost.pauseForStop();
}
