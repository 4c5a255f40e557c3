#include "app/WindowInput.h"

#include "app/Commands.h"
#include "playback/InputCodes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

WindowInput::WindowInput(QWidget &window, InputHost &host) : mWindow(window), mHost(host)
{
    qApp->installEventFilter(this);
}

WindowInput::~WindowInput()
{
    qApp->removeEventFilter(this);
}

bool WindowInput::eventFilter(QObject *watched, QEvent *event)
{
    const bool ours = watched->isWidgetType() ? static_cast<QWidget *>(watched)->window() == &mWindow
                                              : watched == static_cast<QObject *>(mWindow.windowHandle());
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonRelease && ours && mHost.reviewHeld() && !mHost.isReviewButton(watched))
        mHost.ReleaseReview();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && ours && watched->isWidgetType()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        mKeys.take(key, Commands::keyCode(key), InputCodes::shift(key->modifiers()));
    }
    // The menu shortcuts take no repeats either.
    if (type == QEvent::ShortcutOverride && ours && mKeys.isRepeat(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    if ((type == QEvent::WindowBlocked || type == QEvent::WindowDeactivate) && watched == &mWindow) {
        mKeys.forget();
        if (mHost.reviewHeld())
            mHost.ReleaseReview();
    }
    return false;
}

void WindowInput::take(KeyTracker::Take take, int code, int shift)
{
    switch (take) {
    case KeyTracker::Take::KeyDown: mHost.Form_KeyDown(code, shift); break;
    case KeyTracker::Take::KeyUp: mHost.Form_KeyUp(code, shift); break;
    case KeyTracker::Take::ReleaseOnly: mHost.ReleaseReview(); break;
    case KeyTracker::Take::Nothing: break;
    }
}
