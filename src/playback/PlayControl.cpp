#include "playback/PlayControl.h"

#include "errors/FailurePatterns.h"
#include "playback/MediaPlayer.h"

PlayControl::PlayControl(MediaPlayer &player, PlayHost &host, IntervalTimer &playTimer, IntervalTimer &pauseTimer)
    : mPlayer(player), mHost(host), mPlayTimer(playTimer), mPauseTimer(pauseTimer)
{
}

void PlayControl::setPicture(Picture picture)
{
    mPicture = picture;
    mHost.setPlayPicture(picture);
}

void PlayControl::PlayMedia()
{
    ignoreFailure([&] {
        if (mPlayer.PlayState() != MediaPlayer::Closed)
            mPlayer.Play();
    });
    ignoreFailure([&] {
        if (mPlayer.PlayState() == MediaPlayer::Playing)
            setPicture(Picture::Pause);
    });
}

void PlayControl::PauseMedia()
{
    if (mPlayer.PlayState() == MediaPlayer::Playing)
        mPlayer.Pause();
    if (!mPauseTimer.isEnabled())
        setPicture(Picture::Play);
}

bool PlayControl::userPlayPause()
{
    if (mPicture == Picture::Play) {
        PlayMedia();
        return true;
    }
    mPlayTimer.stop();
    pauseForGood();
    return false;
}

void PlayControl::pauseForGood()
{
    // The resume goes first, so that the pause shows the play picture.
    mPauseTimer.stop();
    PauseMedia();
}

void PlayControl::pauseForDialog()
{
    pauseForGood();
}

void PlayControl::pauseForReview()
{
    pauseForGood();
}

void PlayControl::setStandLength(int milliseconds)
{
    mPauseTimer.setInterval(milliseconds);
    // A timer of interval 0 never fires: a stand under way would last for ever.
    if (milliseconds <= 0 && mPauseTimer.isEnabled())
        pauseTick();
}

void PlayControl::newFile()
{
    mPauseTimer.stop();
}

void PlayControl::playTick()
{
    ignoreFailure([&] {
        if (mHost.slowed()) {
            // Started first, so that the pause keeps the play button's pause picture.
            mPauseTimer.start();
            PauseMedia();
        }
    });
}

void PlayControl::pauseTick()
{
    mPauseTimer.stop();
    PlayMedia();
}

void PlayControl::stateChanged(int state)
{
    if (state == MediaPlayer::Playing) {
        mPlayTimer.start();
        setPicture(Picture::Pause);
    } else if (state == MediaPlayer::Paused) {
        mPlayTimer.stop();
    } else {
        setPicture(Picture::Play);
        mPlayTimer.stop();
    }
}
