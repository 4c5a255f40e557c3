#pragma once
// Every command of the main window as one table of data: the menu item it stands in
// (its name, caption and shortcut, in menu order) and the keys that reach it through
// the window's own key handlers. Menus, shortcuts and key handling are loops over it.

#include <QKeyCombination>
#include <QKeyEvent>

#include <array>
#include <span>

namespace Commands {

// What a command does; the window maps each to its handler.
enum class Id {
    None, // a separator
    FileOpen, FileOpenLive, FileExit, Copy, Options, Previous, Next, PlayPause, Back15, Back5, Forward15, Forward5, Speed,
    Zoom100, Zoom200, ZoomFit, FullScreen, Help, Email, About, SaveSnapshots, SaveImage, HoldBack, HoldForward,
    Submenu, // its items name it as their menu
    DelayOff, Delay2, Delay5, Delay10, Delay20,
};

// The classic virtual-key numbers the key handlers speak of.
enum Key : int {
    Enter = 13, Space = 32, PageUp = 33, PageDown = 34, Left = 37, Up = 38, Right = 39, Down = 40,
    Numpad2 = 98, Numpad4 = 100, Numpad6 = 102, Numpad8 = 104, F3 = 114, F4 = 115, F5 = 116, F6 = 117,
    F7 = 118, F8 = 119,
};

// A key that runs a command on release; some only in full screen, where the menu
// shortcuts that otherwise carry them are gone.
struct KeyUp {
    int code = 0;
    bool fullScreenOnly = false;
};

struct Command {
    const char *menu;    // object name of the menu; null for a command reached by keys only
    const char *name;    // object name of the item; separators carry names too
    const char *caption; // "-" for a separator
    QKeyCombination shortcut;
    Id id;
    std::array<int, 3> heldKeys{}; // keys whose key-down starts and holds the command
    std::array<KeyUp, 3> keyUps{};
};

// The menus in menu-bar order: object name and caption.
struct Menu {
    const char *name;
    const char *caption;
};

std::span<const Menu> menus();
std::span<const Command> table();

// The code of a key event, or 0 for a key the handlers never look at. Keypad keys
// read alike with and without Num Lock: keypad 4 and Left both step back.
int keyCode(const QKeyEvent *event);

// A command that moves in the medium (the jumps) or in its pace (the speed): none of them
// has a meaning for a live source.
bool movesInTime(Id id);

// The command for a key code on release (none: null), given the window's mode.
const Command *forKeyUp(int code, bool fullScreen);
// The command a held key drives (none: null).
const Command *forHeldKey(int code);

} // namespace Commands
