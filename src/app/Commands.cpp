#include "app/Commands.h"

#include "app/frmMain.h"

namespace Commands {
namespace {

using F = frmMain;
constexpr QKeyCombination kNone{};

constexpr Menu kMenus[] = {
    {"mnuFile", "&File"}, {"mnuTools", "&Edit"}, {"mnuView", "&View"}, {"mnuZoom", "&Zoom"}, {"mnuHelp", "&Help"},
};

// The key names in the two review captions are text: F5 and F6 belong to the held keys.
const Command kTable[] = {
    {"mnuFile", "mnuFileOpen", "&Open Video...", Qt::CTRL | Qt::Key_O, &F::mnuFileOpen_Click},
    {"mnuFile", "S1", "-", kNone, nullptr},
    {"mnuFile", "mnuFileExit", "E&xit", kNone, &F::mnuFileExit_Click},
    {"mnuTools", "mnuToolsCopy", "&Copy Image", Qt::CTRL | Qt::Key_C, &F::mnuToolsCopy_Click},
    {"mnuTools", "s7", "-", kNone, nullptr},
    {"mnuTools", "mnuToolsOptions", "&Options...", kNone, &F::mnuToolsOptions_Click},
    {"mnuView", "mnuViewPrev", "P&revious Frame                                 F5", kNone, &F::mnuViewPrev_Click},
    {"mnuView", "mnuViewNext", "&Next Frame                                       F6", kNone, &F::mnuViewNext_Click},
    {"mnuView", "s3", "-", kNone, nullptr},
    {"mnuView", "mnuViewPlay", "&Play / Pause", QKeyCombination(Qt::Key_F7), &F::mnuViewPlay_Click, {},
     {{{Space}, {Enter}}}},
    {"mnuView", "s6", "-", kNone, nullptr},
    {"mnuView", "mnuViewBack15sec", "Back 15 sec", QKeyCombination(Qt::Key_F3), &F::mnuViewBack15sec_Click, {},
     {{{F3, true}, {PageUp}}}},
    {"mnuView", "mnuViewBack5sec", "Back 5 seconds", QKeyCombination(Qt::Key_F4), &F::mnuViewBack5sec_Click, {},
     {{{F4, true}, {Up}, {Numpad8}}}},
    {"mnuView", "mnuViewForward15sec", "Forward 15 sec", Qt::SHIFT | Qt::Key_F3, &F::mnuViewForward15sec_Click, {},
     {{{PageDown}}}},
    {"mnuView", "mnuViewForward5sec", "Forward 5 sec", Qt::SHIFT | Qt::Key_F4, &F::mnuViewForward5sec_Click, {},
     {{{Down}, {Numpad2}}}},
    {"mnuView", "s5", "-", kNone, nullptr},
    {"mnuView", "mnuViewSpeed", "&Toggle Speed", QKeyCombination(Qt::Key_F8), &F::mnuViewSpeed_Click, {},
     {{{F8, true}}}},
    {"mnuZoom", "mnuZoom100", "&100 %", Qt::CTRL | Qt::Key_F1, &F::mnuZoom100_Click},
    {"mnuZoom", "mnuZoom200", "&200 %", Qt::CTRL | Qt::Key_F2, &F::mnuZoom200_Click},
    {"mnuZoom", "mnuZoomFit", "&Fit to Window", Qt::CTRL | Qt::Key_F3, &F::mnuZoomFit_Click},
    {"mnuZoom", "mnuZoomFullScreen", "Full &Screen", Qt::CTRL | Qt::Key_F4, &F::mnuZoomFullScreen_Click},
    {"mnuHelp", "mnuHelpContent", "&Frequently Asked Questions", kNone, &F::mnuHelpContent_Click},
    {"mnuHelp", "mnuHelpEmail", "&Email Author", kNone, &F::mnuHelpEmail_Click},
    {"mnuHelp", "mnuHelpAbout", "&About...", kNone, &F::mnuHelpAbout_Click},
    // Held like a mouse button on the arrows: a step, then more at the review timer's pace.
    {nullptr, "holdBack", nullptr, kNone, &F::holdReviewBack, {Numpad4, Left, F5}},
    {nullptr, "holdForward", nullptr, kNone, &F::holdReviewForward, {Numpad6, Right, F6}},
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
