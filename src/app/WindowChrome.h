#pragma once
// The main window's title bar, menus and window state, as the layouts change them.

#include <QRect>
#include <QSize>

class QMainWindow;
class QWidget;

namespace WindowChrome {

// The window's size below the menu bar, in pixels.
QSize innerSize(const QMainWindow *window);
void showTitleBar(QWidget *window, bool show);
// The title bar, the menus and with them their shortcuts; hidden in full screen.
void show(QMainWindow *window, bool show);
// Full screen over the whole display, or back to the normal geometry, if it is valid.
void setFullScreen(QMainWindow *window, bool on, QRect normal, int playerTop);
// Keeps the player, playerTop pixels down the inner area, above 25 pixels high, so that a
// resize never gives a snapshot without height.
void keepPlayerRoom(QMainWindow *window, int playerTop);

} // namespace WindowChrome
