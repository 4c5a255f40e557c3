// Keys, presses and review-timer ticks on a window playing a clip with the scripted media player:
// what each key does on key-down and on release, in the window and in full screen, and stepping
// through the snapshot ring with ticks driven by the test: press, hold, release, bounds, resume.
#include "WindowFixture.h"
#include "review/ReviewPicture.h"
#include <QLabel>
#include <QSlider>

using Picture = PictureStore::Picture;

static QRgb colour(int capture) { return QColor::fromHsv((capture * 47) % 360, 200, 220).rgb(); }
// held and after: the state while the key is held and after its release; released: another key
// released instead, as the Enter that closed a dialog; still: pressed while slow motion stands
struct Key { bool fullScreen; int key, modifiers; QString held, after; int released = 0; bool still = false; };
struct Steps { int ring, captures; QString script, offsets; int state; Picture left, right; QString frameTime = "2"; };
// Every frame: the medium's rate (0 unknown), its frames' times, the play and review intervals,
// and the age label and its tip at offsets 1, 2, ...
struct Frames { double fps; QList<double> times; QList<int> intervals; QString labels, tips; };
Q_DECLARE_METATYPE(Key)
Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(Frames)

class TestKeysAndReview : public QObject {
    Q_OBJECT
    std::optional<WindowFixture> f;
    frmMain *w = nullptr;
    // Opens a clip playing in the active window, settled once the window, framed, has sized itself and
    // its ring again; then takes captures, each of its own colour. From here on the test drives every tick.
    void start(int captures, const QString &frameTime = QStringLiteral("2"), int ring = 5, double fps = 25)
    {
        SetConfigValue(QStringLiteral("FrameTime"), frameTime);
        SetConfigValue(QStringLiteral("CaptureCount"), QString::number(ring));
        w = &f->startWithFake({{QStringLiteral("gait.avi"), QSize(120, 90), 20.0, fps}}, QStringLiteral("gait.avi"));
        w->show(), w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        // Each layout gives the ring fresh images; settled once one outlasts a turn of the event loop.
        qint64 last = -1;
        const auto settled = [&] {
            const qint64 now = ring > 0 ? w->ring().slot(1).cacheKey() : 0;
            return std::exchange(last, now) == now;
        };
        QTRY_VERIFY(child(w, "PlayTimer")->isEnabled() && w->frameGeometry().size() != w->size() && settled());
        for (int i = 1; i <= captures; ++i) {
            f->fake->setPicture(QColor(colour(i)));
            w->CaptureImage();
        }
    }
    // What a key did: a review offset and its age label, a play state, the position, the speed,
    // the zoom, a pending resume of slow motion.
    QString state() const
    {
        return QStringLiteral("offset %1 (%2) state %3 at %4 speed %5 fit %6 still %7").arg(w->mlReviewOffset())
            .arg(child<QLabel>(w, "lblReviewTime")->text()).arg(f->fake->PlayState()).arg(f->fake->CurrentPosition())
            .arg(child<QSlider>(w, "SpeedSlider")->value()).arg(child<QAction>(w, "mnuZoomFit")->isChecked())
            .arg(child(w, "PauseTimer")->isEnabled());
    }

private slots:
    void init() { f.emplace(); }
    // With every frame on, each frame drawn goes into the ring, and none at the play timer's
    // ticks; each step back is one frame from the one on screen, told in frames
    // with the time to the newest in the tip; the timers run by the medium's frame duration.
    void everyFrame_data()
    {
        QTest::addColumn<Frames>("row");
        QTest::newRow("24 fps") << Frames{24, {0, 1 / 24., 2 / 24., 3 / 24.}, {42, 42}, "-1 fr|-2 fr|-3 fr",
                                          "-0.042 sec|-0.083 sec|-0.125 sec"};
        QTest::newRow("30 fps") << Frames{30, {1, 1 + 1 / 30., 1 + 2 / 30.}, {33, 33}, "-1 fr|-2 fr", "-0.033 sec|-0.067 sec"};
        QTest::newRow("60 fps") << Frames{60, {5, 5 + 1 / 60., 5 + 2 / 60.}, {17, 25}, "-1 fr|-2 fr", "-0.017 sec|-0.033 sec"};
        QTest::newRow("120 fps") << Frames{120, {0, 1 / 120., 2 / 120.}, {8, 25}, "-1 fr|-2 fr", "-0.008 sec|-0.017 sec"};
        QTest::newRow("variable, rate unknown") << Frames{0, {2, 2.04, 2.07, 2.1}, {40, 40}, "-1 fr|-2 fr|-3 fr",
                                                          "-0.030 sec|-0.060 sec|-0.100 sec"};
        QTest::newRow("5 fps") << Frames{5, {0, 0.2}, {200, 100}, "-1 fr", "-0.200 sec"};
    }
    void everyFrame()
    {
        QFETCH(Frames, row);
        start(0, "5", 6, row.fps);
        QCOMPARE(QList<int>({child(w, "PlayTimer")->interval(), child(w, "ReviewTimer")->interval()}), row.intervals);
        QVERIFY(f->fake->everyFrame());
        for (int i = 0; i < row.times.size(); ++i) {
            f->fake->showFrame(QColor(colour(i + 1)), row.times[i]);
            emit child(w, "PlayTimer")->Timer();
        }
        QStringList labels, tips;
        auto *age = child<QLabel>(w, "lblReviewTime");
        for (int back = 1; back < row.times.size(); ++back) { // the newest snapshot is the frame on screen
            w->MouseDown(1);
            w->ReleaseReview();
            QTRY_VERIFY(!w->reviewTimerEnabled());
            QCOMPARE(w->mlReviewOffset(), back + 1);
            QCOMPARE(child<ReviewPicture>(w, "oCaptured")->buffer().pixel(10, 10), colour(int(row.times.size()) - back));
            labels << age->text(), tips << age->toolTip();
        }
        QCOMPARE(labels.join('|'), row.labels);
        QCOMPARE(tips.join('|'), row.tips);
    }
    // View > Delay > 2 sec at 0.1 s a snapshot, on the real timers: the picture shown is the snapshot 20
    // back with its age; a held step goes one further, and its release plays on from the delayed one.
    void delayMirror()
    {
        start(0);
        int ticks = 0; // each tick's capture takes the colour of the tick before
        connect(child(w, "PlayTimer"), &IntervalTimer::Timer, this, [&] { f->fake->setPicture(QColor(colour(++ticks))); });
        trigger(w, "mnuDelay2");
        QVERIFY(child<QAction>(w, "mnuDelay2")->isChecked() && !child<QAction>(w, "mnuDelayOff")->isChecked());
        auto *picture = child<ReviewPicture>(w, "oCaptured");
        const auto shows = [&](int back, const char *age) {
            return w->mlReviewOffset() == back && picture->buffer().pixel(10, 10) == colour(ticks - back) &&
                   child<QLabel>(w, "lblReviewTime")->text() == age;
        };
        QTRY_VERIFY_WITH_TIMEOUT(ticks > 25 && shows(20, "-2 sec"), 10000);
        QTest::mousePress(child<QWidget>(w, "cmdLeft"), Qt::LeftButton);
        QVERIFY(shows(21, "-2.1 sec"));
        QTest::mouseRelease(child<QWidget>(w, "cmdLeft"), Qt::LeftButton);
        const int released = ticks;
        QTRY_VERIFY(ticks > released + 2 && shows(20, "-2 sec"));
        QCOMPARE(w->rightPicture(), PictureStore::Picture::Normal); // newer snapshots are there to step to
    }
    void cleanup() { QCOMPARE(f->closer.seen().size(), 0); QCOMPARE(w->msErrorMessages(), QString()); f.reset(); }
    // A key pressed and released; the state while it is held and after.
    void keys_data()
    {
        QTest::addColumn<Key>("row");
        const QString base = "offset 0 (0 sec) state 2 at 30 speed 3 fit %1 still 0", b = base.arg(0), fb = base.arg(1);
        const auto set = [](QString s, const char *from, const char *to) { return s.replace(from, to); };
        const QString back = set(set(b, "offset 0 (0", "offset 1 (-0.1"), "state 2", "state 1");
        const QString paused = set(b, "state 2", "state 1"), slow = set(b, "speed 3", "speed 1");
        QTest::newRow("F5") << Key{false, Qt::Key_F5, 0, back, back}; // its kin Left and keypad 4: the command table
        QTest::newRow("F5, Enter released: ends the hold") << Key{false, Qt::Key_F5, 0, back, back, Qt::Key_Return};
        // Slow motion's resume is cancelled: the review stays, the video stays paused; the age
        // counts the pause between two snapshots.
        const QString slowBack = set(set(back, "speed 3", "speed 1"), "-0.1", "-0.4");
        QTest::newRow("F5 while slow motion stands") << Key{false, Qt::Key_F5, 0, slowBack, slowBack, 0, true};
        QTest::newRow("Enter on release") << Key{false, Qt::Key_Return, 0, b, paused};
        QTest::newRow("F7 on press") << Key{false, Qt::Key_F7, 0, paused, paused};
        QTest::newRow("F3 on press") << Key{false, Qt::Key_F3, 0, set(b, "30", "15"), set(b, "30", "15")};
        QTest::newRow("Shift+F4 on press") << Key{false, Qt::Key_F4, Qt::ShiftModifier, set(b, "30", "35"), set(b, "30", "35")};
        QTest::newRow("Up") << Key{false, Qt::Key_Up, 0, b, set(b, "30", "25")};
        QTest::newRow("F8 on press") << Key{false, Qt::Key_F8, 0, slow, slow};
        QTest::newRow("a letter") << Key{false, Qt::Key_A, 0, b, b};
        QTest::newRow("full screen: F7 nothing") << Key{true, Qt::Key_F7, 0, fb, fb};
        QTest::newRow("full screen: F3 on release") << Key{true, Qt::Key_F3, 0, fb, set(fb, "30", "15")};
        QTest::newRow("full screen: Shift+F4 is F4") << Key{true, Qt::Key_F4, Qt::ShiftModifier, fb, set(fb, "30", "25")};
    }
    void keys()
    {
        QFETCH(Key, row);
        start(4);
        f->fake->SetCurrentPosition(30);
        if (row.fullScreen)
            trigger(w, "mnuZoomFullScreen");
        if (row.still)
            w->ToggleSpeed(), emit child(w, "PlayTimer")->Timer();
        QCOMPARE(child(w, "PauseTimer")->isEnabled(), row.still);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        const auto mods = Qt::KeyboardModifiers(row.modifiers);
        QTest::keyPress(w->windowHandle(), Qt::Key(row.key), mods);
        QCOMPARE(state(), row.held);
        // The keyboard's own repeats neither end a held step nor run a command again, whether
        // marked as repeats or not (X11 leaves some pairs unmarked, with one time stamp).
        for (const bool marked : {true, false}) {
            for (const QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
                QKeyEvent repeat(type, row.key, mods, QString(), marked);
                repeat.setTimestamp(4711 + marked);
                QApplication::sendEvent(w, &repeat);
            }
        }
        QCOMPARE(state(), row.held);
        QTest::keyRelease(w->windowHandle(), Qt::Key(row.released ? row.released : row.key), mods);
        QTRY_COMPARE(state(), row.after);
        QTRY_COMPARE(w->mlReviewDirection(), 0);
    }
    // A script of steps, one character each: < and > press the left and right buttons, v and m
    // the left and middle buttons on the video, f, k and r press F6, keypad 6 and Right, ^
    // releases the last press, t is a review-timer tick, s ticks until the timer stops, p and n
    // the Previous and Next Frame commands, d a double click on the snapshot, a digit shows that
    // offset. After each, the offset must be the digit below it, showing its capture.
    void stepping_data()
    {
        QTest::addColumn<Steps>("row");
        const int paused = MediaPlayer::Paused, playing = MediaPlayer::Playing;
        const Picture normal = Picture::Normal, disabled = Picture::Disabled;
        QTest::newRow("held back at 0.025 s: two ticks' delay; release")
            << Steps{5, 7, "<ttttttt^", "111234555", paused, normal, normal, "0"};
        QTest::newRow("the middle button on the live video pauses") << Steps{5, 2, "m", "0", paused, normal, disabled};
        QTest::newRow("a press on the video, held until its release on the hidden video")
            << Steps{5, 6, "vt^tt", "11111", paused, normal, disabled};
        QTest::newRow("F6, keypad 6 and Right step forward, held until their release")
            << Steps{5, 6, "4ft^tkt^trt^t", "4333322221111", paused, normal, disabled};
        QTest::newRow("a double click on a snapshot plays") << Steps{5, 2, "<^d", "110", playing, normal, disabled};
        QTest::newRow("a command is one step, none while its delay runs, nor a press then")
            << Steps{5, 5, "ppsp<tt^sn", "1112223332", paused, normal, normal};
        QTest::newRow("an empty ring: nothing captured, no step, forward resumes")
            << Steps{0, 2, "<t^pn", "00000", playing, normal, disabled};
    }
    void stepping()
    {
        QFETCH(Steps, row);
        start(row.captures, row.frameTime, row.ring);
        std::function<void()> release; // of the last press
        IntervalTimer *review = child(w, "ReviewTimer");
        const auto press = [&](QWidget *on, Qt::MouseButton b) {
            QTest::mousePress(on, b), release = [=] { QTest::mouseRelease(on, b); };
        };
        const auto key = [&, on = child<QWidget>(w, "client")](Qt::Key k, Qt::KeyboardModifiers m) {
            QTest::keyPress(on, k, m), release = [=, this] {
                QTest::keyRelease(on, k, m);
                QTRY_COMPARE(w->mlReviewDirection(), 0); // a release is told once it is no repeat
            };
        };
        for (qsizetype i = 0; i < row.script.size(); ++i) {
            const char c = row.script.at(i).toLatin1();
            switch (c) {
            case '<': press(child<QWidget>(w, "cmdLeft"), Qt::LeftButton); break;
            case '>': press(child<QWidget>(w, "cmdRight"), Qt::LeftButton); break;
            case 'v': press(f->fake->widget(), Qt::LeftButton); break;
            case 'm': press(f->fake->widget(), Qt::MiddleButton); break;
            case 'f': key(Qt::Key_F6, {}); break;
            case 'k': key(Qt::Key_6, Qt::KeypadModifier); break;
            case 'r': key(Qt::Key_Right, {}); break;
            case '^': release(); break;
            case 't': emit review->Timer(); break;
            case 's': for (int k = 0; k < 5 && review->isEnabled(); ++k) emit review->Timer(); break;
            case 'p': trigger(w, "mnuViewPrev"); break;
            case 'n': trigger(w, "mnuViewNext"); break;
            case 'd': QTest::mouseDClick(child<QWidget>(w, "oCaptured"), Qt::LeftButton); break;
            default: w->ShowImage(c - '0');
            }
            const int offset = row.offsets.at(i).digitValue();
            QVERIFY2(w->mlReviewOffset() == offset,
                     qPrintable(QStringLiteral("step %1: offset %2").arg(i).arg(w->mlReviewOffset())));
            QCOMPARE(f->fake->widget()->isVisible(), offset == 0);
            QVERIFY(c != 's' || !review->isEnabled());
            if (offset > 0)
                QCOMPARE(child<ReviewPicture>(w, "oCaptured")->buffer().pixel(10, 10), colour(row.captures + 1 - offset));
        }
        QCOMPARE(f->fake->PlayState(), row.state);
        QCOMPARE(std::pair(w->leftPicture(), w->rightPicture()), std::pair(row.left, row.right));
        if (row.state == MediaPlayer::Playing) {
            QTRY_COMPARE(w->mlReviewOffset(), 0);
            QVERIFY(child(w, "PlayTimer")->isEnabled() && f->fake->widget()->isVisible());
            QVERIFY(!child<QWidget>(w, "oCaptured")->isVisible());
        }
    }
};

REPLIXA_TEST_MAIN(TestKeysAndReview)
#include "test_keys_and_review.moc"
