// Read-out, jumps and slider seeks on the scripted player; a jump on libmpv lands on its exact frame.
#include "FakeMediaPlayer.h"
#include "TestClips.h"
#include "errors/Failure.h"
#include "playback/MpvMediaPlayer.h"
#include "playback/PositionControl.h"
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
struct Seek { double from; Command command; double to; QList<qint32> shown; qint32 requests; };
Q_DECLARE_METATYPE(Readout)
Q_DECLARE_METATYPE(Seek)

class TestPosition : public QObject {
    Q_OBJECT
private slots:
    void refresh_data()
    {
        QTest::addColumn<Readout>("row");
        QTest::newRow("no medium") << Readout{0, 0.0, "Position  ( 0:00 )   0:00", 0};
        QTest::newRow("59 s, slider 88.5") << Readout{60, 59.0, "Position  ( 1:00 )   0:59", 88};
        QTest::newRow("125 s at 61 s") << Readout{125, 61.0, "Position  ( 2:05 )   1:01", 44};
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
        QTest::newRow("slider dragged to the right end") << Seek{12.0, drag, 125.4, {}, 1};
        QTest::newRow("slider Page Up key") << Seek{12.0, pageUp, 125.4 * 17 / 90, {}, 1};
        QTest::newRow("slider set by the program") << Seek{12.0, [](Rig &r) { r.slider.setValue(45); }, 12.0, {}, 0};
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
        QCOMPARE(r.text, r.requests ? PositionControl::readout(125, qRound(r.fake.CurrentPosition())) : "Position");
        QCOMPARE(r.fake.playCalls + r.fake.pauseCalls, 0);
        r.failing = true; // a jump's failure reaches its caller; the slider's is skipped
        QVERIFY_THROWS_EXCEPTION(Failure, r.control.jumpForward(5));
        r.slider.triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(r.fake.CurrentPosition(), 0.0);
    }
    void jumpLandsOnItsExactFrame()
    {
        // 22 s at 25 frames a second, keyframes 10 s apart; frame 375 is grey 130, a frame 4.66 levels.
        const QString clip = TestClips::make("steps.mp4", QStringLiteral(
            "-f lavfi -i color=c=black:s=64x48:r=25:d=22,geq=lum='clip(128+4*(N-375),16,235)':cb=128:cr=128 "
            "-c:v libx264 -g 250 -sc_threshold 0 -qp 0 -pix_fmt yuv420p").split(' '));
        Rig r;
        MpvMediaPlayer player(&r.window);
        player.SetFileName(clip);
        player.Pause();
        player.SetCurrentPosition(20.0);
        QTRY_VERIFY(qAbs(player.CurrentPosition() - 20.0) < 0.01);
        PositionControl(player, r).jumpBack(5);
        const auto grey = [&] { return player.frame().isNull() ? 0 : qGray(player.frame().pixel(32, 24)); };
        QTRY_VERIFY2(qAbs(grey() - 130) <= 5, qPrintable(QString::number(grey()))); // within a frame of 375
    }
};

QTEST_MAIN(TestPosition)
#include "test_position.moc"
