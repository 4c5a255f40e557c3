#pragma once
// Who plays and who pauses. The video runs and stands in the slow-motion rhythm, the user
// plays and pauses it, and dialogs, errors, review presses and new files pause it. Each
// of them asks here by name, so that no pause leaves a pending resume behind it and the
// play button always shows what its next press does. Everything runs on the UI thread.

#include "playback/IntervalTimer.h"

class MediaPlayer;

// What the play state needs of the main window.
class PlayHost {
public:
    // The play button's pictures: play means the user paused or playback stopped; the
    // pause picture and the start-up picture both send the next press down the pause path.
    enum class Picture { StartupDisabled, Play, Pause };
    virtual ~PlayHost() = default;
    virtual void setPlayPicture(Picture picture) = 0;
    // True while the speed slider stands below normal speed.
    virtual bool slowed() const = 0;
};

class PlayControl {
public:
    using Picture = PlayHost::Picture;

    // The play timer paces capture and the runs of slow motion; the pause timer ends a stand.
    PlayControl(MediaPlayer &player, PlayHost &host, IntervalTimer &playTimer, IntervalTimer &pauseTimer);

    Picture picture() const { return mPicture; }
    // A stand of slow motion is under way: the video will run again by itself.
    bool resumePending() const { return mPauseTimer.isEnabled(); }

    // Starts the video if a medium is open; a failing step is skipped.
    void PlayMedia();
    // Pauses the video; during a stand the pause picture stays. Failures reach the caller.
    void PauseMedia();
    // The user's play/pause: plays when the play picture shows, else pauses for good.
    // Returns true when it played.
    bool userPlayPause();
    // A dialog, a message or an error report takes the user's attention: the video pauses
    // and stays paused until the user plays it.
    void pauseForDialog();
    // A review press that is taken: a pending resume would bring the live video back
    // under the held step.
    void pauseForReview();
    // The stand length the speed slider chose; normal speed (0) during a stand runs on at once.
    void setStandLength(int milliseconds);
    // Another medium opens: a resume still pending belongs to the old one.
    void newFile();
    // The play timer's tick, before its snapshot: a slowed video stands. Never fails.
    void playTick();
    // The pause timer's tick: the stand is over.
    void pauseTick();
    // The player's play-state notification: capture runs exactly while the video plays.
    void stateChanged(int state);

private:
    void pauseForGood();
    void setPicture(Picture picture);

    MediaPlayer &mPlayer;
    PlayHost &mHost;
    IntervalTimer &mPlayTimer;
    IntervalTimer &mPauseTimer;
    Picture mPicture = Picture::StartupDisabled;
};
