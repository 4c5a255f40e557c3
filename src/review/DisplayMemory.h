#pragma once
// Snapshots that the X display server reads straight from our memory (its shared
// memory extension), so that showing one costs the program no copy: the server copies
// the pixels onto the screen itself. Only on an X11 display whose server offers the
// extension with 24-bit true colour; anywhere else nothing here is available and the
// picture is painted as usual.

#include <QImage>
#include <QList>

#include <memory>

class QWidget;

namespace DisplayMemory {

// Images of the given size, RGB32, all lying in one block of memory shared with the
// display server; the block is let go when the last of them is gone. An empty list when
// the display cannot read our memory or the block cannot be had.
QList<QImage> images(QSize size, qsizetype count);
// Whether an image's pixels lie in memory shared with the display server.
bool holds(const QImage &image);

} // namespace DisplayMemory

// A window of the display's own, lying exactly over a widget, that shows an image from
// display memory. It takes no input: presses and moves reach the widget below it.
class DisplayOverlay {
public:
    explicit DisplayOverlay(QWidget *over);
    ~DisplayOverlay();
    DisplayOverlay(const DisplayOverlay &) = delete;
    DisplayOverlay &operator=(const DisplayOverlay &) = delete;

    // Shows the image over the widget: true when it lies in display memory, has the
    // widget's size and the widget's window can carry the overlay; else false, and the
    // overlay is hidden.
    bool show(const QImage &image);
    // Hides the overlay and lets go of its image.
    void hide();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
