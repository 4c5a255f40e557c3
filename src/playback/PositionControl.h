#pragma once
// The position slider with its read-out of length and position, and the jumps of a
// few seconds back and forward. Seeking never plays or pauses the video.

#include "playback/MediaPlayer.h"

#include <QString>
#include <QtGlobal>

// What the position display needs of the main window.
class PositionHost {
public:
    virtual ~PositionHost() = default;
    // The slider's value as the user left it: while its scroll notification runs, the
    // moved position (a slider applies the move to its value only afterwards).
    virtual qint32 positionSliderValue() const = 0;
    virtual void setPositionSliderValue(qint32 value) = 0;
    virtual qint32 positionSliderMaximum() const = 0;
    virtual void setPositionText(const QString &text) = 0;
    // The length of the open medium in whole seconds, 0 before any medium.
    virtual qint32 lengthSeconds() const = 0;
    virtual void ShowImage(qint32 offset) = 0;
    // The window's one request of itself after the user moved a slider.
    virtual void afterSliderChange() = 0;
};

class PositionControl {
public:
    PositionControl(MediaPlayer &player, PositionHost &host) : mPlayer(player), mHost(host) {}

    // Refreshes the slider and the read-out; a failing step is skipped.
    void timerTick();
    // Seeks to the slider's place in the medium and refreshes at once; failures are skipped.
    void sliderScrolled();
    // Failures pass to the caller, which reports them under its own label.
    void jumpBack(qint32 seconds);
    void jumpForward(qint32 seconds);

    // "Position  ( 2:05 )   1:01" for a medium of 125 s at 61 s.
    static QString readout(qint32 lengthSeconds, qint32 positionSeconds);
    // "1:05": minutes and two-digit seconds.
    static QString minutesAndSeconds(qint64 seconds);

private:
    MediaPlayer &mPlayer;
    PositionHost &mHost;
};
