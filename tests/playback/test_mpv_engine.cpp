// Checks the libmpv media player against real clips made with ffmpeg: opening,
// drawing, stretching, pausing, the end of the medium, failed opens and the
// notifications, which must arrive queued and only on real changes.
#include "TestClips.h"
#include "playback/MpvMediaPlayer.h"
#include "playback/VideoWidget.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

using Pair = QPair<int, int>;

QList<Pair> pairs(const QSignalSpy &spy)
{
    QList<Pair> out;
    for (const QList<QVariant> &args : spy)
        out.append({args.at(0).toInt(), args.at(1).toInt()});
    return out;
}

// Colours survive the YUV round trip only approximately.
bool near(QRgb pixel, QColor want, int tolerance = 48)
{
    return std::abs(qRed(pixel) - want.red()) <= tolerance && std::abs(qGreen(pixel) - want.green()) <= tolerance &&
           std::abs(qBlue(pixel) - want.blue()) <= tolerance;
}

// Format_RGB32 requires the top byte of every stored pixel to be 0xff.
bool opaque(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] >> 24) != 0xff)
                return false;
    }
    return true;
}

QString describe(QRgb pixel)
{
    return QStringLiteral("(%1,%2,%3)").arg(qRed(pixel)).arg(qGreen(pixel)).arg(qBlue(pixel));
}

// A clip whose left half is red and right half is blue.
QString redBlueClip()
{
    return TestClips::make(QStringLiteral("redblue.mp4"),
                           {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                            QStringLiteral("color=c=red:s=160x120:r=25:d=2,"
                                           "drawbox=x=80:y=0:w=80:h=120:color=blue:t=fill"),
                            QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-c:v"),
                            QStringLiteral("libx264")});
}

// A short green clip with a sound track.
QString toneClip()
{
    return TestClips::make(QStringLiteral("tone.mp4"),
                           {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                            QStringLiteral("color=c=green:s=160x120:r=25:d=1.5"), QStringLiteral("-f"),
                            QStringLiteral("lavfi"), QStringLiteral("-i"),
                            QStringLiteral("sine=frequency=440:duration=1.5"), QStringLiteral("-pix_fmt"),
                            QStringLiteral("yuv420p"), QStringLiteral("-c:v"), QStringLiteral("libx264"),
                            QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-shortest")});
}

// 160x120 stored pixels that are twice as wide as high: shown 320x120.
QString widePixelClip()
{
    return TestClips::make(QStringLiteral("wide.mp4"),
                           {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                            QStringLiteral("color=c=white:s=160x120:r=25:d=1,setsar=2"), QStringLiteral("-pix_fmt"),
                            QStringLiteral("yuv420p"), QStringLiteral("-c:v"), QStringLiteral("libx264")});
}

QString audioOnlyClip()
{
    return TestClips::make(QStringLiteral("tone.wav"), {QStringLiteral("-f"), QStringLiteral("lavfi"),
                                                        QStringLiteral("-i"),
                                                        QStringLiteral("sine=frequency=440:duration=1")});
}

QString garbageFile()
{
    const QString path = TestClips::folder() + QStringLiteral("/garbage.mp4");
    if (!QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        QByteArray bytes(64 * 1024, Qt::Uninitialized);
        QRandomGenerator generator(12345);
        generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        file.write(bytes);
    }
    return path;
}

} // namespace

class TestMpvEngine : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> mHost;
    std::unique_ptr<MpvMediaPlayer> mPlayer;

    VideoWidget *video() const { return mPlayer->videoWidget(); }

    bool frameHas(QPoint at, QColor want) const
    {
        const QImage &frame = video()->frame();
        return frame.rect().contains(at) && near(frame.pixel(at), want);
    }

private slots:
    void init()
    {
        mHost = std::make_unique<QWidget>();
        mHost->resize(640, 480);
        mPlayer = std::make_unique<MpvMediaPlayer>(mHost.get());
        mHost->show();
        QVERIFY(QTest::qWaitForWindowExposed(mHost.get()));
    }

    void cleanup()
    {
        mPlayer.reset();
        mHost.reset();
    }

    void widgetBelongsToTheGivenParent()
    {
        QVERIFY(mPlayer->widget());
        QCOMPARE(mPlayer->widget(), static_cast<QWidget *>(video()));
        QCOMPARE(mPlayer->widget()->parentWidget(), mHost.get());
        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Closed));
        QCOMPARE(mPlayer->OpenState(), int(MediaPlayer::NotOpen));
        QVERIFY(qAbs(MpvMediaPlayer::volumeForGain(MpvMediaPlayer::kGainDb) - 66.07) < 0.01);
    }

    void opensAndStartsPlaying()
    {
        const QString clip = redBlueClip();
        QVERIFY(!clip.isEmpty());
        QSignalSpy play(mPlayer.get(), &MediaPlayer::PlayStateChange);
        QSignalSpy open(mPlayer.get(), &MediaPlayer::OpenStateChange);

        mPlayer->SetFileName(clip);

        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Playing));
        QCOMPARE(mPlayer->OpenState(), int(MediaPlayer::Open));
        QCOMPARE(mPlayer->FileName(), clip);
        QVERIFY(mPlayer->ErrorDescription().isEmpty());
        QCOMPARE(mPlayer->widget()->size(), QSize(160, 120));
        QVERIFY2(qAbs(mPlayer->Duration() - 2.0) < 0.1, qPrintable(QString::number(mPlayer->Duration())));
        // Nothing is delivered from inside the call.
        QCOMPARE(play.count(), 0);
        QCOMPARE(open.count(), 0);

        QTRY_COMPARE(pairs(play), (QList<Pair>{{6, 2}}));
        QCOMPARE(pairs(open), (QList<Pair>{{0, 5}, {5, 6}}));
        // The video runs: the position moves on.
        QTRY_VERIFY(mPlayer->CurrentPosition() > 0.2);
    }

    void naturalSizeUsesDisplayAspect()
    {
        const QString clip = widePixelClip();
        QVERIFY(!clip.isEmpty());
        mPlayer->SetFileName(clip);
        QCOMPARE(mPlayer->OpenState(), int(MediaPlayer::Open));
        QCOMPARE(mPlayer->widget()->size(), QSize(320, 120));
    }

    void drawsAndStretchesTheFrame()
    {
        const QString clip = redBlueClip();
        QVERIFY(!clip.isEmpty());
        mPlayer->SetFileName(clip);
        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Playing));

        QTRY_VERIFY2(frameHas({20, 60}, Qt::red) && frameHas({140, 60}, Qt::blue),
                     qPrintable(describe(video()->frame().pixel(20, 60)) + describe(video()->frame().pixel(140, 60))));
        QCOMPARE(video()->frame().size(), QSize(160, 120));
        QVERIFY(opaque(video()->frame()));
        // What the widget paints is that frame, opaque.
        const QImage painted = video()->grab().toImage();
        QVERIFY(near(painted.pixel(20, 60), Qt::red));
        QVERIFY(near(painted.pixel(140, 60), Qt::blue));

        // The resize alone must draw the current frame again, stretched over the
        // whole widget in a shape of another aspect.
        mPlayer->Pause();
        QTRY_COMPARE(mPlayer->PlayState(), int(MediaPlayer::Paused));
        // The widget is visible, so the resize is handled inside the call.
        mPlayer->widget()->resize(480, 90);
        QCOMPARE(video()->frame().size(), QSize(480, 90));
        QVERIFY2(frameHas({4, 45}, Qt::red) && frameHas({200, 2}, Qt::red) && frameHas({280, 87}, Qt::blue) &&
                         frameHas({475, 45}, Qt::blue),
                     qPrintable(describe(video()->frame().pixel(4, 45)) + describe(video()->frame().pixel(475, 45))));
        QVERIFY(opaque(video()->frame()));
        const QImage stretched = video()->grab().toImage();
        QCOMPARE(stretched.size(), QSize(480, 90));
        QVERIFY(near(stretched.pixel(4, 45), Qt::red));
        QVERIFY(near(stretched.pixel(475, 45), Qt::blue));
    }

    void pausesSeeksAndPlays()
    {
        const QString clip = redBlueClip();
        QVERIFY(!clip.isEmpty());
        QSignalSpy play(mPlayer.get(), &MediaPlayer::PlayStateChange);
        mPlayer->SetFileName(clip);
        QTRY_COMPARE(play.count(), 1);

        mPlayer->Pause();
        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Paused));
        QCOMPARE(play.count(), 1);
        QTRY_COMPARE(pairs(play), (QList<Pair>{{6, 2}, {2, 1}}));

        mPlayer->SetCurrentPosition(1.0);
        QTRY_VERIFY(qAbs(mPlayer->CurrentPosition() - 1.0) < 0.05);
        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Paused));

        mPlayer->Play();
        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Playing));
        QCOMPARE(play.count(), 2);
        QTRY_VERIFY(mPlayer->CurrentPosition() > 1.3);
        // mpv's own confirmations of pause and play add nothing.
        QCOMPARE(pairs(play), (QList<Pair>{{6, 2}, {2, 1}, {1, 2}}));
    }

    void mutes()
    {
        QVERIFY(!mPlayer->Mute());
        mPlayer->SetMute(true);
        QVERIFY(mPlayer->Mute());
        mPlayer->SetMute(false);
        QVERIFY(!mPlayer->Mute());
    }

    void endOfMediumStopsAndPlayRestarts()
    {
        // The clip has sound; with no audio device it still plays to its end.
        const QString clip = toneClip();
        QVERIFY(!clip.isEmpty());
        QSignalSpy play(mPlayer.get(), &MediaPlayer::PlayStateChange);
        mPlayer->SetFileName(clip);
        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Playing));

        QTRY_COMPARE_WITH_TIMEOUT(pairs(play), (QList<Pair>{{6, 2}, {2, 0}}), 10000);
        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Stopped));
        QCOMPARE(mPlayer->OpenState(), int(MediaPlayer::Open));
        QVERIFY(mPlayer->CurrentPosition() > 1.0);

        mPlayer->Play();
        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Playing));
        QTRY_VERIFY(mPlayer->CurrentPosition() < 0.5);
        QTRY_VERIFY(mPlayer->CurrentPosition() > 0.3);
        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Playing));
        // It runs to the end again, with no transitions in between.
        QTRY_COMPARE_WITH_TIMEOUT(pairs(play), (QList<Pair>{{6, 2}, {2, 0}, {0, 2}, {2, 0}}), 10000);
    }

    void failedOpens_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("error");
        QTest::newRow("garbage") << garbageFile() << QString();
        QTest::newRow("missing") << TestClips::folder() + QStringLiteral("/missing.mp4") << QString();
        QTest::newRow("audio only") << audioOnlyClip() << QStringLiteral("The file has no video stream.");
    }

    void failedOpens()
    {
        QFETCH(QString, file);
        QFETCH(QString, error);
        QVERIFY(!file.isEmpty());
        QSignalSpy play(mPlayer.get(), &MediaPlayer::PlayStateChange);
        QSignalSpy open(mPlayer.get(), &MediaPlayer::OpenStateChange);

        mPlayer->SetFileName(file);

        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Closed));
        QCOMPARE(mPlayer->OpenState(), int(MediaPlayer::NotOpen));
        QCOMPARE(mPlayer->FileName(), file);
        QVERIFY(!mPlayer->ErrorDescription().isEmpty());
        if (!error.isEmpty())
            QCOMPARE(mPlayer->ErrorDescription(), error);
        QTRY_COMPARE(pairs(open), (QList<Pair>{{0, 5}, {5, 0}}));
        QCOMPARE(play.count(), 0);
        // Calls on a closed component do nothing.
        mPlayer->Play();
        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Closed));
    }

    void replacingTheMediumClosesTheOldOne()
    {
        const QString first = redBlueClip();
        const QString second = toneClip();
        QVERIFY(!first.isEmpty() && !second.isEmpty());
        QSignalSpy play(mPlayer.get(), &MediaPlayer::PlayStateChange);
        QSignalSpy open(mPlayer.get(), &MediaPlayer::OpenStateChange);

        mPlayer->SetFileName(first);
        mPlayer->Pause();
        mPlayer->SetFileName(second);
        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Playing));
        QVERIFY(qAbs(mPlayer->Duration() - 1.5) < 0.1);
        QTRY_COMPARE(pairs(open), (QList<Pair>{{0, 5}, {5, 6}, {6, 0}, {0, 5}, {5, 6}}));
        QTRY_COMPARE(pairs(play), (QList<Pair>{{6, 2}, {2, 1}, {1, 6}, {6, 2}}));

        // A failed open after a good one leaves nothing open.
        mPlayer->SetFileName(garbageFile());
        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Closed));
        QVERIFY(!mPlayer->ErrorDescription().isEmpty());
        QTRY_COMPARE(pairs(play), (QList<Pair>{{6, 2}, {2, 1}, {1, 6}, {6, 2}, {2, 6}}));
        QTRY_COMPARE(open.count(), 8);
        QCOMPARE(pairs(open).mid(5), (QList<Pair>{{6, 0}, {0, 5}, {5, 0}}));

        // And a good file opens again afterwards.
        mPlayer->SetFileName(first);
        QCOMPARE(mPlayer->PlayState(), int(MediaPlayer::Playing));
        QVERIFY(mPlayer->ErrorDescription().isEmpty());
    }

    void reportsMousePresses()
    {
        QSignalSpy mouse(mPlayer.get(), &MediaPlayer::MouseDown);
        mPlayer->widget()->resize(160, 120);
        QTest::mousePress(mPlayer->widget(), Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(10, 20));
        QCOMPARE(mouse.count(), 0);
        QTRY_COMPARE(mouse.count(), 1);
        QCOMPARE(mouse.at(0), (QList<QVariant>{2, 3, 10, 20}));

        QTest::mousePress(mPlayer->widget(), Qt::LeftButton, Qt::AltModifier, QPoint(100, 7));
        QTest::mousePress(mPlayer->widget(), Qt::MiddleButton, Qt::NoModifier, QPoint(1, 2));
        QTRY_COMPARE(mouse.count(), 3);
        QCOMPARE(mouse.at(1), (QList<QVariant>{1, 4, 100, 7}));
        QCOMPARE(mouse.at(2), (QList<QVariant>{4, 0, 1, 2}));
    }
};

QTEST_MAIN(TestMpvEngine)
#include "test_mpv_engine.moc"
