#include "FakeMediaPlayer.h"

#include "errors/Failure.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
// Reports presses like the engine's video widget does.
class FakeVideo : public QWidget {
public:
    FakeVideo(QWidget *parent, FakeMediaPlayer *player) : QWidget(parent), mPlayer(player)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.drawImage(0, 0, mPlayer->frame());
    }

    void resizeEvent(QResizeEvent *) override { mPlayer->fitPicture(); }

    void mousePressEvent(QMouseEvent *event) override
    {
        const int button = event->button() == Qt::RightButton    ? MediaPlayer::RightButton
                           : event->button() == Qt::MiddleButton ? MediaPlayer::MiddleButton
                                                                 : MediaPlayer::LeftButton;
        const int x = int(event->position().x());
        const int y = int(event->position().y());
        QMetaObject::invokeMethod(
            mPlayer, [p = mPlayer, button, x, y] { emit p->MouseDown(button, 0, x, y); }, Qt::QueuedConnection);
    }

private:
    FakeMediaPlayer *mPlayer;
};
} // namespace

FakeMediaPlayer::FakeMediaPlayer(QWidget *videoParent, QObject *parent)
    : MediaPlayer(parent), mWidget(new FakeVideo(videoParent, this))
{
}

FakeMediaPlayer::~FakeMediaPlayer()
{
    delete mWidget;
}

void FakeMediaPlayer::addMedium(const QString &name, QSize naturalSize, double duration)
{
    mMedia.insert(name, Medium{naturalSize, duration});
}

void FakeMediaPlayer::SetFileName(const QString &name)
{
    mFileName = name;
    if (mOpenState == Open)
        setOpenState(NotOpen);
    setPlayState(Closed);
    setOpenState(Opening);
    const auto it = mMedia.constFind(name);
    if (it == mMedia.constEnd()) {
        mError = QStringLiteral("unrecognized file format");
        setOpenState(NotOpen);
        return;
    }
    mError.clear();
    mDuration = it->duration;
    mPosition = 0;
    mWidget->resize(it->size);
    setOpenState(Open);
    setPlayState(Playing);
}

void FakeMediaPlayer::checkFail()
{
    if (mFailNext) {
        mFailNext = false;
        raiseFailure(Failure::InvalidCall);
    }
}

void FakeMediaPlayer::Play()
{
    ++playCalls;
    checkFail();
    if (mOpenState != Open)
        return;
    if (mPlayState == Stopped)
        mPosition = 0;
    setPlayState(Playing);
}

void FakeMediaPlayer::Pause()
{
    ++pauseCalls;
    checkFail();
    if (mPlayState == Playing)
        setPlayState(Paused);
}

void FakeMediaPlayer::reachEnd()
{
    mPosition = mDuration;
    setPlayState(Stopped);
}

void FakeMediaPlayer::setPlayState(int state)
{
    changeState(mPlayState, state, &MediaPlayer::PlayStateChange);
}

void FakeMediaPlayer::setOpenState(int state)
{
    changeState(mOpenState, state, &MediaPlayer::OpenStateChange);
}

// A real change is told, queued, as the engine tells it.
void FakeMediaPlayer::changeState(int &current, int state, void (MediaPlayer::*notification)(int, int))
{
    if (state == current)
        return;
    const int old = current;
    current = state;
    QMetaObject::invokeMethod(
        this, [this, old, state, notification] { emit(this->*notification)(old, state); }, Qt::QueuedConnection);
}

void FakeMediaPlayer::setPicture(QColor colour)
{
    mColour = colour;
    fitPicture();
}

void FakeMediaPlayer::fitPicture()
{
    if (mFrame.size() != mWidget->size())
        mFrame = mWidget->size().isEmpty() ? QImage() : QImage(mWidget->size(), QImage::Format_RGB32);
    mFrame.fill(mColour);
    mWidget->update();
}
