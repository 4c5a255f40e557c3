#include "app/Twips.h"

#include "errors/Failure.h"
#include "errors/FailurePatterns.h"

#include <QEvent>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>

namespace Twips {
namespace {

// Pixels from a twips value, refusing sizes no window can take.
int pixels(double twips, double twipsPerPixel, std::source_location where)
{
    const double value = twips / twipsPerPixel;
    if (!(value >= 0) || value > QWIDGETSIZE_MAX)
        raiseFailure(Failure::InvalidPropertyValue, Failure::standardDescription(Failure::InvalidPropertyValue), where);
    return int(std::lround(value));
}

} // namespace

double perPixelX(const QWidget *w)
{
    const int dpi = w->logicalDpiX();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

double perPixelY(const QWidget *w)
{
    const int dpi = w->logicalDpiY();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

double outerWidth(const QWidget *window)
{
    return window->frameGeometry().width() * perPixelX(window);
}

double outerHeight(const QWidget *window)
{
    return window->frameGeometry().height() * perPixelY(window);
}

void setOuterWidth(QWidget *window, double twips, std::source_location where)
{
    const int frame = window->frameGeometry().width() - window->width();
    window->resize(std::max(1, pixels(twips, perPixelX(window), where) - frame), window->height());
}

void setOuterHeight(QWidget *window, double twips, std::source_location where)
{
    const int frame = window->frameGeometry().height() - window->height();
    window->resize(window->width(), std::max(1, pixels(twips, perPixelY(window), where) - frame));
}

FrameWatch::FrameWatch(QWidget *window)
    : QObject(window), mWindow(window)
{
    window->installEventFilter(this);
}

void FrameWatch::againWhenFramed(std::function<void()> sizing)
{
    // Once the frame is known, a new sizing makes the one still to be done again moot.
    mSizing = mFramed ? nullptr : std::move(sizing);
}

bool FrameWatch::eventFilter(QObject *watched, QEvent *event)
{
    // The frame shows as the window manager moves, activates or paints the window.
    static constexpr QEvent::Type kLooks[] = {QEvent::Move, QEvent::Resize, QEvent::WindowActivate, QEvent::Paint,
                                              QEvent::UpdateRequest};
    if (watched == mWindow && !mFramed && mWindow->isVisible() && std::ranges::count(kLooks, event->type()) &&
        mWindow->frameGeometry().size() != mWindow->size() && !mWindow->isFullScreen()) {
        mFramed = true;
        mWindow->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] {
            if (const auto sizing = std::exchange(mSizing, nullptr))
                ignoreFailure(sizing);
        });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace Twips
