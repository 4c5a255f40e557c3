// What the review shows is what the screen showed: a clip whose every frame carries its
// number plays in the main window with the libmpv engine; at each capture the window's
// picture over the player is grabbed, and after the pause every step back must show that
// picture again, pixel for pixel, each an older frame than the one before.
#include "TestClips.h"
#include "WindowFixture.h"

#include "review/ReviewAge.h"
#include "review/ReviewPicture.h"
#include "review/TileGrid.h"

#include <QLabel>

namespace {
// 320 x 240 at 25 frames a second. Bars 0 to 14, 20 pixels wide from the left, hold the
// frame number's bits, least significant first: light for a one, dark for a zero. Bar 15
// is always light, so a picture without it is no frame. The shading inside the bars varies
// with x and y, so a picture moved by a pixel differs from the original.
const QSize kClip(320, 240);

// The frame number a picture of the clip at the given scale shows, read at the middle of
// each bar on three rows that must agree; nullopt for a picture that is no frame.
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

struct Capture {
    qint32 slot;   // the ring slot the capture went to
    QImage screen; // the window's picture over the player at that moment
    QRect visible; // the part of the player inside the window's inner area, in player pixels
};
} // namespace

class TestCaptureFidelity : public QObject {
    Q_OBJECT
    QString mClip;
    frmMain *w = nullptr;
    QList<Capture> mCaptures;
    qint32 mCursor = 0;
    int mMissed = 0;
    // The window's picture over a rectangle of the client area, as the screen shows it.
    QImage screenOver(QRect clientRect) const
    {
        const QImage grabbed = w->grab({w->client->mapTo(w, clientRect.topLeft()), clientRect.size()}).toImage();
        return grabbed.convertToFormat(QImage::Format_RGB32);
    }
    // The part of a client-area rectangle inside the client area, relative to its own corner.
    QRect visiblePart(QRect clientRect) const { return (clientRect & w->client->rect()).translated(-clientRect.topLeft()); }
    // Runs right after each capture, connected after the window's own handler.
    void recordCapture()
    {
        const SnapshotRing &ring = w->ring();
        // The capture wrote the slot above the cursor, wrapping from the top to 1.
        const qint32 written = ring.captureSlot() == ring.count() ? 1 : ring.captureSlot() + 1;
        mMissed += ring.captureSlot() == mCursor || !ring.isWritten(written); // the tick captured nothing
        mCursor = ring.captureSlot();
        const QRect player = w->oMediaPlayer()->widget()->geometry();
        mCaptures.append({written, screenOver(player), visiblePart(player)});
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
        mMissed = 0;
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        if (zoom == 2)
            w->mnuZoom200_Click();
        mCursor = w->mlCaptureSlot();
        auto recording = connect(w->PlayTimer, &IntervalTimer::Timer, this, &TestCaptureFidelity::recordCapture);
        w->OpenMedia(mClip);
        QWidget *video = w->oMediaPlayer()->widget();
        QCOMPARE(video->size(), kClip * zoom);
        QTRY_VERIFY_WITH_TIMEOUT(std::count_if(mCaptures.begin(), mCaptures.end(), [zoom](const Capture &c) {
                                     return frameNumber(c.screen, zoom).has_value();
                                 }) >= 10, 15000);
        w->cmdPlay_Click();
        QTRY_COMPARE(w->oMediaPlayer()->PlayState(), int(MediaPlayer::Paused));
        disconnect(recording);
        QCOMPARE(mMissed, 0);
        // The review picture is 10 rows shorter than the player, and the tiles reach no
        // further than 6 tile widths and heights.
        const QSize tile = TileGrid::tileSize(video->width(), video->height());
        const QImage &buffer = w->oCaptured->buffer();
        QCOMPARE(buffer.size(), video->size() - QSize(0, 10));
        const QRect compared(0, 0, std::min(buffer.width(), 6 * tile.width()), std::min(buffer.height(), 6 * tile.height()));
        std::optional<int> newer;
        bool pastTheFirstFrame = false;
        int framesReviewed = 0;
        for (int k = 1; k <= std::min<int>(mCaptures.size(), w->ring().count()); ++k) {
            const QString at = QStringLiteral("offset %1").arg(k);
            w->MouseDown(1); // one step back, then the repeat delay and the tick that ends it
            w->ReleaseReview();
            for (int tick = 0; tick < 3 && w->reviewTimerEnabled(); ++tick)
                w->ReviewTimer_Timer();
            QVERIFY(!w->reviewTimerEnabled());
            QCOMPARE(w->mlReviewOffset(), k);
            QVERIFY(w->oCaptured->isVisible() && !video->isVisible());
            QCOMPARE(w->lblReviewTime->text(), ReviewAge::text(-k / 10.0));
            const Capture &capture = mCaptures.at(mCaptures.size() - k);
            QCOMPARE(w->ring().slotOfOffset(k), capture.slot);
            // Only what the window showed: the player may reach below its inner area.
            const QRect seen = compared & capture.visible;
            QVERIFY2(seen.height() * 10 >= compared.height() * 9 && seen.width() == compared.width(), qPrintable(at));
            QVERIFY2(buffer.copy(seen) == capture.screen.copy(seen), qPrintable(at));
            // The window shows the review picture as its buffer holds it.
            const QRect shown = buffer.rect() & visiblePart(w->oCaptured->geometry());
            QVERIFY2(screenOver(w->oCaptured->geometry()).copy(shown) == buffer.copy(shown), qPrintable(at));
            // Each step back shows an older frame than the step before, until pictures
            // from before the first frame.
            const std::optional<int> number = frameNumber(buffer, zoom);
            QCOMPARE(number, frameNumber(capture.screen, zoom));
            QVERIFY2(number ? !pastTheFirstFrame && (!newer || *number < *newer) : k > 1, qPrintable(at));
            pastTheFirstFrame = !number;
            framesReviewed += number.has_value();
            newer = number ? number : newer;
        }
        QVERIFY2(framesReviewed >= 8, qPrintable(QString::number(framesReviewed)));
        QCOMPARE(fixture.boxes, QStringList());
        QCOMPARE(w->msErrorMessages(), QString());
        QCOMPARE(fixture.closer.seen().size(), 0);
    }
};

REPLIXA_TEST_MAIN(TestCaptureFidelity)
#include "test_capture_fidelity.moc"
