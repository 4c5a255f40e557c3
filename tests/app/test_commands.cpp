// The menus against the command table, and every key with real key events in the window
// and in full screen: what runs on key-down, what on release, and what does nothing.
#include "WindowFixture.h"
#include "app/Commands.h"
#include <QMenuBar>
#include <QSlider>

// held and after: the state while the key is held and after its release; released: another key
// released instead, as the Enter that closed a dialog; still: pressed while slow motion stands
struct Key { bool fullScreen; int key, modifiers; QString held, after; int released = 0; bool still = false; };
Q_DECLARE_METATYPE(Key)

class TestCommands : public QObject {
    Q_OBJECT
    std::optional<WindowFixture> f;
    frmMain *w = nullptr;
    // What a key did: a review offset, a play state, the position, the speed, the zoom, a
    // pending resume of slow motion.
    QString state() const
    {
        return QStringLiteral("offset %1 state %2 at %3 speed %4 fit %5 still %6").arg(w->mlReviewOffset())
            .arg(f->fake->PlayState()).arg(f->fake->CurrentPosition()).arg(w->frCommand->SpeedSlider->value())
            .arg(w->mnuZoomFit->isChecked()).arg(w->PauseTimer->isEnabled());
    }

private slots:
    void init()
    {
        w = &f.emplace().startWithFake({{QStringLiteral("run.mp4"), QSize(120, 90), 60.0}}, QStringLiteral("run.mp4"));
        w->show(), w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTRY_VERIFY(w->PlayTimer->isEnabled());
        for (int i = 0; i < 4; ++i)
            w->CaptureImage();
        f->fake->SetCurrentPosition(30);
    }
    void cleanup() { QCOMPARE(f->closer.seen().size(), 0); QCOMPARE(w->msErrorMessages(), QString()); f.reset(); }
    void menusFollowTheTable()
    {
        QStringList names, shown;
        for (const Commands::Menu &menu : Commands::menus())
            names << menu.caption;
        for (QAction *menu : w->menuBar()->actions())
            shown << menu->text();
        QCOMPARE(shown, names);
        for (const Commands::Command &row : Commands::table()) {
            if (!row.menu)
                continue;
            auto *item = w->findChild<QAction *>(row.name);
            QVERIFY2(item && item->parent()->objectName() == row.menu, row.name);
            QCOMPARE(item->isSeparator() ? QStringLiteral("-") : item->text(), QString::fromLatin1(row.caption));
            QCOMPARE(item->shortcut(), QKeySequence(row.shortcut));
        }
        QCOMPARE(w->findChild<QAction *>("mnuViewPrev")->text(), "P&revious Frame" + QString(33, ' ') + "F5");
        QCOMPARE(w->findChild<QAction *>("mnuViewNext")->text(), "&Next Frame" + QString(39, ' ') + "F6");
        QCOMPARE(w->findChild<QAction *>("mnuFileOpen")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    }
    // A key pressed and released; the state while it is held and after.
    void keys_data()
    {
        QTest::addColumn<Key>("row");
        const QString base = "offset 0 state 2 at 30 speed 3 fit %1 still 0", b = base.arg(0), fb = base.arg(1);
        const auto set = [](QString s, const char *from, const char *to) { return s.replace(from, to); };
        const QString back = set(set(b, "offset 0", "offset 1"), "state 2", "state 1");
        const QString paused = set(b, "state 2", "state 1"), slow = set(b, "speed 3", "speed 1");
        const int keypad = Qt::KeypadModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
        for (const auto &[name, key, mods] : {std::tuple{"F5", Qt::Key_F5, 0}, {"Left", Qt::Key_Left, 0},
                                               {"keypad 4", Qt::Key_4, keypad},
                                               {"keypad 4 without Num Lock", Qt::Key_Left, keypad}})
            QTest::newRow(name) << Key{false, key, mods, back, back};
        QTest::newRow("F5, Enter released: ends the hold") << Key{false, Qt::Key_F5, 0, back, back, Qt::Key_Return};
        QTest::newRow("F5, Space released: nothing more") << Key{false, Qt::Key_F5, 0, back, back, Qt::Key_Space};
        QTest::newRow("F5, a letter released: ends the hold") << Key{false, Qt::Key_F5, 0, back, back, Qt::Key_A};
        // Slow motion's resume is cancelled: the review stays, the video stays paused.
        const QString slowBack = set(back, "speed 3", "speed 1"), slowPaused = set(paused, "speed 3", "speed 1");
        QTest::newRow("F5 while slow motion stands") << Key{false, Qt::Key_F5, 0, slowBack, slowBack, 0, true};
        QTest::newRow("F7 while slow motion stands") << Key{false, Qt::Key_F7, 0, slowPaused, slowPaused, 0, true};
        QTest::newRow("Space on release") << Key{false, Qt::Key_Space, 0, b, paused};
        QTest::newRow("Enter on release") << Key{false, Qt::Key_Return, 0, b, paused};
        QTest::newRow("F7 on press") << Key{false, Qt::Key_F7, 0, paused, paused};
        QTest::newRow("F3 on press") << Key{false, Qt::Key_F3, 0, set(b, "30", "15"), set(b, "30", "15")};
        QTest::newRow("Shift+F4 on press") << Key{false, Qt::Key_F4, shift, set(b, "30", "35"), set(b, "30", "35")};
        QTest::newRow("Page Up") << Key{false, Qt::Key_PageUp, 0, b, set(b, "30", "15")};
        QTest::newRow("Page Down") << Key{false, Qt::Key_PageDown, 0, b, set(b, "30", "45")};
        QTest::newRow("Up") << Key{false, Qt::Key_Up, 0, b, set(b, "30", "25")};
        QTest::newRow("keypad 2") << Key{false, Qt::Key_2, keypad, b, set(b, "30", "35")};
        QTest::newRow("F8 on press") << Key{false, Qt::Key_F8, 0, slow, slow};
        QTest::newRow("a letter") << Key{false, Qt::Key_A, 0, b, b};
        QTest::newRow("full screen: F7 nothing") << Key{true, Qt::Key_F7, 0, fb, fb};
        QTest::newRow("full screen: Ctrl+O nothing") << Key{true, Qt::Key_O, ctrl, fb, fb};
        QTest::newRow("full screen: Ctrl+F1 nothing") << Key{true, Qt::Key_F1, ctrl, fb, fb};
        QTest::newRow("full screen: F3 on release") << Key{true, Qt::Key_F3, 0, fb, set(fb, "30", "15")};
        QTest::newRow("full screen: Shift+F4 is F4") << Key{true, Qt::Key_F4, shift, fb, set(fb, "30", "25")};
        QTest::newRow("full screen: F8 on release") << Key{true, Qt::Key_F8, 0, fb, set(fb, "speed 3", "speed 1")};
        QTest::newRow("full screen: Down") << Key{true, Qt::Key_Down, 0, fb, set(fb, "30", "35")};
        QTest::newRow("full screen: Page Up") << Key{true, Qt::Key_PageUp, 0, fb, set(fb, "30", "15")};
        QTest::newRow("full screen: F6") << Key{true, Qt::Key_F6, 0, fb, fb}; // forward on the live video plays on
    }
    void keys()
    {
        QFETCH(Key, row);
        if (row.fullScreen)
            w->cmdFullScreen_Click();
        if (row.still)
            w->ToggleSpeed(), w->PlayTimer_Timer();
        QCOMPARE(w->PauseTimer->isEnabled(), row.still);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        const auto mods = Qt::KeyboardModifiers(row.modifiers);
        QTest::keyPress(w->windowHandle(), Qt::Key(row.key), mods);
        QCOMPARE(state(), row.held);
        // The keyboard's own repeats neither end a held step nor run a command again.
        for (const QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
            QKeyEvent repeat(type, row.key, mods, QString(), true);
            QApplication::sendEvent(w, &repeat);
        }
        QCOMPARE(state(), row.held);
        QTest::keyRelease(w->windowHandle(), Qt::Key(row.released ? row.released : row.key), mods);
        QCOMPARE(state(), row.after);
        QCOMPARE(w->mlReviewDirection(), 0);
    }
    // A quick click on the live video whose press and release wait together holds nothing.
    void aClickWaitingWithItsRelease()
    {
        QWidget *video = f->fake->widget();
        const QPointF at(10, 10);
        QCoreApplication::postEvent(video, new QMouseEvent(QEvent::MouseButtonPress, at, video->mapToGlobal(at),
                                                           Qt::LeftButton, Qt::LeftButton, {}));
        QCoreApplication::postEvent(video, new QMouseEvent(QEvent::MouseButtonRelease, at, video->mapToGlobal(at),
                                                           Qt::LeftButton, Qt::NoButton, {}));
        QTRY_COMPARE(w->mlReviewOffset(), 1);
        QCOMPARE(w->mlReviewDirection(), 0);
    }
};

REPLIXA_TEST_MAIN(TestCommands)
#include "test_commands.moc"
