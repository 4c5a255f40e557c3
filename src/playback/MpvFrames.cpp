#include "playback/MpvFrames.h"

#include <QImage>

#include <mpv/client.h>
#include <mpv/render.h>

#include <algorithm>
#include <cmath>

namespace {

// The software renderer's pixel format laid out like QImage::Format_RGB32.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr char kSwFormat[] = "bgr0";
#else
constexpr char kSwFormat[] = "0rgb";
#endif

// An exact seek shows the first frame from this much before its target on.
constexpr double kSeekSlack = 0.005;

} // namespace

void FrameClock::restart(double from)
{
    mFrom = from;
    mFirst = true;
}

double FrameClock::timeOf(qint64 target, qint64 readAt, std::optional<double> position, double step)
{
    // Within a run mpv's clock goes with the medium, so the gap between two frames' targets
    // is the gap between the frames, however late either was drawn. Only a run that stood
    // (a pause, a core that fell behind) breaks that; the position then tells the frame.
    const double gap = !mFirst && mLastTarget > 0 && target > 0 ? double(target - mLastTarget) / 1e6 : 0.0;
    const double longest = step > 0 ? 2.5 * step : 0.1;
    double time;
    if (gap > 0 && gap < longest) {
        time = mLastTime + gap;
        // The position is the frame's own time, to the microsecond, when it is this frame's.
        if (position && std::abs(*position - time) < (step > 0 ? step / 4 : 0.004))
            time = *position;
    } else {
        // The core queues the next frame once its time has come and the drawn one has left
        // the queue, so a position read before the next frame was due is the drawn frame's
        // own; read later it may be a frame ahead, or two once the drawing let the next one
        // through. At a run's start the drawn frame is the first from where the run starts.
        const double expected = mFirst ? mFrom : mLastTime + std::max(step, 0.0);
        time = position.value_or(expected);
        // A run's first frame may come untimed, and its position read any time later.
        const bool late = target > 0 ? readAt - target >= qint64(step * 1e6) : mFirst;
        if (position && step > 0 && late) {
            const double ahead = mFirst ? std::floor((*position - mFrom + kSeekSlack) / step)
                                        : std::round((*position - expected) / step);
            time = *position - std::clamp(ahead, 0.0, 2.0) * step;
        }
        // A frame is never told at the time of the one before it.
        if (!mFirst && step > 0 && time < mLastTime + step / 2)
            time = mLastTime + step;
    }
    mFirst = false;
    mLastTarget = target;
    mLastTime = time;
    return time;
}

bool MpvFrames::render(QImage &target)
{
    int size[2] = {target.width(), target.height()};
    size_t stride = size_t(target.bytesPerLine());
    int block = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, size},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char *>(kSwFormat)},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, target.bits()},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    // Asked before drawing: the drawing takes the frame out of mpv's hands. Until it is
    // drawn no other frame can take its place, so what is asked is what is drawn.
    mpv_render_frame_info next{};
    mpv_render_context_get_info(mRender, {MPV_RENDER_PARAM_NEXT_FRAME_INFO, &next});
    if (mpv_render_context_render(mRender, params) < 0)
        return false;
    const uint64_t again = MPV_RENDER_FRAME_INFO_REDRAW | MPV_RENDER_FRAME_INFO_REPEAT;
    if ((next.flags & MPV_RENDER_FRAME_INFO_PRESENT) && !(next.flags & again)) {
        std::optional<double> position;
        if (double value = 0.0; mpv_get_property(mMpv, "time-pos", MPV_FORMAT_DOUBLE, &value) >= 0)
            position = value;
        const qint64 readAt = mpv_get_time_us(mMpv);
        if (mSeekTo) {
            // A frame queued before the seek can still be drawn while mpv seeks, when its
            // position is the seek's target: it goes on from the frames before.
            int seeking = 0;
            mpv_get_property(mMpv, "seeking", MPV_FORMAT_FLAG, &seeking);
            if (seeking) {
                position.reset();
            } else {
                mClock.restart(*std::exchange(mSeekTo, std::nullopt));
                mStep = -1.0;
            }
        }
        if (mStep < 0) {
            const double rate = frameRate();
            mStep = rate > 0 ? 1.0 / rate : 0.0;
        }
        mNew = mClock.timeOf(next.target_time, readAt, position, mStep);
    }
    return true;
}

void MpvFrames::restart()
{
    mClock.restart(0.0);
    mSeekTo.reset();
    mStep = -1.0;
    mNew.reset();
}

double MpvFrames::frameRate() const
{
    for (const char *name : {"container-fps", "estimated-vf-fps"}) {
        double rate = 0.0;
        if (mpv_get_property(mMpv, name, MPV_FORMAT_DOUBLE, &rate) >= 0 && rate > 0)
            return rate;
    }
    return 0.0;
}

void MpvFrames::setEveryFrame(bool on)
{
    // mpv's own default drops frames at the video output to keep pace. Without dropping,
    // the first frame after an open or a seek is not waited for either: the core would wait
    // holding its lock, and a call from the UI thread, which draws the frames, would make
    // that frame wait for it until mpv gives the frame up.
    mpv_set_property_string(mMpv, "framedrop", on ? "no" : "vo");
    mpv_set_property_string(mMpv, "video-latency-hacks", on ? "yes" : "no");
}
