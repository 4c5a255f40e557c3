#pragma once
// A scripted media player component for tests: media are declared by name with
// their picture size and length; everything else fails to open. Notifications are
// queued like the real engine's.

#include "playback/MediaPlayer.h"

#include <QHash>
#include <QSize>
#include <QWidget>

class FakeMediaPlayer : public MediaPlayer {
    Q_OBJECT
public:
    explicit FakeMediaPlayer(QWidget *videoParent, QObject *parent = nullptr);
    ~FakeMediaPlayer() override;

    // Declares a file that opens with this natural size and length.
    void addMedium(const QString &name, QSize naturalSize, double duration);
    // Plays the open medium to its end: the state becomes Stopped.
    void reachEnd();
    // Makes the next Pause() or Play() raise a failure.
    void failNextCall(bool fail) { mFailNext = fail; }

    int playCalls = 0;
    int pauseCalls = 0;

    void SetFileName(const QString &name) override;
    QString FileName() const override { return mFileName; }
    int PlayState() const override { return mPlayState; }
    int OpenState() const override { return mOpenState; }
    void Play() override;
    void Pause() override;
    double CurrentPosition() const override { return mPosition; }
    void SetCurrentPosition(double seconds) override { mPosition = seconds; }
    double Duration() const override { return mDuration; }
    QString ErrorDescription() const override { return mError; }
    bool Mute() const override { return mMute; }
    void SetMute(bool mute) override { mMute = mute; }
    QWidget *widget() const override { return mWidget; }
    const QImage &frame() const override { return mFrame; }

    // The picture shown: the whole video area in one colour.
    void setPicture(QColor colour);
    QColor picture() const { return mColour; }
    // Keeps the picture at the widget's size.
    void fitPicture();

    // Lets a test report any state, as the engine would.
    void setPlayState(int state);

private:
    void setOpenState(int state);
    void changeState(int &current, int state, void (MediaPlayer::*notification)(int, int));
    void checkFail();

    struct Medium {
        QSize size;
        double duration;
    };
    QHash<QString, Medium> mMedia;
    QWidget *mWidget;
    QImage mFrame;
    QColor mColour = Qt::darkGreen;
    QString mFileName;
    QString mError;
    int mPlayState = Closed;
    int mOpenState = NotOpen;
    double mPosition = 0;
    double mDuration = 0;
    bool mMute = false;
    bool mFailNext = false;
};
