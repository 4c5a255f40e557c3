#pragma once
// What the layouts and the ring's sizing need of the main window, answered by its widgets:
// the window's frame and state, the player, the bar, the review picture and the zoom
// items. What runs the window's own handlers comes in as calls.

#include "app/WindowLayout.h"
#include "review/RingSizing.h"

#include <functional>

class PlayControl;
class QMainWindow;
class QWidget;
class ReviewPicture;
class WindowFrameWatch;
class ZoomMenu;

class WindowLayoutHost final : public LayoutHost, public RingSizingHost {
public:
    struct Calls {
        std::function<void()> resized;   // lays the window out again, as its resize does
        std::function<void()> laidOut;   // sizes the ring and shows the video
        std::function<void()> zoomTo100; // the 100 % command
    };
    struct Parts {
        QMainWindow &window;
        QWidget &player;
        QWidget &bar;
        ReviewPicture &review;
        ZoomMenu &zoom;
        PlayControl &play;
        const QSize &video; // the open medium's own size
        int playerTop;      // pixels from the top of the inner area
    };
    WindowLayoutHost(Parts parts, Calls calls);

    Metrics metrics() const override;
    Zoom zoom() const override;
    void setZoom(Zoom zoom) override;
    void leaveMaximized() override;
    void setOuterTwips(double width, double height) override;
    void againWhenFramed(std::function<void()> sizing) override;
    void Form_Resize() override { mCalls.resized(); }
    void layOut(QSize player) override;
    void showChrome(bool show) override;
    void setFullScreen(bool on, QRect normal) override;

    QSize videoSize() const override;
    void placeReviewPicture(QSize size) override;
    bool atHundredPercent() const override;
    void zoomToHundredPercent() override { mCalls.zoomTo100(); }
    void pauseForMessage() override;

private:
    Parts mParts;
    Calls mCalls;
    WindowFrameWatch *mFrameWatch;
};
