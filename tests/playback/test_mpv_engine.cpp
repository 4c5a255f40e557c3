// The libmpv media player on clips made with ffmpeg: opening, drawing, stretching,
// pausing, the end of the medium, failed opens and the notifications, which must
// arrive queued and only on real changes.
#include "TestClips.h"
#include "playback/MpvMediaPlayer.h"
#include "playback/VideoWidget.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

// Play states: 0 Stopped, 1 Paused, 2 Playing, 6 Closed. Open states: 0 not open, 5 opening, 6 open.
using Pair = QPair<int, int>;
using Pairs = QList<Pair>;
using Spots = QList<QPair<QPoint, QColor>>;

Pairs pairs(const QSignalSpy &spy)
{
    Pairs out;
    for (const QList<QVariant> &args : spy)
        out.append({args.at(0).toInt(), args.at(1).toInt()});
    return out;
}

// The spots whose colour is not near the wanted one (YUV is approximate); empty when all are.
QString wrongSpots(const QImage &image, const Spots &spots)
{
    QString out;
    for (const auto &[at, want] : spots) {
        const QRgb p = image.rect().contains(at) ? image.pixel(at) : 0;
        if (!p || std::abs(qRed(p) - want.red()) > 48 || std::abs(qGreen(p) - want.green()) > 48
            || std::abs(qBlue(p) - want.blue()) > 48)
            out += QStringLiteral("(%1,%2)=%3 ").arg(at.x()).arg(at.y()).arg(p, 8, 16);
    }
    return out;
}

// Format_RGB32 requires the top byte of every stored pixel to be 0xff.
bool opaque(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((reinterpret_cast<const quint32 *>(image.constScanLine(y))[x] >> 24) != 0xff)
                return false;
    return true;
}

// redblue.mp4: 2 s, left half red, right half blue. tone.mp4: 1.5 s, green, with sound.
// wide.mp4: 1 s of 160x120 pixels twice as wide as high..
QString clip(const QString &name)
{
    const QString h264 = " -pix_fmt yuv420p -c:v libx264", lavfi = "-f lavfi -i ";
    const QHash<QString, QString> arguments{
        {"redblue.mp4", lavfi + "color=c=red:s=160x120:r=25:d=2,drawbox=x=80:y=0:w=80:h=120:color=blue:t=fill" + h264},
        {"tone.mp4", lavfi + "color=c=green:s=160x120:r=25:d=1.5 " + lavfi + "sine=frequency=440:duration=1.5" + h264
                         + " -c:a aac -shortest"},
        {"wide.mp4", lavfi + "color=c=white:s=160x120:r=25:d=1,setsar=2" + h264}};
    return TestClips::make(name, arguments.value(name).split(' '));
}

QString garbageFile()
{
    QFile file(TestClips::folder() + QStringLiteral("/garbage.mp4"));
    if (!file.exists() && file.open(QIODevice::WriteOnly)) {
        QByteArray bytes(64 * 1024, Qt::Uninitialized);
        QRandomGenerator(12345).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        file.write(bytes);
    }
    return file.fileName();
}

} // namespace

class TestMpvEngine : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> mHost;
    std::unique_ptr<MpvMediaPlayer> mPlayer;
    std::unique_ptr<QSignalSpy> mPlay, mOpen; // made afresh for every test
    VideoWidget *video() const { return mPlayer->videoWidget(); }
    Pair state() const { return {mPlayer->PlayState(), mPlayer->OpenState()}; }
    Pairs plays() const { return pairs(*mPlay); }
    Pairs opens() const { return pairs(*mOpen); }

private slots:
    void init()
    {
        mHost = std::make_unique<QWidget>();
        mHost->resize(640, 480);
        mPlayer = std::make_unique<MpvMediaPlayer>(mHost.get());
        mPlay = std::make_unique<QSignalSpy>(mPlayer.get(), &MediaPlayer::PlayStateChange);
        mOpen = std::make_unique<QSignalSpy>(mPlayer.get(), &MediaPlayer::OpenStateChange);
        mHost->show();
        QVERIFY(QTest::qWaitForWindowExposed(mHost.get()));
        QCOMPARE(mPlayer->widget(), static_cast<QWidget *>(video()));
        QCOMPARE(mPlayer->widget()->parentWidget(), mHost.get());
        QCOMPARE(state(), Pair(6, 0));
    }
    void cleanup()
    {
        mPlayer.reset();
        mHost.reset();
    }
    void volumeAndMute()
    {
        QVERIFY(qAbs(MpvMediaPlayer::volumeForGain(MpvMediaPlayer::kGainDb) - 66.07) < 0.01);
        QVERIFY(!mPlayer->Mute());
        mPlayer->SetMute(true);
        QVERIFY(mPlayer->Mute());
        mPlayer->SetMute(false);
        QVERIFY(!mPlayer->Mute());
    }
    void opensAndStartsPlaying_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("duration");
        QTest::newRow("square pixels") << clip("redblue.mp4") << QSize(160, 120) << 2.0;
        QTest::newRow("pixels twice as wide") << clip("wide.mp4") << QSize(320, 120) << 1.0;
    }
    void opensAndStartsPlaying()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        QFETCH(double, duration);
        mPlayer->SetFileName(file);
        QCOMPARE(state(), Pair(2, 6));
        QCOMPARE(mPlayer->FileName(), file);
        QVERIFY(mPlayer->ErrorDescription().isEmpty());
        QCOMPARE(mPlayer->widget()->size(), size);
        QVERIFY2(qAbs(mPlayer->Duration() - duration) < 0.1, qPrintable(QString::number(mPlayer->Duration())));
        QCOMPARE(mPlay->count() + mOpen->count(), 0); // nothing is delivered from inside the call
        QTRY_COMPARE(plays(), (Pairs{{6, 2}}));
        QCOMPARE(opens(), (Pairs{{0, 5}, {5, 6}}));
        QTRY_VERIFY(mPlayer->CurrentPosition() > 0.2);
    }
    // Pause, seek and play notify once each (mpv's own confirmations add nothing); the
    // frame is drawn, and stretched on a resize while paused.
    void drawsPausesStretchesAndPlays()
    {
        mPlayer->SetFileName(clip("redblue.mp4"));
        const Spots natural{{{20, 60}, Qt::red}, {{140, 60}, Qt::blue}};
        QTRY_COMPARE(wrongSpots(video()->frame(), natural), QString());
        QCOMPARE(video()->frame().size(), QSize(160, 120));
        QVERIFY(opaque(video()->frame()));
        QCOMPARE(wrongSpots(video()->grab().toImage(), natural), QString()); // what the widget paints
        QTRY_COMPARE(mPlay->count(), 1);
        mPlayer->Pause();
        QCOMPARE(mPlayer->PlayState(), 1);
        QCOMPARE(mPlay->count(), 1);
        QTRY_COMPARE(plays(), (Pairs{{6, 2}, {2, 1}}));
        // The resize alone (inside the call: the widget is visible) draws the frame again.
        mPlayer->widget()->resize(480, 90);
        QCOMPARE(video()->frame().size(), QSize(480, 90));
        const Spots stretched{{{4, 45}, Qt::red}, {{200, 2}, Qt::red}, {{280, 87}, Qt::blue}, {{475, 45}, Qt::blue}};
        QCOMPARE(wrongSpots(video()->frame(), stretched), QString());
        QVERIFY(opaque(video()->frame()));
        const QImage painted = video()->grab().toImage();
        QCOMPARE(painted.size(), QSize(480, 90));
        QCOMPARE(wrongSpots(painted, stretched), QString());
        mPlayer->SetCurrentPosition(1.0);
        QTRY_VERIFY(qAbs(mPlayer->CurrentPosition() - 1.0) < 0.05);
        QCOMPARE(mPlayer->PlayState(), 1);
        mPlayer->Play();
        QCOMPARE(mPlayer->PlayState(), 2);
        QTRY_VERIFY(mPlayer->CurrentPosition() > 1.3);
        QCOMPARE(plays(), (Pairs{{6, 2}, {2, 1}, {1, 2}}));
    }
    void endOfMediumStopsAndPlayRestarts()
    {
        mPlayer->SetFileName(clip("tone.mp4")); // with no audio device it still plays to its end
        QCOMPARE(mPlayer->PlayState(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(plays(), (Pairs{{6, 2}, {2, 0}}), 10000);
        QCOMPARE(state(), Pair(0, 6));
        QVERIFY(mPlayer->CurrentPosition() > 1.0);
        mPlayer->Play();
        QCOMPARE(mPlayer->PlayState(), 2);
        QTRY_VERIFY(mPlayer->CurrentPosition() < 0.5);
        QTRY_VERIFY(mPlayer->CurrentPosition() > 0.3);
        // It runs to the end again, with no transitions in between.
        QTRY_COMPARE_WITH_TIMEOUT(plays(), (Pairs{{6, 2}, {2, 0}, {0, 2}, {2, 0}}), 10000);
    }
    void replacingTheMediumClosesTheOldOne()
    {
        mPlayer->SetFileName(clip("redblue.mp4"));
        mPlayer->Pause();
        mPlayer->SetFileName(clip("tone.mp4"));
        QCOMPARE(mPlayer->PlayState(), 2);
        QVERIFY(qAbs(mPlayer->Duration() - 1.5) < 0.1);
        QTRY_COMPARE(opens(), (Pairs{{0, 5}, {5, 6}, {6, 0}, {0, 5}, {5, 6}}));
        QTRY_COMPARE(plays(), (Pairs{{6, 2}, {2, 1}, {1, 6}, {6, 2}}));
        // A failed open after a good one leaves nothing open ...
        mPlayer->SetFileName(garbageFile());
        QCOMPARE(mPlayer->PlayState(), 6);
        QVERIFY(!mPlayer->ErrorDescription().isEmpty());
        QTRY_COMPARE(plays(), (Pairs{{6, 2}, {2, 1}, {1, 6}, {6, 2}, {2, 6}}));
        QTRY_COMPARE(mOpen->count(), 8);
        QCOMPARE(opens().mid(5), (Pairs{{6, 0}, {0, 5}, {5, 0}}));
        // ... and a good file opens again afterwards.
        mPlayer->SetFileName(clip("redblue.mp4"));
        QCOMPARE(mPlayer->PlayState(), 2);
        QVERIFY(mPlayer->ErrorDescription().isEmpty());
    }
    void reportsMousePresses()
    {
        QSignalSpy mouse(mPlayer.get(), &MediaPlayer::MouseDown);
        mPlayer->widget()->resize(160, 120);
        QTest::mousePress(mPlayer->widget(), Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(10, 20));
        QCOMPARE(mouse.count(), 0); // queued
        QTest::mousePress(mPlayer->widget(), Qt::LeftButton, Qt::AltModifier, QPoint(100, 7));
        QTest::mousePress(mPlayer->widget(), Qt::MiddleButton, Qt::NoModifier, QPoint(1, 2));
        QTRY_COMPARE(mouse.count(), 3);
        QCOMPARE(mouse.at(0), (QList<QVariant>{2, 3, 10, 20}));
        QCOMPARE(mouse.at(1), (QList<QVariant>{1, 4, 100, 7}));
        QCOMPARE(mouse.at(2), (QList<QVariant>{4, 0, 1, 2}));
    }
};

QTEST_MAIN(TestMpvEngine)
#include "test_mpv_engine.moc"
