#pragma once
// What the review, slow motion and the position display need of the window, answered by the bar's
// sliders, the play timer and the player. After a slider change the keyboard focus goes
// back to the window, whose keys step through the snapshots.

#include "playback/PositionControl.h"
#include "playback/SlowMotion.h"
#include "review/ReviewStepper.h"

#include <functional>

class CommandBar;
class DelayMirror;
class IntervalTimer;
class MediaPlayer;
class PlayControl;
class SnapshotRing;
class SnapshotView;

class SpeedBarHost final : public SpeedHost {
public:
    SpeedBarHost(CommandBar &bar, const IntervalTimer &playTimer, PlayControl &play, MediaPlayer &player)
        : mBar(bar), mPlayTimer(playTimer), mPlay(play), mPlayer(player) {}

    int speedValue() const override;
    void setSpeedValue(int value) override;
    void setSpeedTip(const QString &tip) override;
    int playInterval() const override;
    void setPauseInterval(int milliseconds) override;
    void setMute(bool mute) override;
    void reclaimFocus() override;

private:
    CommandBar &mBar;
    const IntervalTimer &mPlayTimer;
    PlayControl &mPlay;
    MediaPlayer &mPlayer;
};

class PositionBarHost final : public PositionHost {
public:
    // The length is the open medium's, in whole seconds; show puts a snapshot (0: the video) up.
    PositionBarHost(CommandBar &bar, const qint32 &lengthSeconds, std::function<void(qint32)> show)
        : mBar(bar), mLength(lengthSeconds), mShow(std::move(show)) {}

    qint32 positionSliderValue() const override;
    void setPositionSliderValue(qint32 value) override;
    qint32 positionSliderMaximum() const override;
    void setPositionText(const QString &text) override;
    qint32 lengthSeconds() const override { return mLength; }
    void ShowImage(qint32 offset) override { mShow(offset); }
    void afterSliderChange() override;

private:
    CommandBar &mBar;
    const qint32 &mLength;
    std::function<void(qint32)> mShow;
};

class ReviewBarHost final : public ReviewHost {
public:
    // show puts a snapshot (0: the video) up; delay gives the ticks before a held step repeats.
    ReviewBarHost(CommandBar &bar, PlayControl &play, IntervalTimer &reviewTimer, const SnapshotRing &ring,
                  const SnapshotView &view, std::function<void(qint32)> show, std::function<int()> delay)
        : mBar(bar), mPlay(play), mReviewTimer(reviewTimer), mRing(ring), mView(view), mShow(std::move(show)),
          mDelay(std::move(delay)) {}

    // The delay mirror hears of each review press and release.
    void setMirror(DelayMirror *mirror) { mMirror = mirror; }

    void PauseMedia() override;
    void pauseForReview() override;
    void PlayMedia() override;
    void reviewReleased() override;
    void ShowImage(qint32 offset) override { mShow(offset); }
    bool reviewTimerEnabled() const override;
    void setReviewTimerEnabled(bool enabled) override;
    void setLeftPicture(PictureStore::Picture picture) override;
    void setRightPicture(PictureStore::Picture picture) override;
    int repeatDelay() override { return mDelay(); }
    qint32 captureCount() const override;
    qint32 liveOffset() const override;

private:
    CommandBar &mBar;
    PlayControl &mPlay;
    IntervalTimer &mReviewTimer;
    const SnapshotRing &mRing;
    const SnapshotView &mView;
    std::function<void(qint32)> mShow;
    std::function<int()> mDelay;
    DelayMirror *mMirror = nullptr;
};
