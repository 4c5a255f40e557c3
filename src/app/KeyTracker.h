#pragma once
// Which key events the window's key handlers take. The window sees every key event of
// its widgets, so one key travelling up through the parents arrives several times; held
// keys repeat as release and press pairs, which the X11 platform does not always mark as
// repeats (it marks a pair only when both are already read when the release is handled);
// and a release whose press the window never saw (the Enter that closed a dialog) must
// run no command. So a release is held back for a moment: a press of the same key with
// the same time stamp makes it a repeat.

#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>
#include <optional>

class QKeyEvent;

class KeyTracker : public QObject {
public:
    enum class Take { Nothing, KeyDown, KeyUp, ReleaseOnly };
    // Receives what each event means for the handlers: the key code and the shift code.
    using Handler = std::function<void(Take take, int code, int shift)>;

    explicit KeyTracker(Handler handler, QObject *parent = nullptr);

    // Takes one key event with its key code and shift code.
    void take(const QKeyEvent *event, int code, int shift);
    // True for the press of a repeat whose release is held back: it runs no shortcut.
    bool isRepeat(const QKeyEvent *press) const;
    // A modal dialog took the keyboard: the keys held now run nothing on release, and a
    // release held back is told at once.
    void forget();

private:
    void tellHeldRelease();

    struct Seen {
        const QKeyEvent *event = nullptr;
        int type = 0;
        int key = 0;
        quint64 timestamp = 0;
        bool operator==(const Seen &) const = default;
    };
    struct Release {
        int key = 0;
        quint64 timestamp = 0;
        int code = 0;
        int shift = 0;
    };
    Handler mHandler;
    Seen mLast;
    QSet<int> mDown;
    std::optional<Release> mHeld;
    QTimer mHoldBack;
};
