#pragma once
// The menus of the command table, built into a menu bar: each item named, captioned and
// given its shortcut as its row says, and running its command when triggered.

#include "app/Commands.h"

#include <functional>

class QMenuBar;

namespace CommandMenus {

void build(QMenuBar *bar, const std::function<void(Commands::Id)> &run);

} // namespace CommandMenus
