// Live sources in the window. With the scripted player: an address that is none is refused; while
// live the slider, the jumps and the speed are off and the read-out counts; a source that stands or
// ends is told stopped once and paused; a file gets everything back. With the engine, a real UDP
// stream from an ffmpeg sender plays, plays on after a pause, and its sender's end is told once.
#include "WindowFixture.h"
#include "playback/frmOpenLive.h"
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QSlider>

class TestLive : public QObject {
    Q_OBJECT
    static QString readout(const frmMain &w) { return child<QLabel>(&w, "lblPosition")->text(); }
    // The position slider, the speed slider and Forward 15 sec, each enabled or not.
    static QList<bool> seeking(const frmMain &w)
    {
        return {child<QSlider>(&w, "PositionSlider")->isEnabled(), child<QSlider>(&w, "SpeedSlider")->isEnabled(),
                child<QAction>(&w, "mnuViewForward15sec")->isEnabled()};
    }
    static void ticks(const frmMain &w, int n) { for (int i = 0; i < n; ++i) emit child(&w, "PositionTimer")->Timer(); }
private slots:
    void cleanup() { frmOpenLive::setChooser({}); }
    void scripted()
    {
        WindowFixture f;
        frmMain &w = f.startWithFake({{"a.avi", {160, 120}, 60.0}, {"udp://127.0.0.1:1234", {160, 120}, 0.0}}, "a.avi");
        child(&w, "PositionTimer")->stop(); // its seconds are the test's
        QString answer = "rtmp://127.0.0.1/live";
        frmOpenLive::setChooser([&](const QList<LiveSource::Camera> &) { return answer; });
        trigger(&w, "mnuFileOpenLive");
        QVERIFY(f.boxes.value(0).startsWith("\"rtmp://127.0.0.1/live\" is not a stream address:"));
        QCOMPARE(f.fake->FileName(), "a.avi");
        child<QSlider>(&w, "SpeedSlider")->setValue(1);
        answer = "udp://127.0.0.1:1234";
        trigger(&w, "mnuFileOpenLive");
        QCOMPARE(w.windowTitle(), "Orvane Replixa - udp://127.0.0.1:1234");
        QTRY_COMPARE(seeking(w), QList<bool>({false, false, false}));
        QCOMPARE(child<QSlider>(&w, "SpeedSlider")->value(), 3);
        w.Form_KeyUp(Commands::PageDown, 0);
        QCOMPARE(f.fake->CurrentPosition(), 0.0);
        QSignalSpy titles(&w, &QWidget::windowTitleChanged);
        ticks(w, 3); // the picture stands for two seconds: still live
        QCOMPARE(readout(w), "Live   0:00");
        ticks(w, 3);
        QCOMPARE(titles.size(), 1);
        QCOMPARE(w.windowTitle(), "Orvane Replixa - udp://127.0.0.1:1234 - Source stopped");
        QCOMPARE(readout(w), "Source stopped   0:00");
        QCOMPARE(f.fake->PlayState(), MediaPlayer::Paused);
        trigger(&w, "mnuFileOpenLive"); // opened again, the source ends
        QTRY_COMPARE(f.fake->PlayState(), MediaPlayer::Playing);
        f.fake->setPlayState(MediaPlayer::Stopped);
        QTRY_COMPARE(titles.size(), 3);
        QVERIFY(w.windowTitle().endsWith(" - Source stopped"));
        w.OpenMedia("a.avi");
        QTRY_COMPARE(seeking(w), QList<bool>({true, true, true}));
        ticks(w, 1);
        QCOMPARE(readout(w), "Position  ( 1:00 )   0:00");
    }
    void realStream()
    {
        const QString address = QStringLiteral("udp://127.0.0.1:%1").arg(24000 + QCoreApplication::applicationPid() % 1000);
        QProcess sender;
        sender.start(qEnvironmentVariable("REPLIXA_FFMPEG"),
                     {"-loglevel", "error", "-re", "-f", "lavfi", "-i", "testsrc2=s=320x240:r=25", "-c:v", "libx264", "-preset",
                      "ultrafast", "-tune", "zerolatency", "-g", "25", "-f", "mpegts", address + "?pkt_size=1316"});
        QVERIFY(sender.waitForStarted());
        WindowFixture f;
        frmMain &w = f.startWithMpv(address);
        MediaPlayer &player = *w.oMediaPlayer();
        QCOMPARE(player.PlayState(), MediaPlayer::Playing);
        QTRY_VERIFY(player.CurrentPosition() > 1.0);
        QTRY_COMPARE(seeking(w), QList<bool>({false, false, false}));
        trigger(&w, "mnuViewPlay");
        QTRY_COMPARE(player.PlayState(), MediaPlayer::Paused);
        player.widget()->resize(200, 100);
        trigger(&w, "mnuViewPlay"); // the source is opened again, in the size the window gave it
        QCOMPARE(player.PlayState(), MediaPlayer::Playing);
        QCOMPARE(player.widget()->size(), QSize(200, 100));
        QSignalSpy titles(&w, &QWidget::windowTitleChanged), seconds(child(&w, "PositionTimer"), &IntervalTimer::Timer);
        sender.kill();
        QTRY_VERIFY_WITH_TIMEOUT(w.windowTitle().endsWith(" - Source stopped"), 10000);
        seconds.clear();
        QTRY_COMPARE(seconds.size(), 2);
        QCOMPARE(titles.size(), 1);
        QCOMPARE(player.PlayState(), MediaPlayer::Paused);
        w.MouseDown(1), w.ReleaseReview(); // every frame is kept, whatever the frame time
        QCOMPARE(child<QLabel>(&w, "lblReviewTime")->text(), "-1 fr");
        w.OpenMedia(address); // nobody sends: the window waits 5 s, not 15
        QCOMPARE(f.boxes, QStringList("The source sent no picture within 5 seconds.\r\n" + address));
    }
};

REPLIXA_TEST_MAIN(TestLive)
#include "test_live.moc"
