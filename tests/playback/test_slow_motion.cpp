// Slow motion on a virtual clock: the host plays the window's two timers and the video.
#include "playback/SlowMotion.h"
#include <QTest>

struct Timer { int interval = 0, due = 0; bool on = false; }; // as the window's: 0 never fires

class Host : public SpeedHost {
public:
    SlowMotion unit{*this};
    int value = 3, requests = 0, bareStops = 0, now = 0;
    QString tip = "old", failing;
    bool mute = true, playing = false;
    Timer play{50}, pause{999};
    QList<int> changes; // times the video started (even) and stood (odd)
    void fail(const char *step) const { if (failing == step) throw step; }
    int speedValue() const override { return value; }
    void setSpeedValue(int v) override { if (std::exchange(value, v) != v) unit.speedChanged(); }
    void setSpeedTip(const QString &t) override { fail("tip"); tip = t; }
    int playInterval() const override { return play.interval; }
    void setPauseInterval(int ms) override { pause.interval = ms; pause.due = now + ms; }
    void startPauseTimer() override { start(pause); }
    void stopPauseTimer() override { pause.on = false; }
    void setMute(bool m) override { fail("mute"); mute = m; }
    void PlayMedia() override { setPlaying(true); }
    void PauseMedia() override { bareStops += !pause.on; setPlaying(false); }
    void reclaimFocus() override { fail("request"); ++requests; }
    void start(Timer &t) { if (!std::exchange(t.on, true)) t.due = now + t.interval; }
    // The component's notification: the play timer runs exactly while the video plays.
    void setPlaying(bool on) { if (std::exchange(playing, on) != on) changes << now, play.on = false, on ? start(play) : void(); }
    void runUntil(int end) // one millisecond at a time
    {
        while (now < end && ++now)
            for (Timer *t : {&play, &pause})
                if (t->on && t->interval > 0 && t->due == now)
                    t->due += t->interval, t == &play ? unit.playTick() : unit.pauseTick();
    }
};

class TestSlowMotion : public QObject {
    Q_OBJECT
private slots:
    void speedChange_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("set"); // 0: toggle
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<int>("interval");
        QTest::newRow("1/4") << 3 << 1 << "" << 1 << "1/4" << 150;
        QTest::newRow("1/2") << 3 << 2 << "" << 2 << "1/2" << 50;
        QTest::newRow("normal") << 1 << 3 << "" << 3 << "1" << 0;
        QTest::newRow("out of range: neither") << 3 << 4 << "" << 4 << "old" << 999;
        QTest::newRow("mute fails") << 3 << 1 << "mute" << 1 << "1/4" << 150;
        QTest::newRow("request fails") << 3 << 2 << "request" << 2 << "1/2" << 50;
        QTest::newRow("tip fails") << 3 << 1 << "tip" << 1 << "old" << 150;
        QTest::newRow("toggle normal to 1/4") << 3 << 0 << "" << 1 << "1/4" << 150;
        QTest::newRow("toggle 1/4 to normal") << 1 << 0 << "" << 3 << "1" << 0;
        QTest::newRow("toggle 1/2 to 1/4") << 2 << 0 << "" << 1 << "1/4" << 150;
    }
    void speedChange()
    {
        QFETCH(int, from);
        QFETCH(int, set);
        QFETCH(QString, failing);
        Host h;
        h.value = from, h.failing = failing;
        set ? h.setSpeedValue(set) : h.unit.toggleSpeed();
        QTEST(h.value, "to");
        QTEST(h.tip, "tip");
        QTEST(h.pause.interval, "interval");
        QCOMPARE(h.mute, failing == "mute" || h.value < 3);
        QCOMPARE(h.requests, failing == "request" ? 0 : 1);
    }
    void rhythm_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("later"); // the frame time after the speed change at 50
        QTest::addColumn<int>("interrupt"); // at 100: 1 the play button, 2 a review step
        QTest::addColumn<QList<int>>("changes");
        QTest::newRow("1/4 runs 50, holds 150") << 1 << 50 << 0 << QList<int>{0, 50, 200, 250, 400};
        QTest::newRow("1/2 runs 50, holds 50") << 2 << 50 << 0 << QList<int>{0, 50, 100, 150, 200, 250, 300, 350, 400};
        QTest::newRow("normal never holds") << 3 << 50 << 0 << QList<int>{0};
        QTest::newRow("1/4, then 100: old hold") << 1 << 100 << 0 << QList<int>{0, 100, 250, 350};
        QTest::newRow("play button cancels the resume") << 1 << 50 << 1 << QList<int>{0, 50};
        QTest::newRow("a review step does not") << 1 << 50 << 2 << QList<int>{0, 50, 200, 250, 400};
    }
    void rhythm()
    {
        QFETCH(int, value);
        QFETCH(int, later);
        QFETCH(int, interrupt);
        Host h;
        h.setSpeedValue(value);
        h.play.interval = later;
        h.PlayMedia();
        h.runUntil(100);
        if (interrupt == 1) h.play.on = h.pause.on = false; // the play button stops both timers, then pauses
        if (interrupt) h.PauseMedia();
        h.runUntil(440);
        QTEST(h.changes, "changes");
        QCOMPARE(h.bareStops, interrupt == 1);
        // The new frame time reaches the pause length at the next speed change.
        h.setSpeedValue(value == 1 ? 2 : 1);
        QCOMPARE(h.pause.interval, later * (value == 1 ? 1 : 3));
    }
};
QTEST_GUILESS_MAIN(TestSlowMotion)
#include "test_slow_motion.moc"
