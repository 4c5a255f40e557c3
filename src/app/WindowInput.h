#pragma once
// The window's keys and the end of a held review step, watched for the whole application:
// the window sees every key event of its widgets ahead of them; a release ends a held step
// wherever it lands, since the widget that took the press may have been hidden by the step
// itself (the video gives way to the review picture); and a modal dialog or another window
// that takes the keyboard and the mouse ends it too, for their releases will not come here.

#include "app/KeyTracker.h"

#include <QObject>

class QWidget;

// What the input needs of the main window.
class InputHost {
public:
    virtual ~InputHost() = default;
    // A key that holds a command went down; one that runs on release went up.
    virtual void Form_KeyDown(int keyCode, int shift) = 0;
    virtual void Form_KeyUp(int keyCode, int shift) = 0;
    virtual bool reviewHeld() const = 0;
    virtual void ReleaseReview() = 0;
    // The review arrows see their own releases.
    virtual bool isReviewButton(const QObject *object) const = 0;
};

class WindowInput : public QObject {
public:
    // Watches the application's events for the window until it is destroyed.
    WindowInput(QWidget &window, InputHost &host);
    ~WindowInput() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void take(KeyTracker::Take take, int code, int shift);

    QWidget &mWindow;
    InputHost &mHost;
    KeyTracker mKeys{[this](KeyTracker::Take take, int code, int shift) { this->take(take, code, shift); }};
};
