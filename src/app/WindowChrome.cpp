#include "app/WindowChrome.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>

namespace WindowChrome {

QSize innerSize(const QMainWindow *window)
{
    const QMenuBar *menus = window->menuBar();
    const int bar = menus->isHidden() ? 0 : menus->heightForWidth(window->width());
    return {window->width(), window->height() - (bar > 0 ? bar : menus->sizeHint().height())};
}

void showTitleBar(QWidget *window, bool show)
{
    const bool wasVisible = window->isVisible();
    window->setWindowFlag(Qt::FramelessWindowHint, !show);
    // A change of window flags hides the window; show it again so the frame is redrawn.
    if (wasVisible)
        window->show();
}

void show(QMainWindow *window, bool show)
{
    showTitleBar(window, show);
    for (QAction *menu : window->menuBar()->actions())
        menu->setVisible(show);
    // With all five menus hidden the window has no menu bar.
    window->menuBar()->setVisible(show);
}

void setFullScreen(QMainWindow *window, bool on, QRect normal, int playerTop)
{
    if (on) {
        // A new geometry would end the full-screen state, so it comes first.
        if (QScreen *display = window->screen())
            window->setGeometry(display->geometry());
        window->setWindowState(Qt::WindowFullScreen);
    } else {
        window->setWindowState(Qt::WindowNoState);
        if (normal.isValid())
            window->setGeometry(normal);
    }
    keepPlayerRoom(window, playerTop);
}

void keepPlayerRoom(QMainWindow *window, int playerTop)
{
    const int bar = window->menuBar()->isHidden() ? 0 : window->menuBar()->sizeHint().height();
    window->setMinimumSize(160, bar + playerTop + 36);
}

} // namespace WindowChrome
