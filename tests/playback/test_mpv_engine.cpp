// The libmpv media player on clips made with ffmpeg: drawing, stretching, pausing, seeking, the
// end of the medium, a failed open and the notifications, which arrive queued and only on real changes;
// every frame told once with its time, also to a slow receiver.
#include "TestClips.h"
#include "playback/MpvFrames.h"
#include "playback/MpvMediaPlayer.h"
#include "playback/VideoWidget.h"
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

namespace {
// Play states: 0 Stopped, 1 Paused, 2 Playing, 6 Closed. Open states: 0 not open, 5 opening, 6 open.
using Pair = QPair<int, int>;
using Pairs = QList<Pair>;
using Spots = QList<QPair<QPoint, QColor>>;
using Frames = QList<QList<double>>;
using Times = QList<double>;
// "format" or "clear" unless the image is Format_RGB32 with every pixel's top byte 0xff, as it
// requires, else the spots whose colour is not near the wanted one (YUV is approximate).
QString wrongSpots(const QImage &image, const Spots &spots)
{
    if (image.format() != QImage::Format_RGB32)
        return "format";
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((reinterpret_cast<const quint32 *>(image.constScanLine(y))[x] >> 24) != 0xff)
                return "clear";
    QString out;
    for (const auto &[at, want] : spots) {
        const QRgb p = image.rect().contains(at) ? image.pixel(at) : 0;
        if (!p || std::abs(qRed(p) - want.red()) > 48 || std::abs(qGreen(p) - want.green()) > 48
            || std::abs(qBlue(p) - want.blue()) > 48)
            out += QStringLiteral("(%1,%2)=%3 ").arg(at.x()).arg(at.y()).arg(p, 8, 16);
    }
    return out;
}
// Notes the first pixel of each picture it paints.
struct LoggedVideo : VideoWidget {
    using VideoWidget::VideoWidget;
    QList<QRgb> painted;
    void paintEvent(QPaintEvent *e) override { painted << frame().pixel(0, 0), VideoWidget::paintEvent(e); }
};
} // namespace

class TestMpvEngine : public QObject {
    Q_OBJECT
    std::unique_ptr<QWidget> mHost;
    std::unique_ptr<MpvMediaPlayer> mPlayer;
    Pairs mPlays, mOpens; // the notifications, old and new state
    VideoWidget *video() const { return mPlayer->videoWidget(); }
    Pair state() const { return {mPlayer->PlayState(), mPlayer->OpenState()}; }
private slots:
    void init()
    {
        mHost = std::make_unique<QWidget>();
        mHost->resize(640, 480);
        mPlayer = std::make_unique<MpvMediaPlayer>(mHost.get());
        mPlays.clear(), mOpens.clear();
        connect(mPlayer.get(), &MediaPlayer::PlayStateChange, this, [this](int a, int b) { mPlays.append({a, b}); });
        connect(mPlayer.get(), &MediaPlayer::OpenStateChange, this, [this](int a, int b) { mOpens.append({a, b}); });
        mHost->show();
        QVERIFY(QTest::qWaitForWindowExposed(mHost.get()));
        QCOMPARE(state(), Pair(6, 0));
    }
    void cleanup() { mPlayer.reset(), mHost.reset(); }
    // The open notifies only afterwards, queued; pause, seek and play notify once each (mpv's own
    // confirmations add nothing). The frame is drawn, and stretched on a resize while paused.
    void opensDrawsPausesStretchesPlaysAndReplaces()
    {
        mPlayer->SetFileName(TestClips::redBlue());
        QCOMPARE(state(), Pair(2, 6));
        QCOMPARE(mPlayer->widget()->size(), QSize(160, 120));
        QVERIFY2(qAbs(mPlayer->Duration() - 2.0) < 0.1, qPrintable(QString::number(mPlayer->Duration())));
        QCOMPARE(mPlays.size() + mOpens.size(), 0);
        QTRY_COMPARE(mPlays, (Pairs{{6, 2}}));
        QCOMPARE(mOpens, (Pairs{{0, 5}, {5, 6}}));
        QTRY_COMPARE(wrongSpots(video()->frame(), {{{20, 60}, Qt::red}, {{140, 60}, Qt::blue}}), QString());
        mPlayer->Pause();
        QCOMPARE(mPlayer->PlayState(), 1);
        QCOMPARE(mPlays.size(), 1);
        QTRY_COMPARE(mPlays, (Pairs{{6, 2}, {2, 1}}));
        mPlayer->widget()->resize(480, 90); // the resize alone (the widget is visible) draws the frame again
        const Spots stretched{{{4, 45}, Qt::red}, {{200, 2}, Qt::red}, {{280, 87}, Qt::blue}, {{475, 45}, Qt::blue}};
        QCOMPARE(video()->frame().size(), QSize(480, 90));
        QCOMPARE(wrongSpots(video()->frame(), stretched), QString());
        mPlayer->SetCurrentPosition(1.0);
        QTRY_VERIFY(qAbs(mPlayer->CurrentPosition() - 1.0) < 0.05);
        QCOMPARE(mPlayer->PlayState(), 1);
        mPlayer->Play();
        QCOMPARE(mPlayer->PlayState(), 2);
        mPlayer->Pause();
        // The paused medium is closed first, and the next takes its own size, of pixels twice as wide.
        mPlayer->SetFileName(TestClips::h264("wide.mp4", "color=c=white:s=160x120:r=25:d=3,setsar=2"));
        QCOMPARE(mPlayer->PlayState(), 2);
        QCOMPARE(mPlayer->widget()->size(), QSize(320, 120));
        QTRY_COMPARE(mOpens, (Pairs{{0, 5}, {5, 6}, {6, 0}, {0, 5}, {5, 6}}));
        QTRY_COMPARE(mPlays, (Pairs{{6, 2}, {2, 1}, {1, 2}, {2, 1}, {1, 6}, {6, 2}}));
        // A failed open after a good one leaves nothing open.
        mPlayer->SetFileName(TestClips::write("text.mp4", "Just some words, not a video.\n"));
        QCOMPARE(mPlayer->PlayState(), 6);
        QVERIFY(!mPlayer->ErrorDescription().isEmpty());
        QTRY_COMPARE(mPlays.mid(6), (Pairs{{2, 6}}));
        QTRY_COMPARE(mOpens.mid(5), (Pairs{{6, 0}, {0, 5}, {5, 0}}));
    }
    // With no audio device a clip with sound plays to its end, where it stops; Play starts it again.
    void endOfMediumStopsAndPlayRestarts()
    {
        const QString tone = "-f lavfi -i color=c=green:s=160x120:r=25:d=1.5 -f lavfi -i sine=frequency=440:d=1.5"
                             " -pix_fmt yuv420p -c:v libx264 -c:a aac -shortest";
        mPlayer->SetFileName(TestClips::make("tone.mp4", tone.split(' ')));
        QCOMPARE(mPlayer->PlayState(), 2);
        for (const bool mute : {true, false}) { // slow motion mutes the engine's own sound
            mPlayer->SetMute(mute);
            QCOMPARE(mPlayer->Mute(), mute);
        }
        QTRY_COMPARE_WITH_TIMEOUT(mPlays, (Pairs{{6, 2}, {2, 0}}), 10000);
        QCOMPARE(state(), Pair(0, 6));
        QVERIFY(mPlayer->CurrentPosition() > 1.0);
        mPlayer->Play();
        QCOMPARE(mPlayer->PlayState(), 2);
        QTRY_VERIFY(mPlayer->CurrentPosition() < 0.5);
        QTRY_COMPARE_WITH_TIMEOUT(mPlays, (Pairs{{6, 2}, {2, 0}, {0, 2}, {2, 0}}), 10000);
    }
    // A frame that comes before the last one was painted paints that one first: none is lost
    // to a busy event loop.
    void paintsEveryFrame()
    {
        LoggedVideo widget(mHost.get());
        widget.resize(32, 24), widget.show();
        QRgb next = 0xff000001;
        widget.setRenderer([&](QImage &target) { return target.fill(next++), true; });
        widget.renderFrame(), widget.renderFrame(), widget.renderFrame();
        const QList<QRgb> all{0xff000001, 0xff000002, 0xff000003};
        QTRY_COMPARE(widget.painted.mid(widget.painted.indexOf(all[0])), all);
    }
    // With every frame on, a clip's frames (their numbers drawn as bars) are each told once, in order,
    // with their times, also when the receiver now and then takes long; a redraw at the end and a resize
    // while paused draw again without telling.
    void tellsEveryFrameOnce_data()
    {
        QTest::addColumn<int>("fps");
        QTest::newRow("24") << 24;
        QTest::newRow("30") << 30;
        QTest::newRow("60") << 60;
    }
    void tellsEveryFrameOnce()
    {
        QFETCH(int, fps);
        QList<int> numbers;
        Times times;
        connect(mPlayer.get(), &MediaPlayer::FrameShown, this, [&](double seconds) {
            int number = 0;
            for (int bit = 0; bit < 7; ++bit)
                number |= (qGray(video()->frame().pixel(bit * 20 + 10, 60)) > 128) << bit;
            numbers << number, times << seconds;
            if (number % 20 == 10)
                QThread::msleep(100); // a receiver that falls behind
        });
        QSignalSpy drawn(video(), &VideoWidget::drawn);
        mPlayer->SetEveryFrame(true);
        mPlayer->SetFileName(TestClips::h264(QString("numbers%1.mp4").arg(fps), QString("color=s=160x120:r=%1:d=2").arg(fps),
                                             {"-vf", "geq=lum='if(bitand(floor(N/pow(2,floor(X/20))),1),235,16)':cb=128:cr=128"}));
        QCOMPARE(numbers.size(), 0); // told once the open has returned
        QCOMPARE(mPlayer->FrameRate(), double(fps));
        QTRY_COMPARE_WITH_TIMEOUT(mPlayer->PlayState(), 0, 10000);
        QTRY_VERIFY(drawn.count() > numbers.size()); // the redraw at the end
        mPlayer->widget()->resize(200, 150);
        QCOMPARE(numbers.size(), 2 * fps);
        for (int n = 0; n < numbers.size(); ++n) {
            QCOMPARE(numbers[n], n);
            const double step = (times[n] - (n ? times[n - 1] : -1.0 / fps)) * fps; // in frames
            QVERIFY2(qAbs(step - 1) < (n ? 0.5 : 0.03), qPrintable(QString::number(times[n])));
        }
    }
    // The drawn frame's time: the targets on mpv's clock tell it within a run, whatever mpv's position read
    // late says; after a pause the position tells it, never the time of the frame before.
    void frameClockTellsTheDrawnFrame_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<Frames>("frames"); // target (s), read this much later, position (-1 none)
        QTest::addColumn<Times>("times");
        QTest::newRow("on time") << 0.0 << Frames{{1, .002, .05}, {1.04, .039, .09}} << Times{.05, .09};
        QTest::newRow("late, ahead") << 0.0 << Frames{{1, .002, 0}, {1.04, .05, .08}, {1.08, .09, .16}, {1.12, .05, .12}}
                                     << Times{0, .04, .08, .12};
        QTest::newRow("late at a seek") << 1.043 << Frames{{1, .05, 1.12}, {1.04, .002, 1.08}} << Times{1.04, 1.08};
        QTest::newRow("untimed first") << 0.0 << Frames{{0, 5, .08}, {1.04, .05, .08}} << Times{0, .04};
        QTest::newRow("read behind") << 0.0 << Frames{{1, .002, 0}, {1.04, .03, .04}, {1.08, .03, .04}} << Times{0, .04, .08};
        QTest::newRow("after a pause") << 0.0 << Frames{{1, .002, 0}, {1.04, .002, .04}, {3, .002, .04}} << Times{0, .04, .08};
        QTest::newRow("before it lands") << 0.0 << Frames{{1, .002, 0}, {1.04, .002, -1}} << Times{0, .04};
    }
    void frameClockTellsTheDrawnFrame()
    {
        QFETCH(double, from);
        QFETCH(Frames, frames);
        QFETCH(Times, times);
        FrameClock clock;
        clock.restart(from);
        Times told;
        for (const QList<double> &f : frames)
            told << clock.timeOf(qint64(f[0] * 1e6), qint64((f[0] + f[1]) * 1e6), f[2] < 0 ? std::nullopt : std::optional(f[2]), 0.04);
        QCOMPARE(told, times);
    }
    // Told at once, so that a press never arrives after its own release.
    void reportsMousePresses()
    {
        QSignalSpy mouse(mPlayer.get(), &MediaPlayer::MouseDown);
        mPlayer->widget()->resize(160, 120);
        QTest::mousePress(mPlayer->widget(), Qt::MiddleButton, Qt::ShiftModifier | Qt::AltModifier, QPoint(10, 20));
        QCOMPARE(mouse.value(0), (QList<QVariant>{4, 5, 10, 20}));
    }
};

QTEST_MAIN(TestMpvEngine)
#include "test_mpv_engine.moc"
