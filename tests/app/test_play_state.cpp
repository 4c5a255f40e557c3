// The play button, its pictures and tips, the play-state notifications, the open dialog
// and dropped files, with the scripted media player; and the window's interval timers,
// whose Enabled and Interval are separate properties.
#include "WindowFixture.h"
#include "playback/OpenDialog.h"
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>

using PlayPicture = frmMain::PlayPicture;
using Picture = PictureStore::Picture;
const QString kClip = QStringLiteral("/clips/serve.avi"), kSecond = QStringLiteral("/clips/jump.avi");
const QString kTips = QStringLiteral("Play - Pause (Space)");

class TestPlayState : public QObject {
    Q_OBJECT
    std::optional<WindowFixture> f;
    frmMain *w = nullptr;
private slots:
    void init() { w = &f.emplace().startWithFake({{kClip, {160, 120}, 12.0}, {kSecond, {320, 180}, 30.6}}); }
    void cleanup() { f.reset(), OpenDialog::setChooser({}); }
    // Playing captures and shows the pause picture; paused keeps it; stopped or closed
    // show the play picture. Only playing stops the review timer.
    void notifiedState()
    {
        w->OpenMedia(kClip);
        QTRY_VERIFY(w->PlayTimer->isEnabled());
        QSignalSpy notified(f->fake, &MediaPlayer::PlayStateChange);
        using P = MediaPlayer;
        for (const auto &[state, picture] : {std::pair{P::Paused, PlayPicture::Pause}, {P::Playing, PlayPicture::Pause},
                                             {P::Closed, PlayPicture::Play}, {P::Playing, PlayPicture::Pause},
                                             {P::Stopped, PlayPicture::Play}}) {
            w->ReviewTimer->start();
            f->fake->setPlayState(state);
            QVERIFY(notified.wait());
            const bool capturing = state == MediaPlayer::Playing;
            QCOMPARE(w->PlayTimer->isEnabled(), capturing);
            QCOMPARE(w->ReviewTimer->isEnabled(), !capturing);
            QCOMPARE(w->playPicture(), picture);
            QVERIFY(!capturing || (w->leftPicture() == Picture::Normal && w->rightPicture() == Picture::Disabled));
        }
    }
    // Before any medium the first Play/Pause takes the pause path; the next one the play
    // path, which has nothing to play. Tips follow the user's play and pause only.
    void playPauseAndTips()
    {
        CommandBar *bar = w->frCommand;
        QVERIFY(w->playPicture() == PlayPicture::StartupDisabled && !bar->cmdPlay->isEnabled());
        w->findChild<QAction *>("mnuViewPlay")->trigger();
        QVERIFY(w->playPicture() == PlayPicture::Play && bar->cmdPlay->toolTip() == kTips);
        w->findChild<QAction *>("mnuViewPlay")->trigger();
        QVERIFY(w->playPicture() == PlayPicture::Play && bar->cmdPlay->toolTip().isEmpty());
        QCOMPARE(f->fake->playCalls, 0);
        w->OpenMedia(kClip);
        QTRY_VERIFY(bar->cmdPlay->isEnabled());
        bar->cmdPlay->click(); // pause
        QVERIFY(bar->cmdPlay->toolTip() == kTips && !bar->cmdLeft->toolTip().isEmpty());
        bar->cmdPlay->click(); // play
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Playing));
        QVERIFY(bar->cmdPlay->toolTip().isEmpty() && bar->cmdRight->toolTip().isEmpty());
    }
    // Cancelled, the open dialog leaves the video paused where it stood. A file that cannot
    // open gets one message box with the reason and the name as given, and the idle caption;
    // the video stays stopped, and the next file opens. A drop without a local file is
    // reported; of several dropped files the first opens.
    void openingFiles()
    {
        w->OpenMedia(kClip);
        f->fake->SetCurrentPosition(4.5);
        QString chosen;
        OpenDialog::setChooser([&](const QString &, const QStringList &) { return chosen; });
        QAction *open = w->findChild<QAction *>("mnuFileOpen");
        open->trigger();
        QVERIFY(f->fake->FileName() == kClip && f->fake->CurrentPosition() == 4.5);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
        w->cmdPlay_Click();
        chosen = QStringLiteral("\"/clips/gone.avi\"");
        open->trigger();
        QCOMPARE(f->boxes, QStringList{"unrecognized file format\r\n\"/clips/gone.avi\""});
        QCOMPARE(w->windowTitle(), QStringLiteral("Orvane Replixa 2.6.0"));
        QTRY_COMPARE(w->playPicture(), PlayPicture::Play);
        QVERIFY(!w->PlayTimer->isEnabled());
        chosen = kSecond;
        open->trigger();
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Playing));
        QTRY_VERIFY(w->PlayTimer->isEnabled());
        QCOMPARE(QList<int>({w->mlVideoWidth, w->mlVideoHeight, w->mlDuration}), QList<int>({320, 180, 31}));
        QCOMPARE(w->windowTitle(), "Orvane Replixa - " + kSecond);
        QMimeData data;
        data.setText(QStringLiteral("just some text"));
        w->Form_OLEDragDrop(&data);
        data.setUrls({QUrl(QStringLiteral("https://example.org/clip.mp4"))});
        w->Form_OLEDragDrop(&data);
        QCOMPARE(w->msErrorMessages().count("Form_OLEDragDrop: The dropped item is not a file, line "), 2);
        QCOMPARE(f->fake->FileName(), kSecond);
        data.setUrls({QUrl::fromLocalFile(kClip), QUrl::fromLocalFile(kSecond), QUrl::fromLocalFile("/a.avi")});
        w->Form_OLEDragDrop(&data);
        QVERIFY(f->fake->FileName() == kClip && f->fake->PlayState() == MediaPlayer::Playing);
        QCOMPARE(f->closer.count(QStringLiteral("frmError")), 2);
    }
    // An enabled timer waits for an interval, and 0 silences it; a disabled one stays silent
    // whatever its interval. Enabling a running timer or giving it the same interval keeps
    // its tick; a new interval starts a full interval anew.
    void intervalTimerKeepsEnabledAndIntervalApart()
    {
        IntervalTimer timer;
        timer.start();
        QVERIFY(timer.isEnabled() && !timer.isRunning());
        QSignalSpy ticks(&timer, &IntervalTimer::Timer);
        timer.setInterval(10);
        QVERIFY(ticks.wait());
        timer.setInterval(0);
        QVERIFY(timer.isEnabled() && !timer.isRunning());
        timer.stop(), timer.setInterval(1000);
        QVERIFY(!timer.isRunning() && timer.interval() == 1000);
        timer.start();
        QTRY_VERIFY(timer.remainingTime() < 950);
        timer.start(), timer.setInterval(1000);
        QVERIFY(timer.remainingTime() < 950);
        timer.setInterval(5000);
        QVERIFY(timer.remainingTime() > 4900);
    }
};

REPLIXA_TEST_MAIN(TestPlayState)
#include "test_play_state.moc"
