#pragma once
// Slow motion without a change of rate: the video runs for one play-timer interval,
// then stands while the pause timer runs (one interval at half speed, three at
// quarter speed; PlayControl keeps that rhythm). The speed step lives only in the
// speed slider's value.

#include <QString>

// What slow motion needs of the main window.
class SpeedHost {
public:
    virtual ~SpeedHost() = default;
    // The speed slider's value, 1..3; setting a new value makes the slider notify
    // its change, which reaches SlowMotion::speedChanged.
    virtual int speedValue() const = 0;
    virtual void setSpeedValue(int value) = 0;
    virtual void setSpeedTip(const QString &tip) = 0;
    virtual int playInterval() const = 0;
    // The length of a stand: 0 at normal speed.
    virtual void setPauseInterval(int milliseconds) = 0;
    // The media player component's sound.
    virtual void setMute(bool mute) = 0;
    // The window's one argument-less request after a slider change: the keyboard
    // focus goes back from the slider to the window.
    virtual void reclaimFocus() = 0;
};

class SlowMotion {
public:
    enum Step : int { Quarter = 1, Half = 2, Normal = 3 };

    explicit SlowMotion(SpeedHost &host) : mHost(host) {}

    // The slider's change notification, whoever changed the value; never fails.
    void speedChanged();
    // Quarter speed, or back to normal from quarter; failures pass to the caller.
    void toggleSpeed();

private:
    SpeedHost &mHost;
};
