#pragma once
// Key codes as the window's key handlers know them (the classic virtual-key numbers).

#include <QKeyEvent>

namespace KeyCodes {

enum : int {
    Enter = 13,
    Space = 32,
    PageUp = 33,
    PageDown = 34,
    Left = 37,
    Up = 38,
    Right = 39,
    Down = 40,
    Numpad2 = 98,
    Numpad4 = 100,
    Numpad6 = 102,
    Numpad8 = 104,
    F3 = 114,
    F4 = 115,
    F5 = 116,
    F6 = 117,
    F7 = 118,
    F8 = 119,
};

// The code of a key event, or 0 for a key the handlers never look at.
inline int fromEvent(const QKeyEvent *event)
{
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return Enter;
    case Qt::Key_Space: return Space;
    case Qt::Key_PageUp: return PageUp;
    case Qt::Key_PageDown: return PageDown;
    case Qt::Key_Left: return Left;
    case Qt::Key_Up: return Up;
    case Qt::Key_Right: return Right;
    case Qt::Key_Down: return Down;
    case Qt::Key_2: return keypad ? Numpad2 : 0;
    case Qt::Key_4: return keypad ? Numpad4 : 0;
    case Qt::Key_6: return keypad ? Numpad6 : 0;
    case Qt::Key_8: return keypad ? Numpad8 : 0;
    case Qt::Key_F3: return F3;
    case Qt::Key_F4: return F4;
    case Qt::Key_F5: return F5;
    case Qt::Key_F6: return F6;
    case Qt::Key_F7: return F7;
    case Qt::Key_F8: return F8;
    default: return 0;
    }
}

} // namespace KeyCodes
