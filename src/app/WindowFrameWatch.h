#pragma once
// A new window has no frame until the window manager has put one around it, some time
// after it is shown; an outer size given before that lands on the inner area. The watch
// does the last such sizing once more as soon as the frame is known. Some platforms never
// tell a frame (Wayland, where the window draws its own decorations): there the watch
// gives up a while after the window first shows.

#include <QElapsedTimer>
#include <QObject>

#include <functional>

class QWidget;

class WindowFrameWatch : public QObject {
public:
    explicit WindowFrameWatch(QWidget *window, int patienceMs = 3000);
    // Remembers sizing, about to be done, to be done again once the window is framed.
    // A failure in it is told the first time only.
    void againWhenFramed(std::function<void()> sizing);
    // False once the frame is known, or no longer expected.
    bool watching() const { return !mDone; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void stop(bool framed);

    QWidget *mWindow;
    int mPatienceMs;
    std::function<void()> mSizing;
    bool mDone = false;
    bool mWaiting = false; // the window has shown without a frame; patience runs
};
