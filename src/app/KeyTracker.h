#pragma once
// Which key events the window's key handlers take. The window sees every key event of
// its widgets, so one key travelling up through the parents arrives several times; held
// keys repeat as release and press pairs; and a release whose press the window never saw
// (the Enter that closed a dialog) must run no command.

#include <QSet>

class QKeyEvent;

class KeyTracker {
public:
    enum class Take { Nothing, KeyDown, KeyUp, ReleaseOnly };

    // What the event with this key code means for the handlers.
    Take take(const QKeyEvent *event, int code);

private:
    struct Seen {
        const QKeyEvent *event = nullptr;
        int type = 0;
        int key = 0;
        quint64 timestamp = 0;
        bool operator==(const Seen &) const = default;
    };
    Seen mLast;
    QSet<int> mDown;
};
