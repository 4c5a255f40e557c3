// The command table without a window: which command a key runs on release (in the window and in
// full screen) and which one it holds, and that names, shortcuts and commands are each taken once.
#include "app/Commands.h"
#include <QtTest>

struct KeyRow { int key, modifiers; bool fullScreen; QString onRelease, held; };
Q_DECLARE_METATYPE(KeyRow)

static QString nameOf(const Commands::Command *command) { return command ? command->name : ""; }

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<KeyRow>("row");
        const int keypad = Qt::KeypadModifier;
        QTest::newRow("Space") << KeyRow{Qt::Key_Space, 0, false, "mnuViewPlay", ""};
        QTest::newRow("Enter") << KeyRow{Qt::Key_Return, 0, false, "mnuViewPlay", ""};
        QTest::newRow("keypad Enter") << KeyRow{Qt::Key_Enter, keypad, true, "mnuViewPlay", ""};
        QTest::newRow("F7: its shortcut only") << KeyRow{Qt::Key_F7, 0, true, "", ""};
        QTest::newRow("F3: its shortcut in the window") << KeyRow{Qt::Key_F3, 0, false, "", ""};
        QTest::newRow("F3 in full screen") << KeyRow{Qt::Key_F3, 0, true, "mnuViewBack15sec", ""};
        QTest::newRow("Page Up") << KeyRow{Qt::Key_PageUp, 0, false, "mnuViewBack15sec", ""};
        QTest::newRow("F4 in full screen") << KeyRow{Qt::Key_F4, 0, true, "mnuViewBack5sec", ""};
        QTest::newRow("Up") << KeyRow{Qt::Key_Up, 0, false, "mnuViewBack5sec", ""};
        QTest::newRow("keypad 8") << KeyRow{Qt::Key_8, keypad, false, "mnuViewBack5sec", ""};
        QTest::newRow("8 of the letters row") << KeyRow{Qt::Key_8, 0, false, "", ""};
        QTest::newRow("Page Down") << KeyRow{Qt::Key_PageDown, 0, false, "mnuViewForward15sec", ""};
        QTest::newRow("Down") << KeyRow{Qt::Key_Down, 0, false, "mnuViewForward5sec", ""};
        QTest::newRow("keypad 2") << KeyRow{Qt::Key_2, keypad, false, "mnuViewForward5sec", ""};
        QTest::newRow("F8 in the window") << KeyRow{Qt::Key_F8, 0, false, "", ""};
        QTest::newRow("F8 in full screen") << KeyRow{Qt::Key_F8, 0, true, "mnuViewSpeed", ""};
        QTest::newRow("Left") << KeyRow{Qt::Key_Left, 0, false, "", "holdBack"};
        QTest::newRow("keypad 4") << KeyRow{Qt::Key_4, keypad, false, "", "holdBack"};
        QTest::newRow("F5") << KeyRow{Qt::Key_F5, 0, true, "", "holdBack"};
        QTest::newRow("Right") << KeyRow{Qt::Key_Right, 0, false, "", "holdForward"};
        QTest::newRow("keypad 6") << KeyRow{Qt::Key_6, keypad, false, "", "holdForward"};
        QTest::newRow("F6") << KeyRow{Qt::Key_F6, 0, false, "", "holdForward"};
        QTest::newRow("a letter") << KeyRow{Qt::Key_A, 0, true, "", ""};
    }
    void keys()
    {
        QFETCH(KeyRow, row);
        const QKeyEvent event(QEvent::KeyPress, row.key, Qt::KeyboardModifiers(row.modifiers));
        const int code = Commands::keyCode(&event);
        QCOMPARE(nameOf(Commands::forKeyUp(code, row.fullScreen)), row.onRelease);
        QCOMPARE(nameOf(Commands::forHeldKey(code)), row.held);
    }
    void eachOnce()
    {
        QSet<QString> names, shortcuts;
        QSet<Commands::Id> ids;
        QSet<QString> menus;
        for (const Commands::Menu &menu : Commands::menus())
            menus.insert(menu.name);
        for (const Commands::Command &command : Commands::table()) {
            QVERIFY2(!names.contains(command.name), command.name);
            names.insert(command.name);
            QVERIFY(!command.menu || menus.contains(command.menu));
            if (command.id == Commands::Id::Submenu)
                menus.insert(command.name);
            const bool separator = command.caption && qstrcmp(command.caption, "-") == 0;
            QCOMPARE(command.id == Commands::Id::None, separator);
            QVERIFY2(separator || !ids.contains(command.id), command.name);
            ids.insert(command.id);
            const QString shortcut = QKeySequence(command.shortcut).toString();
            QVERIFY2(shortcut.isEmpty() || !shortcuts.contains(shortcut), command.name);
            shortcuts.insert(shortcut);
        }
        QCOMPARE(ids.size(), int(Commands::Id::Delay20) + 1); // every command has a row
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "test_commands.moc"
