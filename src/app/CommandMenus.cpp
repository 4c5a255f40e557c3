#include "app/CommandMenus.h"

#include <QMenu>
#include <QMenuBar>

namespace CommandMenus {

void build(QMenuBar *bar, const std::function<void(Commands::Id)> &run)
{
    for (const Commands::Menu &menu : Commands::menus())
        bar->addMenu(QMenuBar::tr(menu.caption))->setObjectName(QLatin1String(menu.name));
    for (const Commands::Command &command : Commands::table()) {
        auto *menu = command.menu ? bar->findChild<QMenu *>(QLatin1String(command.menu)) : nullptr;
        if (!menu)
            continue;
        if (command.id == Commands::Id::Submenu) {
            menu->addMenu(QMenuBar::tr(command.caption))->setObjectName(QLatin1String(command.name));
            continue;
        }
        QAction *item = qstrcmp(command.caption, "-") == 0 ? menu->addSeparator()
                                                           : menu->addAction(QMenuBar::tr(command.caption));
        item->setObjectName(QLatin1String(command.name));
        item->setShortcut(command.shortcut);
        item->setAutoRepeat(false); // a held key is one command
        if (command.id != Commands::Id::None)
            QObject::connect(item, &QAction::triggered, bar, [run, id = command.id] { run(id); });
    }
}

} // namespace CommandMenus
