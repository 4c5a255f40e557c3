#pragma once
// A window of the X display's own, lying exactly over a widget, that shows an image from
// a SharedImageBlock: the server puts the pixels on the screen without the program
// copying them. It takes no input: presses and moves reach the widget below it. Anywhere
// the server cannot read our memory it shows nothing and the widget paints as usual.
// Everything here runs on the UI thread, where the toolkit's events arrive.

#include <QImage>

#include <memory>

class QWidget;

class X11Overlay {
public:
    explicit X11Overlay(QWidget *over);
    ~X11Overlay();
    X11Overlay(const X11Overlay &) = delete;
    X11Overlay &operator=(const X11Overlay &) = delete;

    // Shows the image over the widget: true when it lies in a shared block, has the
    // widget's size and the widget's window can carry the overlay; else false, and the
    // overlay is hidden.
    bool show(const QImage &image);
    // Hides the overlay and lets go of its image.
    void hide();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
