// What the review shows is what the screen showed: a clip whose frames all differ plays in the
// main window with the libmpv engine; the window's picture over the player is grabbed at each
// capture, and after the pause each step back shows it again, pixel for pixel.
#include "TestClips.h"
#include "WindowFixture.h"
#include "review/ReviewPicture.h"
#include <QSignalSpy>

namespace {
// The window's picture over the player at a capture, and the part of the player inside the window's
// inner area, in player pixels.
struct Capture { QImage screen; QRect visible; };
// How many different pictures the captures hold: all from before the clip's first frame are black.
qsizetype differentPictures(const QList<Capture> &captures)
{
    QSet<size_t> pictures;
    for (const Capture &capture : captures)
        pictures.insert(qHashBits(capture.screen.constBits(), capture.screen.sizeInBytes()));
    return pictures.size();
}
} // namespace

class TestCaptureFidelity : public QObject {
    Q_OBJECT
    QString mClip;
    frmMain *w = nullptr;
    QList<Capture> mCaptures;
    // Runs right after each capture; a tick that captured nothing would shift the records against
    // the ring's offsets, which the review finds.
    void recordCapture()
    {
        const QRect player = w->oMediaPlayer()->widget()->geometry();
        const QImage screen = w->grab({w->centralWidget()->mapTo(w, player.topLeft()), player.size()}).toImage();
        const QRect visible = (player & w->centralWidget()->rect()).translated(-player.topLeft());
        mCaptures.append({screen.convertToFormat(QImage::Format_RGB32), visible});
    }
private slots:
    void initTestCase()
    {
        // 320 x 240 at 25 frames a second: bars 20 pixels wide show the frame number's bits, and the
        // shading inside them varies with x and y, so that a picture moved by a pixel differs.
        mClip = TestClips::h264("frame numbers.mp4", "color=s=320x240:r=25:d=8",
                                {"-vf",
                                 "geq=lum='if(gte(X,300),255,if(bitand(floor(N/pow(2,floor(X/20))),1),"
                                 "170+mod(X*7+Y*3,80),10+mod(X*5+Y*11,80)))':cb=128:cr=128",
                                 "-qp", "0"});
    }
    void reviewShowsWhatTheScreenShowed_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QSize>("grid"); // what the six by six tiles cover
        QTest::newRow("100 %") << 1 << QSize(318, 240);
        QTest::newRow("200 %") << 2 << QSize(642, 480);
    }
    void reviewShowsWhatTheScreenShowed()
    {
        QFETCH(int, zoom);
        QFETCH(QSize, grid);
        WindowFixture fixture;
        SetConfigValue(QStringLiteral("FrameTime"), QStringLiteral("2")); // 0.1 s
        w = &fixture.startWithMpv();
        mCaptures.clear();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        trigger(w, zoom == 2 ? "mnuZoom200" : "mnuZoom100");
        auto recording = connect(child(w, "PlayTimer"), &IntervalTimer::Timer, this, &TestCaptureFidelity::recordCapture);
        w->OpenMedia(mClip);
        QWidget *video = w->oMediaPlayer()->widget();
        QCOMPARE(video->size(), QSize(320, 240) * zoom);
        QTRY_VERIFY_WITH_TIMEOUT(differentPictures(mCaptures) >= 10, 15000);
        trigger(w, "mnuViewPlay");
        QTRY_COMPARE(w->oMediaPlayer()->PlayState(), int(MediaPlayer::Paused));
        disconnect(recording);
        // The review picture is 10 rows shorter than the player; the tiles reach 6 tiles far.
        const QImage &buffer = child<ReviewPicture>(w, "oCaptured")->buffer();
        QCOMPARE(buffer.size(), video->size() - QSize(0, 10));
        const QRect compared = buffer.rect() & QRect({0, 0}, grid);
        const int reviewed = std::min<int>(mCaptures.size(), w->ring().count());
        for (int k = 1; k <= reviewed; ++k) {
            const QString at = QStringLiteral("offset %1").arg(k);
            w->MouseDown(1); // one step back, then the repeat delay and the tick that ends it
            w->ReleaseReview();
            for (int tick = 0; tick < 3 && w->reviewTimerEnabled(); ++tick)
                emit child(w, "ReviewTimer")->Timer();
            QCOMPARE(w->mlReviewOffset(), k);
            const Capture &capture = mCaptures.at(mCaptures.size() - k);
            // Only what the window showed: the player may reach below its inner area.
            const QRect seen = compared & capture.visible;
            QVERIFY2(seen.height() * 10 >= compared.height() * 9 && seen.width() == compared.width(), qPrintable(at));
            QVERIFY2(buffer.copy(seen) == capture.screen.copy(seen), qPrintable(at));
        }
        QVERIFY(differentPictures(mCaptures.mid(mCaptures.size() - reviewed)) >= 8); // not only black ones
        QCOMPARE(fixture.boxes.join("") + w->msErrorMessages(), QString()); // no message, no report
    }
    // With every frame on, a clip of 60 frames a second paused while it plays: each of 40 steps back
    // shows the frame before, the first the one before the frame the video stands on.
    void everyFrameStepsOneFrameBack()
    {
        const QString clip = TestClips::h264("frame numbers 60.mp4", "color=s=320x240:r=60:d=4",
                                             {"-vf", "geq=lum='if(bitand(floor(N/pow(2,floor(X/20))),1),220,30)':cb=128:cr=128"});
        // The bits of the frame number, 20 pixels each, lowest first.
        const auto number = [](const QImage &image) {
            int n = 0;
            for (int bit = 0; bit < 8; ++bit)
                n |= (qGray(image.pixel(20 * bit + 10, 100)) > 128) << bit;
            return n;
        };
        WindowFixture fixture;
        SetConfigValue(QStringLiteral("FrameTime"), QStringLiteral("5"));
        SetConfigValue(QStringLiteral("CaptureCount"), QStringLiteral("60"));
        w = &fixture.startWithMpv();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->OpenMedia(clip);
        QSignalSpy frames(w->oMediaPlayer(), &MediaPlayer::FrameShown);
        // Paused halfway, while frames may still come late.
        QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= 90, 30000);
        w->PauseMedia();
        QTRY_COMPARE(w->oMediaPlayer()->PlayState(), int(MediaPlayer::Paused));
        // The frames mpv had queued are still drawn; then the picture stands at the position.
        QTRY_VERIFY(qAbs(frames.last().at(0).toDouble() - w->oMediaPlayer()->CurrentPosition()) < 0.001);
        const int shown = number(w->oMediaPlayer()->frame());
        const QImage &buffer = child<ReviewPicture>(w, "oCaptured")->buffer();
        QList<int> steps;
        for (int k = 1; k <= 40; ++k) {
            w->MouseDown(1);
            w->ReleaseReview();
            QTRY_VERIFY(!w->reviewTimerEnabled());
            steps << shown - k - number(buffer);
        }
        QCOMPARE(steps, QList<int>(40, 0));
        QCOMPARE(fixture.boxes.join("") + w->msErrorMessages(), QString());
    }
};

REPLIXA_TEST_MAIN(TestCaptureFidelity)
#include "test_capture_fidelity.moc"
