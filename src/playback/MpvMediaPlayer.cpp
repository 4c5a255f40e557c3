#include "playback/MpvMediaPlayer.h"

#include "errors/Failure.h"
#include "playback/LiveSource.h"
#include "playback/LocalName.h"
#include "playback/MpvFrames.h"
#include "playback/MpvLive.h"
#include "playback/MpvOpen.h"
#include "playback/VideoWidget.h"

#include <QDir>
#include <QImage>
#include <QMetaObject>
#include <QScopedValueRollback>

#include <mpv/client.h>
#include <mpv/render.h>

#include <clocale>
#include <cmath>
#include <utility>

namespace {

const QString kUnreadable = QStringLiteral("The file could not be played: it can no longer be read.");

} // namespace

void MpvMediaPlayer::HandleDeleter::operator()(mpv_handle *handle) const
{
    mpv_terminate_destroy(handle);
}

void MpvMediaPlayer::RenderDeleter::operator()(mpv_render_context *context) const
{
    mpv_render_context_free(context);
}

double MpvMediaPlayer::volumeForGain(double decibels)
{
    // mpv's volume is cubic: gain = (volume / 100)^3, so dB = 60 * log10(volume / 100).
    return 100.0 * std::pow(10.0, decibels / 60.0);
}

MpvMediaPlayer::MpvMediaPlayer(QWidget *parentForVideo, QObject *parent) : MediaPlayer(parent)
{
    // mpv refuses to start unless numbers are formatted the C way.
    std::setlocale(LC_NUMERIC, "C");
    mpv_handle *handle = mpv_create();
    if (!handle)
        raiseFailure(Failure::Internal, QStringLiteral("The video engine could not be started."));
    mMpv.reset(handle);
    mOpen = std::make_unique<MpvOpen>(handle, [this](const mpv_event &event) { handleEvent(event); });

    const QByteArray volume = QByteArray::number(volumeForGain(kGainDb), 'f', 4);
    const std::pair<const char *, const char *> options[] = {
        {"vo", "libmpv"},
        // The end of the medium pauses on the last frame (eof-reached) instead of closing.
        {"keep-open", "yes"},
        {"keep-open-pause", "yes"},
        // The picture is stretched over the whole widget.
        {"keepaspect", "no"},
        {"osc", "no"},
        {"osd-level", "0"},
        {"load-scripts", "no"},
        // Nor mpv's own scripts: they ask the video output things that make the core wait
        // for it while it waits for a frame to be drawn.
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        // A frame is handed over when it is due rather than ahead of time, since the drawing
        // does not wait for its time: it is shown on time, and mpv's position is its time.
        {"video-timing-offset", "0"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"input-cursor", "no"},
        {"hwdec", "no"},
        // Cover art of an audio file is not a video stream.
        {"audio-display", "no"},
        // The software renderer cannot turn the picture; a rotated medium is turned by a
        // filter instead (see MpvOpen::turnUpright).
        {"video-rotate", "no"},
        // One local media file and nothing else: no playlists, folders, archives or
        // references to other files or to the network, no companion files read.
        {"demuxer", "lavf"},
        {"access-references", "no"},
        {"demuxer-lavf-o", "protocol_whitelist=file"},
        {"load-unsafe-playlists", "no"},
        {"ytdl", "no"},
        {"sub-auto", "no"},
        {"audio-file-auto", "no"},
        {"cover-art-auto", "no"},
        {"resume-playback", "no"},
        {"volume", volume.constData()},
        {"speed", "1.0"},
        {"idle", "yes"},
    };
    for (const auto &[name, value] : options) {
        const int r = mpv_set_option_string(handle, name, value);
        if (r < 0)
            qWarning("mpv option %s=%s: %s", name, value, mpv_error_string(r));
    }
    if (const int r = mpv_initialize(handle); r < 0)
        raiseFailure(Failure::Internal,
                     QStringLiteral("The video engine could not be started: %1.").arg(QString::fromUtf8(mpv_error_string(r))));

    mWidget = new VideoWidget(parentForVideo);

    // The render context exists before any file is loaded, so the libmpv video
    // output always has somewhere to draw.
    mpv_render_param createParams[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context *context = nullptr;
    if (const int r = mpv_render_context_create(&context, handle, createParams); r < 0)
        raiseFailure(Failure::Internal,
                     QStringLiteral("The video renderer could not be started: %1.").arg(QString::fromUtf8(mpv_error_string(r))));
    mRender.reset(context);
    mFrames = std::make_unique<MpvFrames>(handle, context);
    mpv_render_context_set_update_callback(context, &MpvMediaPlayer::onRenderUpdate, this);

    mWidget->setRenderer([this](QImage &target) { return renderInto(target); });
    // A new frame is told once the widget's picture is whole, also when a resize drew it.
    connect(mWidget.data(), &VideoWidget::drawn, this, [this] {
        if (const std::optional<double> time = mFrames->takeNew())
            emit FrameShown(*time);
    });
    // A press is told at once, so that it never arrives after its own release.
    connect(mWidget.data(), &VideoWidget::mousePressed, this, &MediaPlayer::MouseDown);

    // Called once a file is opened and before its decoders exist: the moment to put in
    // the filter that turns a rotated picture upright.
    mpv_hook_add(handle, 0, "on_preloaded", 0);
    mpv_observe_property(handle, 0, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(handle, 0, "eof-reached", MPV_FORMAT_FLAG);
    mpv_set_wakeup_callback(handle, &MpvMediaPlayer::onWakeup, this);
}

MpvMediaPlayer::~MpvMediaPlayer()
{
    if (mWidget) {
        mWidget->setRenderer({});
        delete mWidget.data();
    }
    if (mMpv)
        mpv_set_wakeup_callback(mMpv.get(), nullptr, nullptr);
    if (mRender) {
        mpv_render_context_set_update_callback(mRender.get(), nullptr, nullptr);
        mRender.reset();
    }
    mMpv.reset();
}

QWidget *MpvMediaPlayer::widget() const
{
    return mWidget.data();
}

// ---- callbacks from mpv's threads ----

void MpvMediaPlayer::onWakeup(void *self)
{
    auto *player = static_cast<MpvMediaPlayer *>(self);
    QMetaObject::invokeMethod(player, [player] { player->drainEvents(); }, Qt::QueuedConnection);
}

void MpvMediaPlayer::onRenderUpdate(void *self)
{
    auto *player = static_cast<MpvMediaPlayer *>(self);
    QMetaObject::invokeMethod(player, [player] { player->renderUpdate(); }, Qt::QueuedConnection);
}

// ---- UI thread ----

void MpvMediaPlayer::renderUpdate()
{
    if (!mRender)
        return;
    const uint64_t flags = mpv_render_context_update(mRender.get());
    if ((flags & MPV_RENDER_UPDATE_FRAME) && mWidget)
        mWidget->renderFrame();
}

bool MpvMediaPlayer::renderInto(QImage &target)
{
    return mRender && !mHolding && !target.isNull() && mFrames->render(target);
}

void MpvMediaPlayer::drainEvents()
{
    if (!mMpv || mOpen->waiting())
        return;
    for (;;) {
        mpv_event *event = mpv_wait_event(mMpv.get(), 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void MpvMediaPlayer::handleEvent(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_HOOK:
        MpvOpen::turnUpright(mMpv.get());
        mpv_hook_continue(mMpv.get(), static_cast<const mpv_event_hook *>(event.data)->id);
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        mSeekTarget.reset();
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        if (mMediumOpen) {
            refreshPlaybackFlags();
            updatePlayState();
        }
        break;
    case MPV_EVENT_END_FILE:
        mSeekTarget.reset();
        // A medium that the engine gives up while open is closed, and that is told.
        if (mMediumOpen && !mOpen->waiting()) {
            const auto *end = static_cast<const mpv_event_end_file *>(event.data);
            // A live source that stops is a source that ended, not a failure to report.
            if (end->reason == MPV_END_FILE_REASON_ERROR && !mLive) {
                failMedium(MpvOpen::engineFailure(end->error));
                break;
            }
            mMediumOpen = false;
            mRestarting = false;
            mFile.close();
            setOpenState(NotOpen);
            updatePlayState();
        }
        break;
    default:
        break;
    }
}

bool MpvMediaPlayer::flagProperty(const char *name, bool fallback) const
{
    int value = 0;
    if (mpv_get_property(mMpv.get(), name, MPV_FORMAT_FLAG, &value) < 0)
        return fallback;
    return value != 0;
}

bool MpvMediaPlayer::setFlagProperty(const char *name, bool value)
{
    int flag = value ? 1 : 0;
    return mpv_set_property(mMpv.get(), name, MPV_FORMAT_FLAG, &flag) >= 0;
}

void MpvMediaPlayer::refreshPlaybackFlags()
{
    // Read together from the core, so a change event that arrives late cannot
    // bring back a state that has already passed.
    mPaused = flagProperty("pause", mPaused);
    const bool ended = std::exchange(mEof, flagProperty("eof-reached", false));
    if (!mEof)
        mRestarting = false;
    // mpv reads a failed read as the end of the medium: the file itself tells them apart.
    if (mEof && !ended && mMediumOpen)
        mFile.askReadsToEnd(this, [this, medium = mOpened](bool whole) {
            if (!whole && medium == mOpened && mMediumOpen)
                failMedium(kUnreadable);
        });
}

int MpvMediaPlayer::derivedPlayState() const
{
    if (!mMediumOpen)
        return Closed;
    if (mEof && !mRestarting)
        return Stopped;
    return mPaused ? Paused : Playing;
}

void MpvMediaPlayer::updatePlayState()
{
    const int state = derivedPlayState();
    if (state == mPlayState)
        return;
    const int old = mPlayState;
    mPlayState = state;
    QMetaObject::invokeMethod(
        this, [this, old, state] { emit PlayStateChange(old, state); }, Qt::QueuedConnection);
}

void MpvMediaPlayer::setOpenState(int state)
{
    if (state == mOpenState)
        return;
    const int old = mOpenState;
    mOpenState = state;
    QMetaObject::invokeMethod(
        this, [this, old, state] { emit OpenStateChange(old, state); }, Qt::QueuedConnection);
}

void MpvMediaPlayer::closeMedium()
{
    mFile.close();
    if (!mMediumOpen)
        return;
    mOpen->unload();
    mMediumOpen = false;
    mRestarting = false;
    setOpenState(NotOpen);
    updatePlayState();
}

void MpvMediaPlayer::failMedium(const QString &why)
{
    closeMedium();
    mError = why;
    QMetaObject::invokeMethod(this, [this] { emit Error(); }, Qt::QueuedConnection);
}

void MpvMediaPlayer::SetFileName(const QString &name)
{
    mSeekTarget.reset();
    mFileName = name;
    mError.clear();
    closeMedium();
    ++mOpened;
    mDuration = 0.0;
    mPaused = false;
    mEof = false;
    mRestarting = false;
    mLive = LiveSource::isLive(name);
    mError = mLive ? QString() : MpvOpen::refusal(name);
    if (!mError.isEmpty())
        return;

    // A file that is set starts playing.
    setFlagProperty("pause", false);
    mFrames->restart();
    setOpenState(Opening);
    MpvLive::configure(mMpv.get(), mLive ? name : QString());
    const QString path = mLive ? QString::fromUtf8(MpvLive::target(name))
                               : QDir::cleanPath(name.startsWith(u'/') ? name : QDir::currentPath() + u'/' + name);
    mFile.open(path);
    const std::optional<MpvOpen::Opened> opened = mOpen->open(path, mError, mLive);
    if (!opened) {
        mFile.close();
        setOpenState(NotOpen);
        updatePlayState();
        return;
    }
    mDuration = opened->duration;
    if (mWidget && !mKeepSize) {
        // The first frame is drawn, and told, once the open has returned, not inside it.
        const QScopedValueRollback holding(mHolding, true);
        mWidget->resize(opened->size);
    }
    mMediumOpen = true;
    setOpenState(Open);
    refreshPlaybackFlags();
    updatePlayState();
    // Events that arrived while waiting were taken there; pick up any left.
    QMetaObject::invokeMethod(this, [this] { drainEvents(); }, Qt::QueuedConnection);
}

void MpvMediaPlayer::Play()
{
    if (!mMediumOpen)
        return;
    // A live source plays on from now, not from what piled up while it stood: it is opened
    // again, in the place and size the window gave it.
    if (mLive && (mPaused || mEof)) {
        const QScopedValueRollback keep(mKeepSize, true);
        return SetFileName(mFileName);
    }
    if (flagProperty("eof-reached", false)) {
        // At the end: start again from the beginning.
        const char *seek[] = {"seek", "0", "absolute", "exact", nullptr};
        if (mpv_command(mMpv.get(), seek) >= 0) {
            mRestarting = true;
            mFrames->seek(0.0);
        }
    }
    setFlagProperty("pause", false);
    mPaused = false;
    updatePlayState();
}

void MpvMediaPlayer::Pause()
{
    if (!mMediumOpen)
        return;
    setFlagProperty("pause", true);
    mPaused = true;
    updatePlayState();
}

double MpvMediaPlayer::CurrentPosition() const
{
    // Until a seek has landed, mpv still reports where it was: a second jump made
    // right after the first must start from the first one's target.
    if (mSeekTarget)
        return *mSeekTarget;
    double position = 0.0;
    if (!mMediumOpen || mpv_get_property(mMpv.get(), "time-pos", MPV_FORMAT_DOUBLE, &position) < 0)
        return 0.0;
    return position;
}

void MpvMediaPlayer::SetCurrentPosition(double seconds)
{
    if (!mMediumOpen)
        return;
    const QByteArray target = QByteArray::number(seconds, 'f', 6);
    const char *seek[] = {"seek", target.constData(), "absolute", "exact", nullptr};
    if (mpv_command(mMpv.get(), seek) >= 0) {
        mSeekTarget = seconds;
        mFrames->seek(seconds);
    }
}

bool MpvMediaPlayer::Mute() const
{
    return flagProperty("mute", false);
}

void MpvMediaPlayer::SetMute(bool mute)
{
    setFlagProperty("mute", mute);
}

VideoWidget *MpvMediaPlayer::videoWidget() const
{
    return mWidget.data();
}

const QImage &MpvMediaPlayer::frame() const
{
    return mWidget->frame();
}

void MpvMediaPlayer::SetEveryFrame(bool on)
{
    mFrames->setEveryFrame(on);
}

double MpvMediaPlayer::FrameRate() const
{
    return mMediumOpen ? mFrames->frameRate() : 0.0;
}
