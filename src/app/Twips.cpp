#include "app/Twips.h"

#include "errors/Failure.h"
#include "errors/FailurePatterns.h"


#include <algorithm>
#include <cmath>

namespace Twips {
namespace {

// Pixels from a twips value, refusing sizes no window can take.
int pixels(double twips, double twipsPerPixel, std::source_location where)
{
    const double value = twips / twipsPerPixel;
    if (!(value >= 0) || value > QWIDGETSIZE_MAX)
        raiseFailure(Failure::InvalidPropertyValue, Failure::standardDescription(Failure::InvalidPropertyValue), where);
    return int(std::lround(value));
}

} // namespace

double perPixelX(const QWidget *w)
{
    const int dpi = w->logicalDpiX();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

double perPixelY(const QWidget *w)
{
    const int dpi = w->logicalDpiY();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

double outerWidth(const QWidget *window)
{
    return window->frameGeometry().width() * perPixelX(window);
}

double outerHeight(const QWidget *window)
{
    return window->frameGeometry().height() * perPixelY(window);
}

void setOuterWidth(QWidget *window, double twips, std::source_location where)
{
    const int frame = window->frameGeometry().width() - window->width();
    window->resize(std::max(1, pixels(twips, perPixelX(window), where) - frame), window->height());
}

void setOuterHeight(QWidget *window, double twips, std::source_location where)
{
    const int frame = window->frameGeometry().height() - window->height();
    window->resize(window->width(), std::max(1, pixels(twips, perPixelY(window), where) - frame));
}

} // namespace Twips
