// What the review shows is what the screen showed: a clip whose every frame carries
// its own number plays in the main window with the libmpv engine; at each capture the
// window's picture over the player is grabbed, and after the pause every step back
// must show that picture again, pixel for pixel, each older than the one before.

#include "ModalCloser.h"
#include "TestClips.h"

#include "app/ReplixaApplication.h"
#include "app/frmMain.h"
#include "errors/MessageBox.h"
#include "playback/MpvMediaPlayer.h"
#include "review/ReviewAge.h"
#include "review/ReviewPicture.h"
#include "review/TileGrid.h"
#include "settings/SettingsStore.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

// The clip: 320 x 240, 25 frames a second. Bars 0 to 14, 20 pixels wide from the
// left, hold the frame number's bits, least significant first: light for a one, dark
// for a zero. Bar 15 is always white, so a picture without it is no frame of the clip.
// The shading inside the bars varies with x and y, so a picture moved by a pixel
// differs from the original.
constexpr int kClipWidth = 320;
constexpr int kClipHeight = 240;
constexpr int kBars = 16;
constexpr int kBarWidth = kClipWidth / kBars;
const char kPattern[] =
    "geq=lum='if(gte(X,300),255,if(bitand(floor(N/pow(2,floor(X/20))),1),"
    "170+mod(X*7+Y*3,80),10+mod(X*5+Y*11,80)))':cb=128:cr=128";

// The frame number a picture of the clip at the given scale shows, read at the middle
// of each bar on three rows that must agree; nullopt for a picture that is no frame.
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
        if (ones != 0 && ones != 3)
            return std::nullopt;
        if (bar == kBars - 1) {
            if (ones == 0)
                return std::nullopt;
        } else if (ones) {
            number |= 1 << bar;
        }
    }
    return number;
}

// Where two images first differ inside the rectangle, for the failure message.
QString firstDifference(const QImage &a, const QImage &b, QRect area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("first difference at (%1, %2): %3 against %4")
                    .arg(x)
                    .arg(y)
                    .arg(a.pixel(x, y), 8, 16, QLatin1Char('0'))
                    .arg(b.pixel(x, y), 8, 16, QLatin1Char('0'));
    return QString();
}

bool sameArea(const QImage &a, const QImage &b, QRect area)
{
    return a.copy(area) == b.copy(area);
}

struct Capture {
    qint32 slot;   // the ring slot the capture went to
    QImage screen; // the window's picture over the player at that moment
    QRect visible; // the part of the player inside the window's inner area, in player pixels
};

enum class Stepping { MouseButton, ShowImage };

} // namespace

Q_DECLARE_METATYPE(Stepping)

class TestCaptureFidelity : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        mClip = TestClips::make(QStringLiteral("frame numbers.mp4"),
                                {"-f", "lavfi", "-i",
                                 QStringLiteral("color=s=%1x%2:r=25:d=8").arg(kClipWidth).arg(kClipHeight), "-vf",
                                 kPattern, "-pix_fmt", "yuv420p", "-c:v", "libx264", "-qp", "0"});
        QVERIFY(!mClip.isEmpty());
    }

    void init()
    {
        mFolder = std::make_unique<QTemporaryDir>();
        ProgramFolder::setOverride(mFolder->path());
        SetConfigValue(QStringLiteral("StartCount"), QStringLiteral("10"));
        SetConfigValue(QStringLiteral("FrameTime"), QStringLiteral("2")); // 0.1 s
        mBoxes.clear();
        MessageBox::setPresenter([this](const QString &, const QString &text, MessageBox::Icon) { mBoxes << text; });
        mCaptures.clear();
        mMissed = 0;
    }

    void cleanup()
    {
        mWindow.reset();
        MessageBox::setPresenter({});
        ProgramFolder::setOverride({});
    }

    void reviewShowsWhatTheScreenShowed_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<Stepping>("stepping");
        QTest::newRow("100 %, held left button") << 1 << Stepping::MouseButton;
        QTest::newRow("100 %, offsets shown directly") << 1 << Stepping::ShowImage;
        QTest::newRow("200 %, held left button") << 2 << Stepping::MouseButton;
    }

    void reviewShowsWhatTheScreenShowed()
    {
        QFETCH(int, zoom);
        QFETCH(Stepping, stepping);
        ModalCloser closer;
        mWindow = std::make_unique<frmMain>(
            [](QWidget *parent) -> std::unique_ptr<MediaPlayer> { return std::make_unique<MpvMediaPlayer>(parent); },
            QString());
        mWindow->Form_Load();
        mWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(mWindow.get()));
        QCOMPARE(mWindow->PlayTimer->interval(), 100);
        if (zoom == 2)
            mWindow->mnuZoom200_Click();
        // Connected after the window's own handler: runs right after each capture.
        mCursor = mWindow->mlCaptureSlot();
        connect(mWindow->PlayTimer, &IntervalTimer::Timer, this, &TestCaptureFidelity::recordCapture);

        mWindow->OpenMedia(mClip);
        QCOMPARE(mWindow->oMediaPlayer()->PlayState(), int(MediaPlayer::Playing));
        QWidget *video = mWindow->oMediaPlayer()->widget();
        QCOMPARE(video->size(), QSize(kClipWidth, kClipHeight) * zoom);
        QCOMPARE(mWindow->mnuZoom100->isChecked(), zoom == 1);
        QCOMPARE(mWindow->mnuZoom200->isChecked(), zoom == 2);

        QTRY_VERIFY_WITH_TIMEOUT(framesCaptured(zoom) >= 10, 15000);
        mWindow->cmdPlay_Click();
        QVERIFY(!mWindow->PlayTimer->isEnabled());
        QTRY_COMPARE(mWindow->oMediaPlayer()->PlayState(), int(MediaPlayer::Paused));
        disconnect(mWindow->PlayTimer, &IntervalTimer::Timer, this, &TestCaptureFidelity::recordCapture);
        QVERIFY(mWindow->msErrorMessages().isEmpty());
        QCOMPARE(mMissed, 0);

        // The review picture is 10 rows shorter than the player, and the tiles reach
        // no further than 6 tile widths and heights.
        const QSize tile = TileGrid::tileSize(video->width(), video->height());
        const QImage &buffer = mWindow->oCaptured->buffer();
        QCOMPARE(buffer.size(), QSize(video->width(), video->height() - 10));
        const QRect compared(0, 0, std::min(buffer.width(), TileGrid::kColumns * tile.width()),
                             std::min(buffer.height(), TileGrid::kRows * tile.height()));

        const int steps = std::min<int>(mCaptures.size(), mWindow->ring().count());
        std::optional<int> newer;
        bool pastTheFirstFrame = false;
        int framesReviewed = 0;
        for (int k = 1; k <= steps; ++k) {
            if (stepping == Stepping::MouseButton) {
                mWindow->MouseDown(1);
                mWindow->ReleaseReview();
                QVERIFY(mWindow->reviewTimerEnabled());
                // The held step's repeat delay and the tick that ends it.
                for (int tick = 0; tick < 3 && mWindow->reviewTimerEnabled(); ++tick)
                    mWindow->ReviewTimer_Timer();
                QVERIFY(!mWindow->reviewTimerEnabled());
            } else {
                mWindow->ShowImage(k);
            }
            QCOMPARE(mWindow->mlReviewOffset(), k);
            QVERIFY(mWindow->oCaptured->isVisible());
            QVERIFY(!video->isVisible());
            QCOMPARE(mWindow->lblReviewTime->text(), ReviewAge::text(-k / 10.0));

            const Capture &capture = mCaptures.at(mCaptures.size() - k);
            QCOMPARE(mWindow->ring().slotOfOffset(k), capture.slot);
            // Only what the window showed: the player may reach below its inner area.
            const QRect seen = compared & capture.visible;
            QVERIFY2(seen.height() * 10 >= compared.height() * 9 && seen.width() == compared.width(),
                     qPrintable(QStringLiteral("offset %1: only %2 x %3 of the player on screen")
                                    .arg(k).arg(capture.visible.width()).arg(capture.visible.height())));
            QVERIFY2(sameArea(buffer, capture.screen, seen),
                     qPrintable(QStringLiteral("offset %1: %2").arg(k).arg(firstDifference(buffer, capture.screen, seen))));

            // The window shows the review picture as its buffer holds it.
            const QImage shown = screenOver(mWindow->oCaptured->geometry());
            const QRect onScreen = buffer.rect() & visiblePart(mWindow->oCaptured->geometry());
            QVERIFY2(sameArea(shown, buffer, onScreen),
                     qPrintable(QStringLiteral("offset %1 on screen: %2").arg(k).arg(firstDifference(shown, buffer, onScreen))));

            // Each step back shows an older frame than the step before.
            const std::optional<int> number = frameNumber(buffer, zoom);
            QCOMPARE(number, frameNumber(capture.screen, zoom));
            if (number) {
                QVERIFY2(!pastTheFirstFrame, qPrintable(QStringLiteral("offset %1 shows frame %2 after a picture without one").arg(k).arg(*number)));
                if (newer)
                    QVERIFY2(*number < *newer, qPrintable(QStringLiteral("offset %1 shows frame %2, offset %3 frame %4")
                                                               .arg(k).arg(*number).arg(k - 1).arg(*newer)));
                newer = number;
                ++framesReviewed;
            } else {
                QVERIFY2(k > 1, "the newest snapshot shows no frame of the clip");
                pastTheFirstFrame = true;
            }
        }
        QVERIFY2(framesReviewed >= 8, qPrintable(QString::number(framesReviewed)));
        QVERIFY(mBoxes.isEmpty());
        QVERIFY2(mWindow->msErrorMessages().isEmpty(), qPrintable(mWindow->msErrorMessages()));
        QCOMPARE(closer.seen().size(), 0);
    }

private:
    // The window's picture over a rectangle of the client area, as the screen shows it.
    QImage screenOver(QRect clientRect) const
    {
        const QRect inWindow(mWindow->client->mapTo(mWindow.get(), clientRect.topLeft()), clientRect.size());
        return mWindow->grab(inWindow).toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The part of a rectangle of the client area that lies inside it, relative to the
    // rectangle's own top-left corner.
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
        int frames = 0;
        for (const Capture &capture : mCaptures)
            frames += frameNumber(capture.screen, zoom) ? 1 : 0;
        return frames;
    }

    QString mClip;
    std::unique_ptr<QTemporaryDir> mFolder;
    std::unique_ptr<frmMain> mWindow;
    QList<Capture> mCaptures;
    qint32 mCursor = 0;
    int mMissed = 0;
    QStringList mBoxes;
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestCaptureFidelity test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_capture_fidelity.moc"
