// Who plays and who pauses, through the real window's timers with the scripted player: from each
// phase of playing, slow motion, pause and review, an event that plays, pauses or changes the
// speed; then what the player does, whether a resume is pending, and the play button's picture.
#include "WindowFixture.h"
#include "errors/Failure.h"
#include "playback/OpenDialog.h"
#include <QSlider>

using PlayPicture = frmMain::PlayPicture;
enum Phase { Normal, Running, Standing, UserPaused, Reviewing };
enum Event { PlayPause, F8, SliderHalf, About, Options, OpenCancelled, Error, ReviewPress, KeyRepeat, NewFile };
using Outcome = std::tuple<int, bool, PlayPicture>; // player state, resume pending, picture
Q_DECLARE_METATYPE(Phase)
Q_DECLARE_METATYPE(Event)

class TestPlayState : public QObject {
    Q_OBJECT
    std::optional<WindowFixture> f;
    frmMain *w = nullptr;
    Outcome outcome() const { return {f->fake->PlayState(), child(w, "PauseTimer")->isEnabled(), w->playPicture()}; }
    void key(QEvent::Type type, bool repeat = false)
    {
        QKeyEvent event(type, Qt::Key_Right, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(w, &event);
    }
    // A stand of slow motion begins at a play-timer tick.
    void waitForStand() { QTRY_VERIFY(child(w, "PauseTimer")->isEnabled() && f->fake->PlayState() == MediaPlayer::Paused); }

private slots:
    void init()
    {
        f.emplace();
        SetConfigValue(QStringLiteral("FrameTime"), QStringLiteral("3")); // runs of 0.2 s, stands of 0.6 s
        SetConfigValue(QStringLiteral("zoom"), QStringLiteral("3")); // no second layout once the window is framed
        w = &f->startWithFake({{"a.avi", {160, 120}, 60.0}, {"b.avi", {160, 120}, 60.0}}, "a.avi");
        w->show(), w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTRY_VERIFY(child(w, "PlayTimer")->isEnabled());
    }
    void cleanup() { f.reset(), OpenDialog::setChooser({}); }
    void phasesAndEvents_data()
    {
        QTest::addColumn<Phase>("phase");
        QTest::addColumn<Event>("event");
        QTest::addColumn<Outcome>("after");
        const int playing = MediaPlayer::Playing, paused = MediaPlayer::Paused;
        const PlayPicture play = PlayPicture::Play, pause = PlayPicture::Pause;
        const Outcome runs{playing, false, pause}, stands{paused, true, pause}, stopped{paused, false, play};
        QTest::newRow("playing: play/pause") << Normal << PlayPause << stopped;
        QTest::newRow("playing: F8 to quarter") << Normal << F8 << runs;
        QTest::newRow("playing: About") << Normal << About << stopped;
        QTest::newRow("playing: review press") << Normal << ReviewPress << stopped;
        QTest::newRow("playing: Right held") << Normal << KeyRepeat << runs;
        QTest::newRow("running: play/pause") << Running << PlayPause << stopped;
        QTest::newRow("running: F8 to normal") << Running << F8 << runs;
        QTest::newRow("running: Options") << Running << Options << stopped;
        QTest::newRow("running: Right held over a stand") << Running << KeyRepeat << stands;
        QTest::newRow("standing: play/pause") << Standing << PlayPause << stopped;
        QTest::newRow("standing: F8 to normal runs on") << Standing << F8 << runs;
        QTest::newRow("standing: slider to half stands on") << Standing << SliderHalf << stands;
        QTest::newRow("standing: About") << Standing << About << stopped;
        QTest::newRow("standing: Options") << Standing << Options << stopped;
        QTest::newRow("standing: Open cancelled") << Standing << OpenCancelled << stopped;
        QTest::newRow("standing: error") << Standing << Error << stopped;
        QTest::newRow("standing: review press") << Standing << ReviewPress << stopped;
        QTest::newRow("standing: Right held over a stand") << Standing << KeyRepeat << stands;
        QTest::newRow("standing: new file") << Standing << NewFile << runs;
        QTest::newRow("paused: play/pause") << UserPaused << PlayPause << runs;
        QTest::newRow("paused: F8 to quarter") << UserPaused << F8 << stopped;
        QTest::newRow("paused: About") << UserPaused << About << stopped;
        QTest::newRow("paused: new file") << UserPaused << NewFile << runs;
        QTest::newRow("reviewing: play/pause") << Reviewing << PlayPause << runs;
        QTest::newRow("reviewing: Right past the newest") << Reviewing << KeyRepeat << runs;
        QTest::newRow("reviewing: error") << Reviewing << Error << stopped;
    }
    void phasesAndEvents()
    {
        QFETCH(Phase, phase);
        QFETCH(Event, event);
        QFETCH(Outcome, after);
        if (phase == Running || phase == Standing) {
            child<QSlider>(w, "SpeedSlider")->setValue(1);
            waitForStand();
            if (phase == Running)
                QTRY_VERIFY(!child(w, "PauseTimer")->isEnabled() && f->fake->PlayState() == MediaPlayer::Playing);
        }
        if (phase == UserPaused)
            trigger(w, "mnuViewPlay");
        if (phase == Reviewing) { // a step back, its repeat delay over
            QTest::mouseClick(w->findChild<QWidget *>("cmdLeft"), Qt::LeftButton);
            QTRY_VERIFY(w->mlReviewOffset() == 1 && !w->reviewTimerEnabled());
        }
        QTRY_COMPARE(f->fake->PlayState(), phase == Normal || phase == Running ? MediaPlayer::Playing : MediaPlayer::Paused);
        switch (event) {
        case PlayPause: trigger(w, "mnuViewPlay"); break;
        case F8: trigger(w, "mnuViewSpeed"); break;
        case SliderHalf: child<QSlider>(w, "SpeedSlider")->setValue(2); break;
        case About: trigger(w, "mnuHelpAbout"); break;
        case Options: trigger(w, "mnuToolsOptions"); break;
        case OpenCancelled:
            OpenDialog::setChooser([](const QString &, const QStringList &) { return QString(); });
            trigger(w, "mnuFileOpen");
            break;
        case Error: reportFailures(*w, "cmdPlay_Click: ", [] { raiseFailure(Failure::Overflow); }); break;
        case ReviewPress: QTest::mouseClick(w->findChild<QWidget *>("cmdLeft"), Qt::LeftButton); break;
        case KeyRepeat: // the keyboard's repeats of a held Right, over a stand where slow motion has one
            key(QEvent::KeyPress);
            if (child<QSlider>(w, "SpeedSlider")->value() < 3)
                waitForStand();
            key(QEvent::KeyRelease, true), key(QEvent::KeyPress, true);
            key(QEvent::KeyRelease);
            QTRY_COMPARE(w->mlReviewDirection(), 0);
            break;
        case NewFile: w->OpenMedia("b.avi"); break;
        }
        // Capture runs while the video plays, once the player has told its state; by then
        // no resume of slow motion may be pending that should not be.
        QTRY_COMPARE(child(w, "PlayTimer")->isEnabled(), std::get<0>(after) == MediaPlayer::Playing);
        QCOMPARE(outcome(), after);
        QVERIFY(!child(w, "PauseTimer")->isEnabled() || child(w, "PauseTimer")->isRunning()); // a pending resume does come
        QCOMPARE(f->fake->Mute(), child<QSlider>(w, "SpeedSlider")->value() < 3);
    }
    // A modal dialog takes the release of a held step: it ends as the dialog opens.
    void dialogEndsAHeldStep()
    {
        QWidget *left = w->findChild<QWidget *>("cmdLeft");
        QTest::mousePress(left, Qt::LeftButton);
        QCOMPARE(w->mlReviewDirection(), 1);
        trigger(w, "mnuHelpAbout");
        QCOMPARE(w->mlReviewDirection(), 0);
        QTRY_VERIFY(!w->reviewTimerEnabled());
        QTest::mousePress(left, Qt::LeftButton);
        QCOMPARE(std::pair(w->mlReviewOffset(), w->mlReviewDirection()), std::pair(2, 1));
    }
};

REPLIXA_TEST_MAIN(TestPlayState)
#include "test_play_state.moc"
