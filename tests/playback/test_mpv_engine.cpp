// The libmpv media player on clips made with ffmpeg: drawing, stretching, pausing, the end of
// the medium, a failed open and the notifications, which arrive queued and only on real changes.
#include "TestClips.h"
#include "playback/MpvMediaPlayer.h"
#include "playback/VideoWidget.h"
#include <QSignalSpy>
#include <QtTest>

namespace {
// Play states: 0 Stopped, 1 Paused, 2 Playing, 6 Closed. Open states: 0 not open, 5 opening, 6 open.
using Pair = QPair<int, int>;
using Pairs = QList<Pair>;
using Spots = QList<QPair<QPoint, QColor>>;
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
// redblue.mp4: 2 s, left half red, right half blue. tone.mp4: 1.5 s, green, with sound.
// wide.mp4: 3 s of 160x120 pixels twice as wide as high.
QString clip(const QString &name)
{
    const QString h264 = " -pix_fmt yuv420p -c:v libx264", lavfi = "-f lavfi -i ";
    const QHash<QString, QString> arguments{
        {"redblue.mp4", lavfi + "color=c=red:s=160x120:r=25:d=2,drawbox=x=80:y=0:w=80:h=120:color=blue:t=fill" + h264},
        {"tone.mp4", lavfi + "color=c=green:s=160x120:r=25:d=1.5 " + lavfi + "sine=frequency=440:duration=1.5" + h264
                         + " -c:a aac -shortest"},
        {"wide.mp4", lavfi + "color=c=white:s=160x120:r=25:d=3,setsar=2" + h264}};
    return TestClips::make(name, arguments.value(name).split(' '));
}
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
        QVERIFY(!mPlayer->Mute());
    }
    void cleanup() { mPlayer.reset(), mHost.reset(); }
    // The open notifies only afterwards, queued; pause, seek and play notify once each (mpv's own
    // confirmations add nothing). The frame is drawn, and stretched on a resize while paused.
    void opensDrawsPausesStretchesPlaysAndReplaces()
    {
        mPlayer->SetFileName(clip("redblue.mp4"));
        QCOMPARE(state(), Pair(2, 6));
        QVERIFY(mPlayer->ErrorDescription().isEmpty());
        QCOMPARE(mPlayer->widget()->size(), QSize(160, 120));
        QVERIFY2(qAbs(mPlayer->Duration() - 2.0) < 0.1, qPrintable(QString::number(mPlayer->Duration())));
        QCOMPARE(mPlays.size() + mOpens.size(), 0);
        QTRY_COMPARE(mPlays, (Pairs{{6, 2}}));
        QCOMPARE(mOpens, (Pairs{{0, 5}, {5, 6}}));
        QTRY_COMPARE(wrongSpots(video()->frame(), {{{20, 60}, Qt::red}, {{140, 60}, Qt::blue}}), QString());
        QCOMPARE(video()->frame().size(), QSize(160, 120));
        mPlayer->Pause();
        QCOMPARE(mPlayer->PlayState(), 1);
        QCOMPARE(mPlays.size(), 1);
        QTRY_COMPARE(mPlays, (Pairs{{6, 2}, {2, 1}}));
        mPlayer->widget()->resize(480, 90); // the resize alone (the widget is visible) draws the frame again
        const Spots stretched{{{4, 45}, Qt::red}, {{200, 2}, Qt::red}, {{280, 87}, Qt::blue}, {{475, 45}, Qt::blue}};
        QCOMPARE(video()->frame().size(), QSize(480, 90));
        QCOMPARE(wrongSpots(video()->frame(), stretched), QString());
        QCOMPARE(wrongSpots(video()->grab().toImage(), stretched), QString()); // as the widget paints it
        mPlayer->SetCurrentPosition(1.0);
        QTRY_VERIFY(qAbs(mPlayer->CurrentPosition() - 1.0) < 0.05);
        QCOMPARE(mPlayer->PlayState(), 1);
        mPlayer->Play();
        QCOMPARE(mPlayer->PlayState(), 2);
        QTRY_VERIFY(mPlayer->CurrentPosition() > 1.3);
        mPlayer->Pause();
        QCOMPARE(mPlays, (Pairs{{6, 2}, {2, 1}, {1, 2}}));
        // The paused medium is closed first, and the next takes its own size, of pixels twice as wide.
        mPlayer->SetFileName(clip("wide.mp4"));
        QCOMPARE(mPlayer->PlayState(), 2);
        QCOMPARE(mPlayer->widget()->size(), QSize(320, 120));
        QVERIFY(qAbs(mPlayer->Duration() - 3.0) < 0.1);
        QTRY_COMPARE(mOpens, (Pairs{{0, 5}, {5, 6}, {6, 0}, {0, 5}, {5, 6}}));
        QTRY_COMPARE(mPlays, (Pairs{{6, 2}, {2, 1}, {1, 2}, {2, 1}, {1, 6}, {6, 2}}));
        // A failed open after a good one leaves nothing open.
        QFile text(TestClips::folder() + "/text.mp4");
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("Just some words, not a video.\n") > 0);
        text.close();
        mPlayer->SetFileName(text.fileName());
        QCOMPARE(mPlayer->PlayState(), 6);
        QVERIFY(!mPlayer->ErrorDescription().isEmpty());
        QTRY_COMPARE(mPlays.mid(6), (Pairs{{2, 6}}));
        QTRY_COMPARE(mOpens.mid(5), (Pairs{{6, 0}, {0, 5}, {5, 0}}));
    }
    // With no audio device the sound plays to its end, muted or not, at the output's gain.
    void endOfMediumStopsAndPlayRestarts()
    {
        QVERIFY(qAbs(MpvMediaPlayer::volumeForGain(MpvMediaPlayer::kGainDb) - 66.07) < 0.01);
        mPlayer->SetFileName(clip("tone.mp4"));
        QCOMPARE(mPlayer->PlayState(), 2);
        mPlayer->SetMute(true);
        QVERIFY(mPlayer->Mute());
        QTRY_COMPARE_WITH_TIMEOUT(mPlays, (Pairs{{6, 2}, {2, 0}}), 10000);
        QCOMPARE(state(), Pair(0, 6));
        QVERIFY(mPlayer->CurrentPosition() > 1.0);
        mPlayer->SetMute(false);
        QVERIFY(!mPlayer->Mute());
        mPlayer->Play();
        QCOMPARE(mPlayer->PlayState(), 2);
        QTRY_VERIFY(mPlayer->CurrentPosition() < 0.5);
        QTRY_VERIFY(mPlayer->CurrentPosition() > 0.3);
        QTRY_COMPARE_WITH_TIMEOUT(mPlays, (Pairs{{6, 2}, {2, 0}, {0, 2}, {2, 0}}), 10000);
    }
    // Told at once, so that a press never arrives after its own release.
    void reportsMousePresses()
    {
        QSignalSpy mouse(mPlayer.get(), &MediaPlayer::MouseDown);
        QWidget *widget = mPlayer->widget();
        widget->resize(160, 120);
        QTest::mousePress(widget, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(10, 20));
        QTest::mousePress(widget, Qt::LeftButton, Qt::AltModifier, QPoint(100, 7));
        QTest::mousePress(widget, Qt::MiddleButton, Qt::NoModifier, QPoint(1, 2));
        using Calls = QList<QList<QVariant>>;
        QCOMPARE(Calls(mouse), (Calls{{2, 3, 10, 20}, {1, 4, 100, 7}, {4, 0, 1, 2}}));
    }
};

QTEST_MAIN(TestMpvEngine)
#include "test_mpv_engine.moc"
