#include "app/KeyTracker.h"

#include <QKeyEvent>

#include <utility>

KeyTracker::Take KeyTracker::take(const QKeyEvent *event, int code)
{
    const Seen now{event, int(event->type()), event->key(), event->timestamp()};
    if (std::exchange(mLast, now) == now)
        return Take::Nothing;
    if (event->type() == QEvent::KeyPress) {
        mDown.insert(code);
        return Take::KeyDown;
    }
    if (event->isAutoRepeat())
        return Take::Nothing;
    return mDown.remove(code) ? Take::KeyUp : Take::ReleaseOnly;
}
