#include "app/Commands.h"

namespace Commands {
namespace {

using enum Id;
constexpr QKeyCombination kNone{};

constexpr Menu kMenus[] = {
    {"mnuFile", "&File"}, {"mnuTools", "&Edit"}, {"mnuView", "&View"}, {"mnuZoom", "&Zoom"}, {"mnuHelp", "&Help"},
};

// The key names in the two review captions are text: F5 and F6 belong to the held keys.
const Command kTable[] = {
    {"mnuFile", "mnuFileOpen", "&Open Video...", Qt::CTRL | Qt::Key_O, FileOpen},
    {"mnuFile", "mnuFileOpenLive", "Open &Camera or Stream...", Qt::CTRL | Qt::Key_N, FileOpenLive},
    {"mnuFile", "mnuFileSaveSnapshots", "&Save Snapshots As...", Qt::CTRL | Qt::Key_S, SaveSnapshots},
    {"mnuFile", "S1", "-", kNone, None},
    {"mnuFile", "mnuFileExit", "E&xit", kNone, FileExit},
    {"mnuTools", "mnuToolsCopy", "&Copy Image", Qt::CTRL | Qt::Key_C, Copy},
    {"mnuTools", "mnuToolsSaveImage", "Save &Image As...", Qt::CTRL | Qt::SHIFT | Qt::Key_S, SaveImage},
    {"mnuTools", "s7", "-", kNone, None},
    {"mnuTools", "mnuToolsOptions", "&Options...", kNone, Options},
    {"mnuView", "mnuViewPrev", "P&revious Frame                                 F5", kNone, Previous},
    {"mnuView", "mnuViewNext", "&Next Frame                                       F6", kNone, Next},
    {"mnuView", "s3", "-", kNone, None},
    {"mnuView", "mnuViewPlay", "&Play / Pause", QKeyCombination(Qt::Key_F7), PlayPause, {},
     {{{Space}, {Enter}}}},
    {"mnuView", "s6", "-", kNone, None},
    {"mnuView", "mnuViewBack15sec", "Back 15 sec", QKeyCombination(Qt::Key_F3), Back15, {},
     {{{F3, true}, {PageUp}}}},
    {"mnuView", "mnuViewBack5sec", "Back 5 seconds", QKeyCombination(Qt::Key_F4), Back5, {},
     {{{F4, true}, {Up}, {Numpad8}}}},
    {"mnuView", "mnuViewForward15sec", "Forward 15 sec", Qt::SHIFT | Qt::Key_F3, Forward15, {},
     {{{PageDown}}}},
    {"mnuView", "mnuViewForward5sec", "Forward 5 sec", Qt::SHIFT | Qt::Key_F4, Forward5, {},
     {{{Down}, {Numpad2}}}},
    {"mnuView", "s5", "-", kNone, None},
    {"mnuView", "mnuViewSpeed", "&Toggle Speed", QKeyCombination(Qt::Key_F8), Speed, {},
     {{{F8, true}}}},
    {"mnuView", "mnuViewDelay", "&Delay", kNone, Submenu},
    {"mnuViewDelay", "mnuDelayOff", "Off", kNone, DelayOff},
    {"mnuViewDelay", "mnuDelay2", "2 sec", kNone, Delay2},
    {"mnuViewDelay", "mnuDelay5", "5 sec", kNone, Delay5},
    {"mnuViewDelay", "mnuDelay10", "10 sec", kNone, Delay10},
    {"mnuViewDelay", "mnuDelay20", "20 sec", kNone, Delay20},
    {"mnuZoom", "mnuZoom100", "&100 %", Qt::CTRL | Qt::Key_F1, Zoom100},
    {"mnuZoom", "mnuZoom200", "&200 %", Qt::CTRL | Qt::Key_F2, Zoom200},
    {"mnuZoom", "mnuZoomFit", "&Fit to Window", Qt::CTRL | Qt::Key_F3, ZoomFit},
    {"mnuZoom", "mnuZoomFullScreen", "Full &Screen", Qt::CTRL | Qt::Key_F4, FullScreen},
    {"mnuHelp", "mnuHelpContent", "&Frequently Asked Questions", kNone, Help},
    {"mnuHelp", "mnuHelpEmail", "&Email Author", kNone, Email},
    {"mnuHelp", "mnuHelpAbout", "&About...", kNone, About},
    // Held like a mouse button on the arrows: a step, then more at the review timer's pace.
    {nullptr, "holdBack", nullptr, kNone, HoldBack, {Numpad4, Left, F5}},
    {nullptr, "holdForward", nullptr, kNone, HoldForward, {Numpad6, Right, F6}},
};

} // namespace

std::span<const Menu> menus()
{
    return kMenus;
}

std::span<const Command> table()
{
    return kTable;
}

int keyCode(const QKeyEvent *event)
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
    default: return -event->key(); // a key without a command, never one with: it still ends a held step
    }
}

bool movesInTime(Id id)
{
    return id == Back15 || id == Back5 || id == Forward15 || id == Forward5 || id == Speed;
}

const Command *forKeyUp(int code, bool fullScreen)
{
    for (const Command &command : kTable) {
        for (const KeyUp &key : command.keyUps) {
            if (key.code != 0 && key.code == code && (fullScreen || !key.fullScreenOnly))
                return &command;
        }
    }
    return nullptr;
}

const Command *forHeldKey(int code)
{
    for (const Command &command : kTable) {
        for (const int key : command.heldKeys) {
            if (key != 0 && key == code)
                return &command;
        }
    }
    return nullptr;
}

} // namespace Commands
