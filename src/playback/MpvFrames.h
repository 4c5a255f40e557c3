#pragma once
// The frames libmpv's software renderer draws into the video widget's image: which of
// them are new (not a redraw of the one shown) and the time of each in the medium.
// libmpv tells no time per frame, only its playback position, which is the time of the
// newest frame its core has queued; FrameClock tells from that and the frames' targets on
// mpv's clock which frame was drawn.

#include <QtGlobal>

#include <optional>
#include <utility>

class QImage;
struct mpv_handle;
struct mpv_render_context;

// Widget- and mpv-free, so that its reasoning can be checked on its own.
class FrameClock {
public:
    // A new run of frames starts at this time in the medium: an open (0) or a seek.
    void restart(double from);
    // The time of a new frame that mpv meant to show at target (mpv's clock in
    // microseconds; 0 when not timed), given the playback position read right after the
    // drawing, at readAt (none when it is not this frame's run), and the medium's frame
    // duration (0 when unknown).
    double timeOf(qint64 target, qint64 readAt, std::optional<double> position, double step);

private:
    double mFrom = 0.0;
    bool mFirst = true; // the next frame starts a run
    qint64 mLastTarget = 0;
    double mLastTime = 0.0;
};

class MpvFrames {
public:
    MpvFrames(mpv_handle *mpv, mpv_render_context *render) : mMpv(mpv), mRender(render) {}

    // Draws the frame mpv has ready, or the last one again, into the RGB32 target.
    bool render(QImage &target);
    // The time of the new frame the last drawing brought, told once.
    std::optional<double> takeNew() { return std::exchange(mNew, std::nullopt); }
    // A medium was opened: the next frame starts a run at 0.
    void restart();
    // A seek to this time was asked: the run starts there once mpv has landed.
    void seek(double to) { mSeekTo = to; }
    double frameRate() const;
    void setEveryFrame(bool on);

private:
    mpv_handle *mMpv;
    mpv_render_context *mRender;
    FrameClock mClock;
    std::optional<double> mNew;
    std::optional<double> mSeekTo;
    double mStep = -1.0; // the frame duration, looked up at the first frame of a run
};
