#pragma once
// Outer window sizes are kept in twips (1/1440 inch); everything inside the window is
// pixels. The outer size counts the window's frame, as far as the window system tells it.

#include <QWidget>

#include <source_location>

namespace Twips {

double perPixelX(const QWidget *w);
double perPixelY(const QWidget *w);

double outerWidth(const QWidget *window);
double outerHeight(const QWidget *window);
// A size no window can take fails with "Invalid property value" at the caller's line.
void setOuterWidth(QWidget *window, double twips, std::source_location where = std::source_location::current());
void setOuterHeight(QWidget *window, double twips, std::source_location where = std::source_location::current());

} // namespace Twips
