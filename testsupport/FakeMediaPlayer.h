#pragma once
// A scripted media player for tests: media are declared by name with their picture size
// and length; any other name fails to open. The picture is one colour over the whole video
// area. State changes and presses on the video are told queued, as the engine tells them.
#include "playback/InputCodes.h"
#include "playback/MediaPlayer.h"
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

class FakeMediaPlayer : public MediaPlayer {
public:
    explicit FakeMediaPlayer(QWidget *videoParent, QObject *parent = nullptr)
        : MediaPlayer(parent), mWidget(new Video(videoParent, this)) {}
    ~FakeMediaPlayer() override { delete mWidget; }

    // Declares a file that opens with this natural size, length and frame rate.
    void addMedium(const QString &name, QSize size, double duration, double fps = 25) { mMedia.insert(name, {size, duration, fps}); }
    // The picture shown: the whole video area in one colour.
    void setPicture(QColor colour) { mColour = colour; fitPicture(); }
    // Lets a test report any state, as the engine would.
    void setPlayState(int state) { tell(mPlayState, state, &MediaPlayer::PlayStateChange); }

    void SetFileName(const QString &name) override
    {
        mFileName = name;
        if (mOpenState == Open)
            setOpenState(NotOpen);
        setPlayState(Closed);
        setOpenState(Opening);
        const auto it = mMedia.constFind(name);
        mError = it == mMedia.constEnd() ? QStringLiteral("unrecognized file format") : QString();
        if (!mError.isEmpty())
            return setOpenState(NotOpen);
        mDuration = it->duration, mPosition = 0, mFrameRate = it->fps;
        mWidget->resize(it->size);
        setOpenState(Open);
        setPlayState(Playing);
    }
    QString FileName() const override { return mFileName; }
    int PlayState() const override { return mPlayState; }
    int OpenState() const override { return mOpenState; }
    void Play() override { if (mOpenState == Open) setPlayState(Playing); }
    void Pause() override { if (mPlayState == Playing) setPlayState(Paused); }
    double CurrentPosition() const override { return mPosition; }
    void SetCurrentPosition(double seconds) override { mPosition = seconds; }
    double Duration() const override { return mDuration; }
    QString ErrorDescription() const override { return mError; }
    bool Mute() const override { return mMute; }
    void SetMute(bool mute) override { mMute = mute; }
    QWidget *widget() const override { return mWidget; }
    const QImage &frame() const override { return mFrame; }
    void SetEveryFrame(bool on) override { mEveryFrame = on; }
    double FrameRate() const override { return mFrameRate; }
    bool everyFrame() const { return mEveryFrame; }
    // Draws a new frame of this colour at this time in the medium, as the engine does.
    void showFrame(QColor colour, double videoSeconds) { setPicture(colour), emit FrameShown(videoSeconds); }

private:
    struct Video : QWidget {
        Video(QWidget *parent, FakeMediaPlayer *player) : QWidget(parent), player(player) {}
        void paintEvent(QPaintEvent *) override { QPainter(this).drawImage(0, 0, player->mFrame); }
        void resizeEvent(QResizeEvent *) override { player->fitPicture(); }
        void mousePressEvent(QMouseEvent *e) override
        {
            const QPoint at = e->position().toPoint();
            if (const int button = InputCodes::button(e->button()))
                emit player->MouseDown(button, InputCodes::shift(e->modifiers()), at.x(), at.y());
        }
        FakeMediaPlayer *player;
    };

    void setOpenState(int state) { tell(mOpenState, state, &MediaPlayer::OpenStateChange); }
    void tell(int &current, int state, void (MediaPlayer::*notification)(int, int)) // a real change, queued
    {
        if (const int old = std::exchange(current, state); old != state)
            QMetaObject::invokeMethod(this, [=, this] { emit(this->*notification)(old, state); }, Qt::QueuedConnection);
    }
    void fitPicture()
    {
        mFrame = mWidget->size().isEmpty() ? QImage() : QImage(mWidget->size(), QImage::Format_RGB32);
        mFrame.fill(mColour), mWidget->update();
    }
    struct Medium { QSize size; double duration, fps; };
    QHash<QString, Medium> mMedia;
    QWidget *mWidget;
    QImage mFrame;
    QColor mColour = Qt::darkGreen;
    QString mFileName, mError;
    int mPlayState = Closed, mOpenState = NotOpen;
    bool mMute = false;
    bool mEveryFrame = false;
    double mFrameRate = 0;
    double mPosition = 0, mDuration = 0;
};
