#pragma once
// The window's layouts: the video at 100 % or 200 % with the window wrapped around it, the
// video fitted to whatever size the window has, and full screen and back. Outer window sizes
// are twips (1/1440 inch); everything inside the window is pixels.

#include <QPointF>
#include <QRect>
#include <QSize>

#include <functional>

// What the layouts need of the window; the window does every widget call.
class LayoutHost {
public:
    enum class Zoom { Percent100, Percent200, Fit };
    struct Metrics {
        QSize outer;           // pixels, the window's frame counted as far as it is known
        QSize inner;           // pixels, below the menu bar
        QSize video;           // the medium's own size in pixels
        QRect player;          // in the inner area
        QRect geometry;        // the window's, as full screen leaves it
        QPointF twipsPerPixel; // x and y
    };
    virtual ~LayoutHost() = default;
    virtual Metrics metrics() const = 0;
    virtual Zoom zoom() const = 0; // the checked zoom item; none checked fits
    virtual void setZoom(Zoom zoom) = 0;
    virtual void leaveMaximized() = 0;
    // A size no window can take fails with "Invalid property value".
    virtual void setOuterTwips(double width, double height) = 0;
    // Once the window manager has framed the window, the sizing is done again.
    virtual void againWhenFramed(std::function<void()> sizing) = 0;
    // Lays the window out again, as its resize does.
    virtual void Form_Resize() = 0;
    // Gives the player this size and lays the rest out around it.
    virtual void layOut(QSize player) = 0;
    // The title bar and the menus come and go with full screen.
    virtual void showChrome(bool show) = 0;
    // Full screen over the whole display, or back to the geometry given, if it is valid.
    virtual void setFullScreen(bool on, QRect normal) = 0;
};

class WindowLayout {
public:
    // The narrowest outer width at 100 %, in twips: the bar of controls keeps its room.
    static constexpr double kMinimumWidth100 = 6500;

    explicit WindowLayout(LayoutHost &host) : mHost(host) {}

    // Wraps the window around the video at this factor (1 or 2).
    void zoom(int factor);
    void fit();
    void toggleFullScreen();
    // Sizes the player for the checked zoom, after any resize.
    void resized();

    bool fullScreen() const { return mFullScreen; }

private:
    LayoutHost &mHost;
    bool mFullScreen = false;
    QRect mNormalGeometry; // to come back to from full screen
};
