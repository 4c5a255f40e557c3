#pragma once
// Outer window sizes are kept in twips (1/1440 inch); everything inside the window is pixels.

#include <QWidget>

namespace Twips {

inline double perPixelX(const QWidget *w)
{
    const int dpi = w->logicalDpiX();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

inline double perPixelY(const QWidget *w)
{
    const int dpi = w->logicalDpiY();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

} // namespace Twips
