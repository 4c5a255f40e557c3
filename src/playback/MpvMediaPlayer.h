#pragma once
// The media player component on libmpv. One object owns the mpv core and its
// software render context; the picture is drawn into the engine's VideoWidget,
// stretched over the whole widget. mpv's callbacks only post work to the UI
// thread; every call into mpv is made there.

#include "playback/MediaPlayer.h"
#include "playback/MediumFile.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

struct mpv_handle;
struct mpv_render_context;
struct mpv_event;
class QImage;
class MpvFrames;
class MpvOpen;
class VideoWidget;

class MpvMediaPlayer : public MediaPlayer {
    Q_OBJECT
public:
    // The video widget is made as a child of parentForVideo.
    explicit MpvMediaPlayer(QWidget *parentForVideo, QObject *parent = nullptr);
    ~MpvMediaPlayer() override;

    void SetFileName(const QString &name) override;
    QString FileName() const override { return mFileName; }

    int PlayState() const override { return mPlayState; }
    int OpenState() const override { return mOpenState; }
    void Play() override;
    void Pause() override;

    double CurrentPosition() const override;
    void SetCurrentPosition(double seconds) override;
    double Duration() const override { return mDuration; }

    QString ErrorDescription() const override { return mError; }

    bool Mute() const override;
    void SetMute(bool mute) override;

    QWidget *widget() const override;
    const QImage &frame() const override;
    void SetEveryFrame(bool on) override;
    double FrameRate() const override;
    VideoWidget *videoWidget() const;

    // The gain of the audio output in decibels, and mpv's cubic volume giving it.
    static constexpr double kGainDb = -10.8;
    static double volumeForGain(double decibels);

private:
    struct HandleDeleter {
        void operator()(mpv_handle *handle) const;
    };
    struct RenderDeleter {
        void operator()(mpv_render_context *context) const;
    };

    // Callbacks from mpv's threads: they only post to the UI thread.
    static void onWakeup(void *self);
    static void onRenderUpdate(void *self);

    void drainEvents();
    void handleEvent(const mpv_event &event);
    void renderUpdate();
    bool renderInto(QImage &target);

    // Closes the current medium, if any, and waits for mpv to have unloaded it.
    void closeMedium();
    // Closes the medium that could not be played on, saying why, and tells Error.
    void failMedium(const QString &why);

    void refreshPlaybackFlags();
    void updatePlayState();
    void setOpenState(int state);
    int derivedPlayState() const;

    bool flagProperty(const char *name, bool fallback) const;
    bool setFlagProperty(const char *name, bool value);

    std::unique_ptr<mpv_handle, HandleDeleter> mMpv;
    std::unique_ptr<mpv_render_context, RenderDeleter> mRender;
    std::unique_ptr<MpvOpen> mOpen; // the open and its wait
    std::unique_ptr<MpvFrames> mFrames; // which frames drawn are new, and their times
    QPointer<VideoWidget> mWidget;

    QString mFileName;
    QString mError;
    double mDuration = 0.0;
    // Where the last seek goes, until mpv has landed there.
    std::optional<double> mSeekTarget;
    int mPlayState = Closed;
    int mOpenState = NotOpen;
    bool mMediumOpen = false;
    bool mPaused = false;
    bool mEof = false;
    // Set when Play() restarts from the end: the end-of-medium flag mpv still
    // reports until its seek has run is not taken as the end.
    bool mRestarting = false;
    bool mHolding = false; // nothing is drawn meanwhile
    bool mLive = false;     // a stream or a camera, opened with the least delay
    bool mKeepSize = false; // an open that leaves the widget as the window laid it out
    MediumFile mFile;
    // Counts the media opened, so that an answer about an earlier one's file is not taken.
    quint64 mOpened = 0;
};
