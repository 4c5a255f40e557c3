// What the review shows is what the screen showed: a clip whose frames carry their numbers plays in
// the main window with the libmpv engine; the window's picture over the player is grabbed at each
// capture, and after the pause each step back shows it again, pixel for pixel, and an older frame.
#include "TestClips.h"
#include "WindowFixture.h"
#include "review/ReviewAge.h"
#include "review/ReviewPicture.h"
#include "review/TileGrid.h"
#include <QLabel>

namespace {
// The clip: 320 x 240 at 25 frames a second. Bars 0 to 14, 20 pixels wide, hold the frame number's
// bits, least significant first: light for a one, dark for a zero; bar 15 is always light. The
// shading inside the bars varies with x and y, so a picture moved by a pixel differs. A picture of
// it at a scale is read in the middle of each bar on three rows that must agree; nullopt: no frame.
std::optional<int> frameNumber(const QImage &picture, int scale)
{
    int number = 0;
    for (int bar = 0; bar < 16; ++bar) {
        const int x = (bar * 20 + 10) * scale;
        int ones = 0;
        for (int y : {20 * scale, 120 * scale, 200 * scale}) {
            if (x >= picture.width() || y >= picture.height())
                return std::nullopt;
            ones += qGray(picture.pixel(x, y)) > 128;
        }
        if ((ones != 0 && ones != 3) || (bar == 15 && ones == 0))
            return std::nullopt;
        number |= (ones && bar < 15) << bar;
    }
    return number;
}
// The slot a capture went to, the window's picture over the player then, and the part of the player
// inside the window's inner area, in player pixels.
struct Capture { qint32 slot; QImage screen; QRect visible; };
} // namespace

class TestCaptureFidelity : public QObject {
    Q_OBJECT
    QString mClip;
    frmMain *w = nullptr;
    QList<Capture> mCaptures;
    // The window's picture over a rectangle of the client area, and the part of that rectangle
    // inside the client area, relative to its own corner.
    QImage screenOver(QRect r) const
    {
        return w->grab({w->client->mapTo(w, r.topLeft()), r.size()}).toImage().convertToFormat(QImage::Format_RGB32);
    }
    QRect visiblePart(QRect r) const { return (r & w->client->rect()).translated(-r.topLeft()); }
    // Runs right after each capture, which wrote the slot above the cursor (from the top to 1); a
    // tick that captured nothing would leave two records of one slot, which the review finds.
    void recordCapture()
    {
        const SnapshotRing &ring = w->ring();
        const QRect player = w->oMediaPlayer()->widget()->geometry();
        mCaptures.append({ring.captureSlot() % ring.count() + 1, screenOver(player), visiblePart(player)});
    }
private slots:
    void initTestCase()
    {
        mClip = TestClips::make("frame numbers.mp4",
                                {"-f", "lavfi", "-i", "color=s=320x240:r=25:d=8", "-vf",
                                 "geq=lum='if(gte(X,300),255,if(bitand(floor(N/pow(2,floor(X/20))),1),"
                                 "170+mod(X*7+Y*3,80),10+mod(X*5+Y*11,80)))':cb=128:cr=128",
                                 "-pix_fmt", "yuv420p", "-c:v", "libx264", "-qp", "0"});
        QVERIFY(!mClip.isEmpty());
    }
    void reviewShowsWhatTheScreenShowed_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::newRow("100 %") << 1;
        QTest::newRow("200 %") << 2;
    }
    void reviewShowsWhatTheScreenShowed()
    {
        QFETCH(int, zoom);
        WindowFixture fixture;
        SetConfigValue(QStringLiteral("FrameTime"), QStringLiteral("2")); // 0.1 s
        w = &fixture.startWithMpv();
        mCaptures.clear();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        (w->*(zoom == 2 ? &frmMain::mnuZoom200_Click : &frmMain::mnuZoom100_Click))();
        auto recording = connect(w->PlayTimer, &IntervalTimer::Timer, this, &TestCaptureFidelity::recordCapture);
        w->OpenMedia(mClip);
        QWidget *video = w->oMediaPlayer()->widget();
        QCOMPARE(video->size(), QSize(320, 240) * zoom);
        QTRY_VERIFY_WITH_TIMEOUT(std::count_if(mCaptures.begin(), mCaptures.end(), [zoom](const Capture &c) {
                                     return frameNumber(c.screen, zoom).has_value();
                                 }) >= 10, 15000);
        w->cmdPlay_Click();
        QTRY_COMPARE(w->oMediaPlayer()->PlayState(), int(MediaPlayer::Paused));
        disconnect(recording);
        // The review picture is 10 rows shorter than the player; the tiles reach 6 tiles far.
        const QImage &buffer = w->oCaptured->buffer();
        QCOMPARE(buffer.size(), video->size() - QSize(0, 10));
        const QRect compared = buffer.rect() & QRect({0, 0}, TileGrid::tileSize(video->width(), video->height()) * 6);
        std::optional<int> newer;
        bool pastTheFirstFrame = false;
        int framesReviewed = 0;
        for (int k = 1; k <= std::min<int>(mCaptures.size(), w->ring().count()); ++k) {
            const QString at = QStringLiteral("offset %1").arg(k);
            w->MouseDown(1); // one step back, then the repeat delay and the tick that ends it
            w->ReleaseReview();
            for (int tick = 0; tick < 3 && w->reviewTimerEnabled(); ++tick)
                w->ReviewTimer_Timer();
            QCOMPARE(w->mlReviewOffset(), k);
            QCOMPARE(w->frCommand->lblReviewTime->text(), ReviewAge::text(-k / 10.0));
            const Capture &capture = mCaptures.at(mCaptures.size() - k);
            QCOMPARE(w->ring().slotOfOffset(k), capture.slot);
            // Only what the window showed: the player may reach below its inner area.
            const QRect seen = compared & capture.visible;
            QVERIFY2(seen.height() * 10 >= compared.height() * 9 && seen.width() == compared.width(), qPrintable(at));
            QVERIFY2(buffer.copy(seen) == capture.screen.copy(seen), qPrintable(at));
            // The window shows the review picture as its buffer holds it.
            const QRect shown = buffer.rect() & visiblePart(w->oCaptured->geometry());
            QVERIFY2(screenOver(w->oCaptured->geometry()).copy(shown) == buffer.copy(shown), qPrintable(at));
            // Each step back shows an older frame, until pictures from before the first frame.
            const std::optional<int> number = frameNumber(buffer, zoom);
            QCOMPARE(number, frameNumber(capture.screen, zoom));
            QVERIFY2(number ? !pastTheFirstFrame && (!newer || *number < *newer) : k > 1, qPrintable(at));
            pastTheFirstFrame = !number;
            framesReviewed += number.has_value();
            newer = number ? number : newer;
        }
        QVERIFY2(framesReviewed >= 8, qPrintable(QString::number(framesReviewed)));
        QCOMPARE(fixture.boxes.join("") + w->msErrorMessages(), QString()); // no message, no report
    }
};

REPLIXA_TEST_MAIN(TestCaptureFidelity)
#include "test_capture_fidelity.moc"
