// What the review shows is what the screen showed: a clip whose every frame carries its
// number plays in the main window with the libmpv engine; at each capture the window's
// picture over the player is grabbed, and after the pause every step back must show that
// picture again, pixel for pixel, each an older frame than the one before.
#include "ModalCloser.h"
#include "TestClips.h"
#include "WindowFixture.h"

#include "app/ReplixaApplication.h"
#include "review/ReviewAge.h"
#include "review/ReviewPicture.h"
#include "review/TileGrid.h"
#include "settings/SettingsStore.h"

#include <QLabel>
#include <QTest>

#include <optional>

namespace {

// 320 x 240 at 25 frames a second. Bars 0 to 14, 20 pixels wide from the left, hold the
// frame number's bits, least significant first: light for a one, dark for a zero. Bar 15
// is always light, so a picture without it is no frame. The shading inside the bars varies
// with x and y, so a picture moved by a pixel differs from the original.
constexpr int kBars = 16, kBarWidth = 20;
const QSize kClip(320, 240);

// The frame number a picture of the clip at the given scale shows, read at the middle of
// each bar on three rows that must agree; nullopt for a picture that is no frame.
std::optional<int> frameNumber(const QImage &picture, int scale)
{
    int number = 0;
    for (int bar = 0; bar < kBars; ++bar) {
        const int x = (bar * kBarWidth + kBarWidth / 2) * scale;
        int ones = 0;
        for (int y : {20, 120, 200}) {
            if (x >= picture.width() || y * scale >= picture.height())
                return std::nullopt;
            ones += qGray(picture.pixel(x, y * scale)) > 128 ? 1 : 0;
        }
        if ((ones != 0 && ones != 3) || (bar == kBars - 1 && ones == 0))
            return std::nullopt;
        if (ones && bar < kBars - 1)
            number |= 1 << bar;
    }
    return number;
}

// Empty when the images agree inside the area, else where they first differ.
QString difference(const QImage &a, const QImage &b, QRect area, int offset)
{
    if (a.copy(area) == b.copy(area))
        return {};
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("offset %1, (%2, %3): %4 against %5")
                    .arg(offset).arg(x).arg(y).arg(a.pixel(x, y), 8, 16).arg(b.pixel(x, y), 8, 16);
    return QStringLiteral("offset %1: sizes differ").arg(offset);
}

struct Capture {
    qint32 slot;   // the ring slot the capture went to
    QImage screen; // the window's picture over the player at that moment
    QRect visible; // the part of the player inside the window's inner area, in player pixels
};

} // namespace

class TestCaptureFidelity : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        mClip = TestClips::make(
            "frame numbers.mp4",
            {"-f", "lavfi", "-i", "color=s=320x240:r=25:d=8", "-vf",
             "geq=lum='if(gte(X,300),255,if(bitand(floor(N/pow(2,floor(X/20))),1),"
             "170+mod(X*7+Y*3,80),10+mod(X*5+Y*11,80)))':cb=128:cr=128",
             "-pix_fmt", "yuv420p", "-c:v", "libx264", "-qp", "0"});
        QVERIFY(!mClip.isEmpty());
    }
    void reviewShowsWhatTheScreenShowed_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<bool>("held"); // stepping by a held left button, else ShowImage(k)
        QTest::newRow("100 %, held left button") << 1 << true;
        QTest::newRow("100 %, offsets shown directly") << 1 << false;
        QTest::newRow("200 %, held left button") << 2 << true;
    }
    void reviewShowsWhatTheScreenShowed()
    {
        QFETCH(int, zoom);
        QFETCH(bool, held);
        WindowFixture fixture;
        SetConfigValue(QStringLiteral("FrameTime"), QStringLiteral("2")); // 0.1 s
        ModalCloser closer;
        frmMain &window = fixture.startWithMpv();
        mWindow = &window;
        mCaptures.clear();
        mMissed = 0;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.PlayTimer->interval(), 100);
        if (zoom == 2)
            window.mnuZoom200_Click();
        // Connected after the window's own handler: runs right after each capture.
        mCursor = window.mlCaptureSlot();
        auto recording = connect(window.PlayTimer, &IntervalTimer::Timer, this, &TestCaptureFidelity::recordCapture);

        window.OpenMedia(mClip);
        QCOMPARE(window.oMediaPlayer()->PlayState(), int(MediaPlayer::Playing));
        QWidget *video = window.oMediaPlayer()->widget();
        QCOMPARE(video->size(), kClip * zoom);
        QCOMPARE(window.mnuZoom100->isChecked(), zoom == 1);
        QCOMPARE(window.mnuZoom200->isChecked(), zoom == 2);
        QTRY_VERIFY_WITH_TIMEOUT(framesCaptured(zoom) >= 10, 15000);
        window.cmdPlay_Click();
        QVERIFY(!window.PlayTimer->isEnabled());
        QTRY_COMPARE(window.oMediaPlayer()->PlayState(), int(MediaPlayer::Paused));
        disconnect(recording);
        QCOMPARE(mMissed, 0);

        // The review picture is 10 rows shorter than the player, and the tiles reach no
        // further than 6 tile widths and heights.
        const QSize tile = TileGrid::tileSize(video->width(), video->height());
        const QImage &buffer = window.oCaptured->buffer();
        QCOMPARE(buffer.size(), QSize(video->width(), video->height() - 10));
        const QRect compared(0, 0, std::min(buffer.width(), TileGrid::kColumns * tile.width()),
                             std::min(buffer.height(), TileGrid::kRows * tile.height()));

        std::optional<int> newer;
        bool pastTheFirstFrame = false;
        int framesReviewed = 0;
        for (int k = 1; k <= std::min<int>(mCaptures.size(), window.ring().count()); ++k) {
            if (held) {
                window.MouseDown(1);
                window.ReleaseReview();
                QVERIFY(window.reviewTimerEnabled());
                // The held step's repeat delay and the tick that ends it.
                for (int tick = 0; tick < 3 && window.reviewTimerEnabled(); ++tick)
                    window.ReviewTimer_Timer();
                QVERIFY(!window.reviewTimerEnabled());
            } else {
                window.ShowImage(k);
            }
            QCOMPARE(window.mlReviewOffset(), k);
            QVERIFY(window.oCaptured->isVisible() && !video->isVisible());
            QCOMPARE(window.lblReviewTime->text(), ReviewAge::text(-k / 10.0));

            const Capture &capture = mCaptures.at(mCaptures.size() - k);
            QCOMPARE(window.ring().slotOfOffset(k), capture.slot);
            // Only what the window showed: the player may reach below its inner area.
            const QRect seen = compared & capture.visible;
            QVERIFY2(seen.height() * 10 >= compared.height() * 9 && seen.width() == compared.width(),
                     qPrintable(QStringLiteral("offset %1: only %2 x %3 on screen").arg(k).arg(seen.width()).arg(seen.height())));
            QCOMPARE(difference(buffer, capture.screen, seen, k), QString());
            // The window shows the review picture as its buffer holds it.
            const QRect picture = window.oCaptured->geometry();
            QCOMPARE(difference(screenOver(picture), buffer, buffer.rect() & visiblePart(picture), k), QString());

            // Each step back shows an older frame than the step before, until pictures
            // from before the first frame.
            const std::optional<int> number = frameNumber(buffer, zoom);
            QCOMPARE(number, frameNumber(capture.screen, zoom));
            if (number) {
                QVERIFY2(!pastTheFirstFrame && (!newer || *number < *newer),
                         qPrintable(QStringLiteral("offset %1 shows frame %2 after %3").arg(k).arg(*number).arg(newer.value_or(-1))));
                newer = number;
                ++framesReviewed;
            } else {
                QVERIFY2(k > 1, "the newest snapshot shows no frame of the clip");
                pastTheFirstFrame = true;
            }
        }
        QVERIFY2(framesReviewed >= 8, qPrintable(QString::number(framesReviewed)));
        QCOMPARE(fixture.boxes, QStringList());
        QCOMPARE(window.msErrorMessages(), QString());
        QCOMPARE(closer.seen().size(), 0);
    }

private:
    // The window's picture over a rectangle of the client area, as the screen shows it.
    QImage screenOver(QRect clientRect) const
    {
        const QRect inWindow(mWindow->client->mapTo(mWindow, clientRect.topLeft()), clientRect.size());
        return mWindow->grab(inWindow).toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The part of a client-area rectangle inside the client area, relative to its own corner.
    QRect visiblePart(QRect clientRect) const
    {
        return (clientRect & mWindow->client->rect()).translated(-clientRect.topLeft());
    }
    void recordCapture()
    {
        const SnapshotRing &ring = mWindow->ring();
        if (ring.count() < 1)
            return;
        // The capture wrote the slot above the cursor, wrapping from the top to 1.
        const qint32 written = ring.captureSlot() == ring.count() ? 1 : ring.captureSlot() + 1;
        if (ring.captureSlot() == mCursor || !ring.isWritten(written))
            ++mMissed; // the tick captured nothing
        mCursor = ring.captureSlot();
        const QRect player = mWindow->oMediaPlayer()->widget()->geometry();
        mCaptures.append({written, screenOver(player), visiblePart(player)});
    }
    int framesCaptured(int zoom) const
    {
        return std::count_if(mCaptures.begin(), mCaptures.end(),
                             [zoom](const Capture &c) { return frameNumber(c.screen, zoom).has_value(); });
    }

    QString mClip;
    frmMain *mWindow = nullptr;
    QList<Capture> mCaptures;
    qint32 mCursor = 0;
    int mMissed = 0;
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestCaptureFidelity test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_capture_fidelity.moc"
