#include "playback/InputCodes.h"

#include "playback/MediaPlayer.h"

int InputCodes::button(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return MediaPlayer::LeftButton;
    case Qt::RightButton: return MediaPlayer::RightButton;
    case Qt::MiddleButton: return MediaPlayer::MiddleButton;
    default: return 0;
    }
}

int InputCodes::shift(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? MediaPlayer::ShiftKey : 0) |
           (modifiers & Qt::ControlModifier ? MediaPlayer::CtrlKey : 0) |
           (modifiers & Qt::AltModifier ? MediaPlayer::AltKey : 0);
}
