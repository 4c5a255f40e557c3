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
    bool start(Timer &t) { if (!std::exchange(t.on, true)) t.due = now + t.interval; return true; }
    // The component's notification: the play timer runs exactly while the video plays.
    void setPlaying(bool on) { if (playing != on) playing = on, changes << now, play.on = false, on && start(play); }
    void runUntil(int end) // one millisecond at a time
    {
        while (now < end && ++now)
            for (Timer *t : {&play, &pause})
                if (t->on && t->interval > 0 && t->due == now)
                    t->due += t->interval, t == &play ? unit.playTick() : unit.pauseTick();
    }
};
using Change = std::tuple<int, int, QString, int, QString, int>; // from, set (0: toggle), failing, to, tip, interval
using Rhythm = std::tuple<int, int, int, QList<int>>; // speed, frame time after the change at 50, interrupt, changes
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(Rhythm)

class TestSlowMotion : public QObject {
    Q_OBJECT
private slots:
    void speedChange_data() // a failing step is skipped
    {
        QTest::addColumn<Change>("row");
        QTest::newRow("1/4") << Change{3, 1, "", 1, "1/4", 150};
        QTest::newRow("normal") << Change{1, 3, "", 3, "1", 0};
        QTest::newRow("out of range: neither") << Change{3, 4, "", 4, "old", 999};
        QTest::newRow("mute fails") << Change{3, 1, "mute", 1, "1/4", 150};
        QTest::newRow("1/2, request fails") << Change{3, 2, "request", 2, "1/2", 50};
        QTest::newRow("tip fails") << Change{3, 1, "tip", 1, "old", 150};
        QTest::newRow("toggle normal to 1/4") << Change{3, 0, "", 1, "1/4", 150};
        QTest::newRow("toggle 1/4 to normal") << Change{1, 0, "", 3, "1", 0};
        QTest::newRow("toggle 1/2 to 1/4") << Change{2, 0, "", 1, "1/4", 150};
    }
    void speedChange()
    {
        QFETCH(Change, row);
        const auto &[from, set, failing, to, tip, interval] = row;
        Host h;
        h.value = from, h.failing = failing;
        set ? h.setSpeedValue(set) : h.unit.toggleSpeed();
        QCOMPARE(std::tuple(h.value, h.tip, h.pause.interval), std::tuple(to, tip, interval));
        QCOMPARE(h.mute, failing == "mute" || h.value < 3);
        QCOMPARE(h.requests, failing == "request" ? 0 : 1);
    }
    void rhythm_data() // interrupted at 100 by the play button or a review step
    {
        QTest::addColumn<Rhythm>("row");
        QTest::newRow("1/4 runs 50, holds 150") << Rhythm{1, 50, 0, {0, 50, 200, 250, 400}};
        QTest::newRow("1/2 runs 50, holds 50") << Rhythm{2, 50, 0, {0, 50, 100, 150, 200, 250, 300, 350, 400}};
        QTest::newRow("normal never holds") << Rhythm{3, 50, 0, {0}};
        QTest::newRow("1/4, then 100: old hold") << Rhythm{1, 100, 0, {0, 100, 250, 350}};
        QTest::newRow("play button cancels the resume") << Rhythm{1, 50, 1, {0, 50}};
        QTest::newRow("a review step does not") << Rhythm{1, 50, 2, {0, 50, 200, 250, 400}};
    }
    void rhythm()
    {
        QFETCH(Rhythm, row);
        const auto &[value, later, interrupt, changes] = row;
        Host h;
        h.setSpeedValue(value);
        h.play.interval = later;
        h.PlayMedia();
        h.runUntil(100);
        if (interrupt == 1) h.play.on = h.pause.on = false; // the play button stops both timers, then pauses
        if (interrupt) h.PauseMedia();
        h.runUntil(440);
        QCOMPARE(h.changes, changes);
        QCOMPARE(h.bareStops, interrupt == 1);
        // The new frame time reaches the pause length at the next speed change.
        h.setSpeedValue(value == 1 ? 2 : 1);
        QCOMPARE(h.pause.interval, later * (value == 1 ? 1 : 3));
    }
};
QTEST_GUILESS_MAIN(TestSlowMotion)
#include "test_slow_motion.moc"
