#pragma once
// The pictures of a picture button: normal, pressed and disabled, drawn as vectors so
// they stay crisp at any screen scale. A button shows one of them as a cue of state;
// showing the disabled picture does not disable the button.

#include <QIcon>

class PictureStore {
public:
    enum class Shape { Play, Left, Right, FullScreen };
    enum class Picture { Normal, Pressed, Disabled };

    explicit PictureStore(Shape shape) : mShape(shape) {}

    // Play: a dark play triangle, grey pause bars, a pale play triangle.
    // Left and Right: a dark arrow, a blue arrow on a sunken tile, a pale arrow.
    // FullScreen: four dark corners of a screen (one picture only).
    QIcon picture(Picture picture) const;

    Shape shape() const { return mShape; }

private:
    Shape mShape;
};
