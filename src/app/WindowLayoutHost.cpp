#include "app/WindowLayoutHost.h"

#include "app/Twips.h"
#include "app/WindowChrome.h"
#include "app/WindowFrameWatch.h"
#include "app/ZoomMenu.h"
#include "playback/PlayControl.h"
#include "review/ReviewPicture.h"

#include <QMainWindow>

WindowLayoutHost::WindowLayoutHost(Parts parts, Calls calls)
    : mParts(parts), mCalls(std::move(calls)), mFrameWatch(new WindowFrameWatch(&parts.window))
{
}

LayoutHost::Metrics WindowLayoutHost::metrics() const
{
    const QMainWindow *window = &mParts.window;
    return {window->frameGeometry().size(), WindowChrome::innerSize(window), mParts.video,
            mParts.player.geometry(), window->geometry(), QPointF(Twips::perPixelX(window), Twips::perPixelY(window))};
}

LayoutHost::Zoom WindowLayoutHost::zoom() const { return mParts.zoom.zoom(); }
void WindowLayoutHost::setZoom(Zoom zoom) { mParts.zoom.setZoom(zoom); }

void WindowLayoutHost::leaveMaximized()
{
    mParts.window.setWindowState(mParts.window.windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
}

void WindowLayoutHost::setOuterTwips(double width, double height)
{
    Twips::setOuterWidth(&mParts.window, width);
    Twips::setOuterHeight(&mParts.window, height);
}

void WindowLayoutHost::againWhenFramed(std::function<void()> sizing) { mFrameWatch->againWhenFramed(std::move(sizing)); }
void WindowLayoutHost::showChrome(bool show) { WindowChrome::show(&mParts.window, show); }

void WindowLayoutHost::setFullScreen(bool on, QRect normal)
{
    WindowChrome::setFullScreen(&mParts.window, on, normal, mParts.playerTop);
}

void WindowLayoutHost::layOut(QSize player)
{
    mParts.player.resize(player);
    mParts.bar.move(mParts.bar.x(), 0);
    mParts.bar.resize(mParts.window.width(), mParts.bar.height());
    mCalls.laidOut();
}

QSize WindowLayoutHost::videoSize() const { return mParts.player.size(); }

void WindowLayoutHost::placeReviewPicture(QSize size)
{
    mParts.review.move(mParts.player.pos());
    mParts.review.setPictureSize(size);
}

bool WindowLayoutHost::atHundredPercent() const { return mParts.zoom.atHundredPercent(); }
void WindowLayoutHost::pauseForMessage() { mParts.play.pauseForDialog(); }
