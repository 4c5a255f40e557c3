#pragma once
// Outer window sizes are kept in twips (1/1440 inch); everything inside the window is
// pixels. The outer size counts the window's frame, as far as the window system tells it.

#include <QObject>
#include <QWidget>

#include <functional>
#include <source_location>

namespace Twips {

double perPixelX(const QWidget *w);
double perPixelY(const QWidget *w);

double outerWidth(const QWidget *window);
double outerHeight(const QWidget *window);
// A size no window can take fails with "Invalid property value" at the caller's line.
void setOuterWidth(QWidget *window, double twips, std::source_location where);
void setOuterHeight(QWidget *window, double twips, std::source_location where);

// A new window has no frame until the window manager has put one around it, some
// time after it is shown; an outer size given before that lands on the inner area.
// FrameWatch does the last such sizing once more as soon as the frame is known.
class FrameWatch : public QObject {
public:
    explicit FrameWatch(QWidget *window);
    // Remembers sizing, about to be done, to be done again once the window is framed.
    // A failure in it is told the first time only.
    void againWhenFramed(std::function<void()> sizing);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *mWindow;
    std::function<void()> mSizing;
    bool mFramed = false;
};

} // namespace Twips
