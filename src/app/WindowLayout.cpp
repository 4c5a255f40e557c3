#include "app/WindowLayout.h"

using Zoom = LayoutHost::Zoom;

void WindowLayout::zoom(int factor)
{
    mHost.againWhenFramed([this, factor] { zoom(factor); });
    mHost.leaveMaximized();
    mHost.setZoom(factor == 2 ? Zoom::Percent200 : Zoom::Percent100);
    // The window's frame and bars keep their size: the outer size is the video's extent
    // plus them, so that the inner area wraps the video exactly.
    const LayoutHost::Metrics m = mHost.metrics();
    const double perPixelX = m.twipsPerPixel.x(), perPixelY = m.twipsPerPixel.y();
    double formWidth = m.outer.width() * perPixelX - m.inner.width() * perPixelX +
                 (m.player.x() + double(factor) * m.video.width()) * perPixelX;
    if (factor == 1 && formWidth < kMinimumWidth100)
        formWidth = kMinimumWidth100;
    const double formHeight = m.outer.height() * perPixelY - m.inner.height() * perPixelY +
                  (m.player.y() + double(factor) * m.video.height()) * perPixelY;
    mHost.setOuterTwips(float(formWidth), float(formHeight));
    // A window already of that size sees no resize; the video still takes its zoom.
    if (mHost.metrics().outer == m.outer)
        mHost.Form_Resize();
}

void WindowLayout::fit()
{
    mHost.setZoom(Zoom::Fit);
    mHost.Form_Resize();
}

void WindowLayout::toggleFullScreen()
{
    mFullScreen = !mFullScreen;
    mHost.showChrome(!mFullScreen);
    // The window system is asked for full screen, and the window is also put over the
    // whole display itself, for desktops whose window manager does not do it.
    if (mFullScreen)
        mNormalGeometry = mHost.metrics().geometry;
    mHost.setFullScreen(mFullScreen, mNormalGeometry);
}

void WindowLayout::resized()
{
    const LayoutHost::Metrics m = mHost.metrics();
    QSize player = m.player.size();
    switch (mHost.zoom()) {
    case Zoom::Percent100: player = m.video; break;
    case Zoom::Percent200: player = 2 * m.video; break;
    case Zoom::Fit:
        // The player fills the inner area right and down from where it stands.
        if (m.player.y() < m.inner.height())
            player.setHeight(m.inner.height() - m.player.y());
        if (m.player.x() < m.inner.width())
            player.setWidth(m.inner.width() - m.player.x());
        break;
    }
    mHost.layOut(player);
}
