#include "app/WindowFrameWatch.h"

#include "errors/FailurePatterns.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <utility>

WindowFrameWatch::WindowFrameWatch(QWidget *window, int patienceMs)
    : QObject(window), mWindow(window), mPatienceMs(patienceMs)
{
    window->installEventFilter(this);
}

void WindowFrameWatch::againWhenFramed(std::function<void()> sizing)
{
    // Once the frame is known, a new sizing makes the one still to be done again moot.
    mSizing = mDone ? nullptr : std::move(sizing);
}

bool WindowFrameWatch::eventFilter(QObject *watched, QEvent *event)
{
    // The frame shows as the window manager moves, activates or paints the window.
    static constexpr QEvent::Type kLooks[] = {QEvent::Move, QEvent::Resize, QEvent::WindowActivate, QEvent::Paint,
                                              QEvent::UpdateRequest};
    if (watched == mWindow && !mDone && mWindow->isVisible() && std::ranges::count(kLooks, event->type()) &&
        !mWindow->isFullScreen()) {
        if (mWindow->frameGeometry().size() != mWindow->size()) {
            stop(true);
        } else if (!mWaiting) {
            mWaiting = true;
            QTimer::singleShot(mPatienceMs, this, [this] {
                if (!mDone)
                    stop(mWindow->frameGeometry().size() != mWindow->size());
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

void WindowFrameWatch::stop(bool framed)
{
    mDone = true;
    mWindow->removeEventFilter(this);
    if (!framed) {
        mSizing = nullptr;
        return;
    }
    QTimer::singleShot(0, this, [this] {
        if (const auto sizing = std::exchange(mSizing, nullptr))
            ignoreFailure(sizing);
    });
}
