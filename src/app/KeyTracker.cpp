#include "app/KeyTracker.h"

#include <QKeyEvent>

#include <utility>

namespace {
// Long enough for the press of a repeat to be read after its release, far shorter than
// any person takes to release and press a key again.
constexpr int kHoldBackMs = 20;
} // namespace

KeyTracker::KeyTracker(Handler handler, QObject *parent) : QObject(parent), mHandler(std::move(handler))
{
    mHoldBack.setSingleShot(true);
    mHoldBack.setInterval(kHoldBackMs);
    connect(&mHoldBack, &QTimer::timeout, this, &KeyTracker::tellHeldRelease);
}

void KeyTracker::take(const QKeyEvent *event, int code, int shift)
{
    const Seen now{event, int(event->type()), event->key(), event->timestamp()};
    if (std::exchange(mLast, now) == now)
        return;
    if (event->type() == QEvent::KeyPress) {
        if (isRepeat(event)) {
            mHeld.reset(); // the pair was a repeat: the key is still down
            mHoldBack.stop();
        } else {
            tellHeldRelease();
        }
        mDown.insert(code);
        mHandler(Take::KeyDown, code, shift);
        return;
    }
    if (event->isAutoRepeat())
        return;
    tellHeldRelease();
    mHeld = Release{event->key(), event->timestamp(), code, shift};
    mHoldBack.start();
}

bool KeyTracker::isRepeat(const QKeyEvent *press) const
{
    return mHeld && mHeld->key == press->key() && mHeld->timestamp == press->timestamp();
}

void KeyTracker::forget()
{
    tellHeldRelease();
    mDown.clear();
}

void KeyTracker::tellHeldRelease()
{
    mHoldBack.stop();
    if (const std::optional<Release> held = std::exchange(mHeld, std::nullopt))
        mHandler(mDown.remove(held->code) ? Take::KeyUp : Take::ReleaseOnly, held->code, held->shift);
}
