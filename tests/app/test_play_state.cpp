// The play button, its pictures and tips, the play-state notifications, the open dialog
// and dropped files, with the scripted media player; and the window's interval timers,
// whose Enabled and Interval are separate properties.

#include "WindowFixture.h"

#include "playback/OpenDialog.h"
#include "review/ReviewButton.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QToolButton>
#include <QUrl>

using Picture = PictureStore::Picture;
using PlayPicture = frmMain::PlayPicture;

namespace {
const QString kClip = QStringLiteral("/clips/serve.avi");
const QString kSecond = QStringLiteral("/clips/jump.avi");
const QString kTips = QStringLiteral("Play - Pause (Space)");
} // namespace

class TestPlayState : public QObject {
    Q_OBJECT
    std::optional<WindowFixture> f;
    frmMain *w = nullptr;
private slots:
    void init()
    {
        f.emplace();
        w = &f->startWithFake({{kClip, QSize(160, 120), 12.0}, {kSecond, QSize(320, 180), 30.6}});
    }
    void cleanup()
    {
        f.reset();
        OpenDialog::setChooser({});
    }
    // Playing captures and shows the pause picture; paused keeps it; stopped or closed
    // show the play picture. Only playing stops the review timer.
    void notifiedState_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<PlayPicture>("picture");
        QTest::newRow("playing") << int(MediaPlayer::Playing) << PlayPicture::Pause;
        QTest::newRow("paused keeps the picture") << int(MediaPlayer::Paused) << PlayPicture::Pause;
        QTest::newRow("stopped at the end") << int(MediaPlayer::Stopped) << PlayPicture::Play;
        QTest::newRow("closed") << int(MediaPlayer::Closed) << PlayPicture::Play;
    }
    void notifiedState()
    {
        QFETCH(int, state);
        const bool capturing = state == MediaPlayer::Playing;
        QFETCH(PlayPicture, picture);
        w->OpenMedia(kClip);
        QTRY_VERIFY(w->PlayTimer->isEnabled());
        if (capturing) {
            f->fake->setPlayState(MediaPlayer::Paused);
            QTRY_VERIFY(!w->PlayTimer->isEnabled());
        }
        w->ReviewTimer->start();
        QSignalSpy notified(f->fake, &MediaPlayer::PlayStateChange);
        f->fake->setPlayState(state);
        QVERIFY(notified.wait());
        QCOMPARE(w->PlayTimer->isEnabled(), capturing);
        QCOMPARE(w->playPicture(), picture);
        QCOMPARE(w->ReviewTimer->isEnabled(), !capturing);
        if (capturing)
            QVERIFY(w->leftPicture() == Picture::Normal && w->rightPicture() == Picture::Disabled);
    }
    // Before any medium the first Play/Pause takes the pause path; the next one the play
    // path, which has nothing to play. Tips follow the user's play and pause only.
    void playPauseAndTips()
    {
        QVERIFY(w->playPicture() == PlayPicture::StartupDisabled && !w->frCommand->cmdPlay->isEnabled());
        w->findChild<QAction *>("mnuViewPlay")->trigger();
        QVERIFY(w->playPicture() == PlayPicture::Play && w->frCommand->cmdPlay->toolTip() == kTips);
        w->findChild<QAction *>("mnuViewPlay")->trigger();
        QVERIFY(w->playPicture() == PlayPicture::Play && w->frCommand->cmdPlay->toolTip().isEmpty());
        QCOMPARE(f->fake->playCalls, 0);
        w->OpenMedia(kClip);
        QTRY_VERIFY(w->frCommand->cmdPlay->isEnabled());
        w->frCommand->cmdPlay->click(); // pause
        QVERIFY(w->frCommand->cmdPlay->toolTip() == kTips && !w->frCommand->cmdLeft->toolTip().isEmpty());
        w->frCommand->cmdPlay->click(); // play
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Playing));
        QVERIFY(w->frCommand->cmdPlay->toolTip().isEmpty() && w->frCommand->cmdRight->toolTip().isEmpty());
        // Play/Pause while a slow-motion pause waits to resume cancels the resume.
        w->PauseTimer->setInterval(500);
        w->PauseTimer->start();
        w->PauseMedia();
        QCOMPARE(w->playPicture(), PlayPicture::Pause);
        w->cmdPlay_Click();
        QVERIFY(!w->PauseTimer->isEnabled() && w->playPicture() == PlayPicture::Play);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
    }
    // Cancelled, the open dialog leaves the video paused where it stood. A file that cannot
    // open gets one message box with the reason and the name as given, and the idle caption;
    // the video stays stopped, and the next file opens.
    void openDialog()
    {
        w->OpenMedia(kClip);
        f->fake->SetCurrentPosition(4.5);
        QString chosen;
        OpenDialog::setChooser([&](const QString &, const QStringList &) { return chosen; });
        w->findChild<QAction *>("mnuFileOpen")->trigger();
        QCOMPARE(f->fake->FileName(), kClip);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
        QCOMPARE(f->fake->CurrentPosition(), 4.5);
        w->cmdPlay_Click();
        chosen = QStringLiteral("\"/clips/gone.avi\"");
        w->findChild<QAction *>("mnuFileOpen")->trigger();
        QCOMPARE(f->boxes, QStringList{"unrecognized file format\r\n\"/clips/gone.avi\""});
        QCOMPARE(w->windowTitle(), QStringLiteral("Orvane Replixa 2.6.0"));
        QTRY_COMPARE(w->playPicture(), PlayPicture::Play);
        QVERIFY(!w->PlayTimer->isEnabled());
        chosen = kSecond;
        w->findChild<QAction *>("mnuFileOpen")->trigger();
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Playing));
        QTRY_VERIFY(w->PlayTimer->isEnabled());
        QCOMPARE(QList<int>({w->mlVideoWidth, w->mlVideoHeight, w->mlDuration}), QList<int>({320, 180, 31}));
        QCOMPARE(w->windowTitle(), "Orvane Replixa - " + kSecond);
    }
    // A drop without a local file is reported; of several files the first opens.
    void droppedFiles()
    {
        QMimeData data;
        data.setText(QStringLiteral("just some text"));
        w->Form_OLEDragDrop(&data);
        data.setUrls({QUrl(QStringLiteral("https://example.org/clip.mp4"))});
        w->Form_OLEDragDrop(&data);
        QCOMPARE(w->msErrorMessages().count("Form_OLEDragDrop: The dropped item is not a file, line "), 2);
        QCOMPARE(f->closer.count(QStringLiteral("frmError")), 2);
        QCOMPARE(f->fake->FileName(), QString());
        data.setUrls({QUrl::fromLocalFile(kSecond), QUrl::fromLocalFile(kClip), QUrl::fromLocalFile("/a.avi")});
        w->Form_OLEDragDrop(&data);
        QCOMPARE(f->fake->FileName(), kSecond);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Playing));
        QCOMPARE(f->closer.count(QStringLiteral("frmError")), 2);
    }
    // An enabled timer waits for an interval, and 0 silences it; a disabled one stays silent
    // whatever its interval. Enabling a running timer or giving it the same interval keeps
    // its tick; a new interval starts a full interval anew.
    void intervalTimerKeepsEnabledAndIntervalApart()
    {
        IntervalTimer timer;
        timer.setEnabled(true);
        QVERIFY(timer.isEnabled() && !timer.isRunning());
        QSignalSpy ticks(&timer, &IntervalTimer::Timer);
        timer.setInterval(10);
        QVERIFY(ticks.wait());
        timer.setInterval(0);
        QVERIFY(timer.isEnabled() && !timer.isRunning());
        timer.stop();
        timer.setInterval(1000);
        QVERIFY(!timer.isRunning() && timer.interval() == 1000);
        timer.start();
        QTRY_VERIFY(timer.remainingTime() < 950);
        timer.setEnabled(true);
        timer.setInterval(1000);
        QVERIFY(timer.remainingTime() < 950);
        timer.setInterval(5000);
        QVERIFY(timer.remainingTime() > 4900);
    }
};

REPLIXA_TEST_MAIN(TestPlayState)
#include "test_play_state.moc"
