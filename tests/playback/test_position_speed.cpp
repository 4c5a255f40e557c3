// The command bar's two sliders: the position read-out, jumps and slider seeks on the scripted
// player; and what a change of speed sets.
#include "FakeMediaPlayer.h"
#include "errors/Failure.h"
#include "playback/PositionControl.h"
#include "playback/SlowMotion.h"
#include <QSlider>
#include <QtTest>
#include <functional>

// The window's side with a real slider, wired as the window wires it: only the user's
// moves trigger actions, and while one runs the moved place is the slider position.
struct Rig : PositionHost {
    Rig() { slider.setMaximum(90), slider.setValue(7); } // 7 tells whether a refresh set the slider
    qint32 positionSliderValue() const override { return slider.sliderPosition(); }
    void setPositionSliderValue(qint32 value) override { slider.setValue(value); }
    qint32 positionSliderMaximum() const override { return slider.maximum(); }
    void setPositionText(const QString &value) override { text = value; }
    qint32 lengthSeconds() const override { return length; }
    void ShowImage(qint32 offset) override { failing ? raiseFailure(Failure::Internal) : shown.append(offset); }
    void afterSliderChange() override { failing ? raiseFailure(Failure::Internal) : void(++requests); }
    QWidget window;
    FakeMediaPlayer fake{&window};
    QSlider slider{Qt::Horizontal};
    QString text = QStringLiteral("Position");
    qint32 length = 125, requests = 0;
    QList<qint32> shown;
    bool failing = false;
    PositionControl control{fake, *this};
    const QMetaObject::Connection wiring =
        QObject::connect(&slider, &QAbstractSlider::actionTriggered, [this] { control.sliderScrolled(); });
};
using Command = std::function<void(Rig &)>; // a jump or a move of the slider
using Readout = std::tuple<qint32, double, QString, int>; // length, position, text, slider (7: left as it was)
struct Seek { double from; Command command; double to; QList<qint32> shown; qint32 requests; QString text = "Position"; };
Q_DECLARE_METATYPE(Readout)
Q_DECLARE_METATYPE(Seek)

class Host : public SpeedHost {
public:
    SlowMotion unit{*this};
    int value = 3, requests = 0, pause = 999;
    QString tip = "old", failing;
    bool mute = true;
    void fail(const char *step) const { if (failing == step) throw step; }
    int speedValue() const override { return value; }
    void setSpeedValue(int v) override { if (std::exchange(value, v) != v) unit.speedChanged(); }
    void setSpeedTip(const QString &t) override { fail("tip"); tip = t; }
    int playInterval() const override { return 50; }
    void setPauseInterval(int ms) override { pause = ms; }
    void setMute(bool m) override { fail("mute"); mute = m; }
    void reclaimFocus() override { fail("request"); ++requests; }
};
using Change = std::tuple<int, int, QString, int, QString, int>; // from, set (0: toggle), failing, to, tip, interval
Q_DECLARE_METATYPE(Change)

class TestPositionSpeed : public QObject {
    Q_OBJECT
private slots:
    void refresh_data()
    {
        QTest::addColumn<Readout>("row");
        QTest::newRow("no medium") << Readout{0, 0.0, "Position  ( 0:00 )   0:00", 0};
        QTest::newRow("59 s, slider 88.5") << Readout{60, 59.0, "Position  ( 1:00 )   0:59", 88};
        QTest::newRow("half up to even") << Readout{125, 59.5, "Position  ( 2:05 )   1:00", 43};
        QTest::newRow("half down to even") << Readout{125, 60.5, "Position  ( 2:05 )   1:00", 43};
        QTest::newRow("no position") << Readout{125, qQNaN(), "Position  ( 2:05 )   0:00", 0};
        QTest::newRow("slider overflows") << Readout{30000000, 3e7, "Position  ( 500000:00 )   500000:00", 7};
    }
    void refresh()
    {
        QFETCH(Readout, row);
        const auto &[length, position, text, slider] = row;
        Rig r;
        r.length = length;
        r.fake.SetCurrentPosition(position);
        r.control.timerTick();
        QCOMPARE(std::pair(r.text, r.slider.value()), std::pair(text, slider));
    }
    void commands_data()
    {
        const auto jump = [](int s) {
            return Command([s](Rig &r) { s < 0 ? r.control.jumpBack(-s) : r.control.jumpForward(s); });
        };
        const Command drag = [](Rig &r) { r.slider.setSliderDown(true), r.slider.setSliderPosition(90); };
        const Command pageUp = [](Rig &r) { QTest::keyClick(&r.slider, Qt::Key_PageUp); };
        QTest::addColumn<Seek>("row");
        QTest::newRow("back 15 at 12 s: nothing") << Seek{12.0, jump(-15), 12.0, {}, 0};
        QTest::newRow("back 15 at 15 s") << Seek{15.0, jump(-15), 0.0, {0}, 0};
        QTest::newRow("forward 15 past the end") << Seek{120.0, jump(15), 135.0, {0}, 0};
        QTest::newRow("slider dragged to the right end") << Seek{12.0, drag, 125.4, {}, 1, "Position  ( 2:05 )   2:05"};
        QTest::newRow("slider Page Up key") << Seek{12.0, pageUp, 125.4 * 17 / 90, {}, 1, "Position  ( 2:05 )   0:24"};
    }
    void commands()
    {
        QFETCH(Seek, row);
        Rig r;
        r.fake.addMedium("m.mp4", {64, 48}, 125.4); // a length apart from the whole seconds below
        r.fake.SetFileName("m.mp4");
        r.fake.SetCurrentPosition(row.from);
        row.command(r);
        QCOMPARE(r.fake.CurrentPosition(), row.to);
        QCOMPARE(r.shown, row.shown); // a snapshot in view stays there while the slider moves
        QCOMPARE(r.requests, row.requests);
        QCOMPARE(r.text, row.text);
        QCOMPARE(r.fake.PlayState(), int(MediaPlayer::Playing)); // neither paused nor stopped
        r.failing = true; // a jump's failure reaches its caller; the slider's is skipped
        QVERIFY_THROWS_EXCEPTION(Failure, r.control.jumpForward(5));
        r.slider.triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(r.fake.CurrentPosition(), 0.0);
    }
    void speedChange_data() // a failing step is skipped
    {
        QTest::addColumn<Change>("row");
        QTest::newRow("1/4") << Change{3, 1, "", 1, "1/4", 150};
        QTest::newRow("out of range: neither") << Change{3, 4, "", 4, "old", 999};
        QTest::newRow("mute fails") << Change{3, 1, "mute", 1, "1/4", 150};
        QTest::newRow("1/2, request fails") << Change{3, 2, "request", 2, "1/2", 50};
        QTest::newRow("tip fails") << Change{3, 1, "tip", 1, "old", 150};
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
        QCOMPARE(std::tuple(h.value, h.tip, h.pause), std::tuple(to, tip, interval));
        QCOMPARE(h.mute, failing == "mute" || h.value < 3);
        QCOMPARE(h.requests, failing == "request" ? 0 : 1);
    }
};

QTEST_MAIN(TestPositionSpeed)
#include "test_position_speed.moc"
