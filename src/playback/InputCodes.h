#pragma once
// The component's codes for a mouse button and the shift keys held, as MouseDown tells
// them and the key handlers take them: buttons 1 left, 2 right, 4 middle (0 any other);
// shift bits 1 Shift, 2 Ctrl, 4 Alt. Every widget that tells a press uses these.

#include <Qt>

namespace InputCodes {

int button(Qt::MouseButton button);
int shift(Qt::KeyboardModifiers modifiers);

} // namespace InputCodes
