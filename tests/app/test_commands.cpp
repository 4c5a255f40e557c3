// The menus against the command table, and every key with real key events in the window
// and in full screen: what runs on key-down, what on release, and what does nothing.
#include "WindowFixture.h"

#include "app/Commands.h"
#include "review/ReviewPicture.h"

#include <QClipboard>
#include <QMenuBar>
#include <QSlider>

class TestCommands : public QObject {
    Q_OBJECT
    std::optional<WindowFixture> f;
    frmMain *w = nullptr;

    // What a key did: a review offset, a play state, the position, the speed, the zoom.
    QString state() const
    {
        return QStringLiteral("offset %1 state %2 at %3 speed %4 fit %5")
            .arg(w->mlReviewOffset())
            .arg(f->fake->PlayState())
            .arg(f->fake->CurrentPosition())
            .arg(w->frCommand->SpeedSlider->value())
            .arg(w->mnuZoomFit->isChecked());
    }

private slots:
    void init()
    {
        f.emplace();
        w = &f->startWithFake({{QStringLiteral("run.mp4"), QSize(120, 90), 60.0}}, QStringLiteral("run.mp4"));
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTRY_VERIFY(w->PlayTimer->isEnabled());
        for (int i = 0; i < 4; ++i)
            w->CaptureImage();
        f->fake->SetCurrentPosition(30);
    }
    void cleanup()
    {
        QCOMPARE(f->closer.seen().size(), 0); // no key opened a dialog
        QVERIFY2(w->msErrorMessages().isEmpty(), qPrintable(w->msErrorMessages()));
        f.reset();
    }
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
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("held");  // the state while held
        QTest::addColumn<QString>("after"); // the state after the release
        const QString base = "offset 0 state 2 at 30 speed 3 fit %1", b = base.arg(0), fb = base.arg(1);
        const auto set = [](QString s, const char *from, const char *to) { return s.replace(from, to); };
        const QString back = set(set(b, "offset 0", "offset 1"), "state 2", "state 1");
        const QString paused = set(b, "state 2", "state 1"), slow = set(b, "speed 3", "speed 1");
        const int keypad = Qt::KeypadModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
        for (const auto &[name, key, mods] : {std::tuple{"F5", Qt::Key_F5, 0}, {"Left", Qt::Key_Left, 0},
                                               {"keypad 4", Qt::Key_4, keypad}, {"keypad 4 without Num Lock", Qt::Key_Left, keypad}})
            QTest::newRow(name) << false << int(key) << mods << back << back;
        QTest::newRow("Space on release") << false << int(Qt::Key_Space) << 0 << b << paused;
        QTest::newRow("Enter on release") << false << int(Qt::Key_Return) << 0 << b << paused;
        QTest::newRow("F7 on press") << false << int(Qt::Key_F7) << 0 << paused << paused;
        QTest::newRow("F3 on press") << false << int(Qt::Key_F3) << 0 << set(b, "30", "15") << set(b, "30", "15");
        QTest::newRow("Shift+F4 on press") << false << int(Qt::Key_F4) << shift << set(b, "30", "35") << set(b, "30", "35");
        QTest::newRow("Page Up") << false << int(Qt::Key_PageUp) << 0 << b << set(b, "30", "15");
        QTest::newRow("Page Down") << false << int(Qt::Key_PageDown) << 0 << b << set(b, "30", "45");
        QTest::newRow("Up") << false << int(Qt::Key_Up) << 0 << b << set(b, "30", "25");
        QTest::newRow("keypad 2") << false << int(Qt::Key_2) << keypad << b << set(b, "30", "35");
        QTest::newRow("F8 on press") << false << int(Qt::Key_F8) << 0 << slow << slow;
        QTest::newRow("a letter") << false << int(Qt::Key_A) << 0 << b << b;
        QTest::newRow("full screen: F7 nothing") << true << int(Qt::Key_F7) << 0 << fb << fb;
        QTest::newRow("full screen: Ctrl+O nothing") << true << int(Qt::Key_O) << ctrl << fb << fb;
        QTest::newRow("full screen: Ctrl+F1 nothing") << true << int(Qt::Key_F1) << ctrl << fb << fb;
        QTest::newRow("full screen: F3 on release") << true << int(Qt::Key_F3) << 0 << fb << set(fb, "30", "15");
        QTest::newRow("full screen: Shift+F4 is F4") << true << int(Qt::Key_F4) << shift << fb << set(fb, "30", "25");
        QTest::newRow("full screen: F8 on release") << true << int(Qt::Key_F8) << 0 << fb << set(fb, "speed 3", "speed 1");
        QTest::newRow("full screen: Down") << true << int(Qt::Key_Down) << 0 << fb << set(fb, "30", "35");
        QTest::newRow("full screen: F6") << true << int(Qt::Key_F6) << 0 << fb << fb; // forward on the live video plays on
    }
    void keys()
    {
        QFETCH(bool, fullScreen);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, held);
        QFETCH(QString, after);
        if (fullScreen)
            w->cmdFullScreen_Click();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        const auto mods = Qt::KeyboardModifiers(modifiers);
        QTest::keyPress(w->windowHandle(), Qt::Key(key), mods);
        QCOMPARE(state(), held);
        // The keyboard's own repeats neither end a held step nor run a command again.
        for (const QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
            QKeyEvent repeat(type, key, mods, QString(), true);
            QApplication::sendEvent(w, &repeat);
        }
        QCOMPARE(state(), held);
        QTest::keyRelease(w->windowHandle(), Qt::Key(key), mods);
        QCOMPARE(state(), after);
        QCOMPARE(w->mlReviewDirection(), 0);
    }
    // The release of a key pressed elsewhere (the Enter that closed a dialog) does nothing.
    void aReleaseWithoutItsPress()
    {
        QTest::keyPress(w, Qt::Key_F5);
        QTest::keyRelease(w->client, Qt::Key_Return);
        QCOMPARE(w->mlReviewDirection(), 0); // it still ends the held step
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
        QTest::keyRelease(w->client, Qt::Key_Space);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
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
    // A review pressed while slow motion stands keeps the review: the resume is cancelled.
    void aReviewDuringAStillPhase()
    {
        w->ToggleSpeed();
        w->PlayTimer_Timer();
        QVERIFY(w->PauseTimer->isEnabled());
        QTest::keyPress(w->windowHandle(), Qt::Key_F5);
        QTest::keyRelease(w->windowHandle(), Qt::Key_F5);
        QVERIFY(!w->PauseTimer->isEnabled());
        QCOMPARE(w->mlReviewOffset(), 1);
    }
    // Copy Image on the live video puts what the screen shows on the clipboard.
    void copyImageOfTheLiveVideo()
    {
        f->fake->setPicture(Qt::magenta);
        w->findChild<QAction *>("mnuToolsCopy")->trigger();
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), w->oCaptured->buffer().size());
        QCOMPARE(copied.pixel(copied.width() / 2, copied.height() / 2), QColor(Qt::magenta).rgb());
    }
};

REPLIXA_TEST_MAIN(TestCommands)
#include "test_commands.moc"
