// The layout commands (100 %, 200 %, fit to window, full screen), the snapshot ring they
// size, Copy Image, and a ring short of memory, with the scripted media player.

#include "ModalCloser.h"
#include "WindowFixture.h"

#include "app/ReplixaApplication.h"
#include "app/Twips.h"
#include "errors/MessageBox.h"
#include "review/MemoryBudget.h"
#include "review/ReviewPicture.h"
#include "review/TileGrid.h"
#include "settings/SettingsStore.h"

#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include <optional>

namespace {
const QString kClip = QStringLiteral("/clips/serve.avi"); // 160 x 120
const QString kCriticalText = QStringLiteral(
    "Not enough video memory. Please reduce Windows color depth to 16 bit. "
    "Restart the application with reduced zoom or video window size.");

enum class Zoom { Percent100 = 1, Percent200 = 2, Fit = 4 }; // as checkedZoom() gives it
qint64 snapshotBytes(QSize size) { return qint64(size.width()) * size.height() * 4; }
} // namespace

Q_DECLARE_METATYPE(Zoom)

class TestLayoutZoom : public QObject {
    Q_OBJECT

    std::optional<WindowFixture> f;
    std::optional<ModalCloser> closer;
    QList<MessageBox::Icon> icons;
    frmMain *w = nullptr;

    void start(bool withMedium = true)
    {
        w = &f->startWithFake({{kClip, QSize(160, 120), 12.0}});
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        if (!withMedium)
            return;
        w->OpenMedia(kClip);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Playing));
        QCOMPARE(QSize(w->mlVideoWidth, w->mlVideoHeight), QSize(160, 120));
    }

    QWidget *video() const { return f->fake->widget(); }
    int checkedZoom() const
    {
        return w->mnuZoom100->isChecked() | w->mnuZoom200->isChecked() << 1 | w->mnuZoomFit->isChecked() << 2;
    }

    void applyZoom(Zoom zoom)
    {
        zoom == Zoom::Percent100 ? w->mnuZoom100_Click() : zoom == Zoom::Fit ? w->mnuZoomFit_Click() : w->mnuZoom200_Click();
    }

    // Every slot has a fresh, blank image at the player's snapshot size.
    void verifyRingFitsThePlayer()
    {
        const SnapshotRing &ring = w->ring();
        const QSize size = TileGrid::snapshotSize(video()->width(), video()->height());
        for (qint32 s = 1; s <= ring.count(); ++s) {
            QVERIFY2(ring.isAllocated(s) && !ring.isWritten(s), qPrintable(QStringLiteral("slot %1").arg(s)));
            QCOMPARE(ring.slot(s).size(), size);
        }
        QCOMPARE(ring.bytesHeld(), ring.count() * snapshotBytes(size));
    }

    // The player fills the inner area below the command bar.
    void verifyFit()
    {
        QCOMPARE(checkedZoom(), int(Zoom::Fit));
        QTRY_COMPARE(video()->geometry(), QRect(0, 40, w->innerWidth(), w->innerHeight() - 40));
        verifyRingFitsThePlayer();
    }

private slots:
    void init()
    {
        f.emplace();
        closer.emplace();
        icons.clear();
        MessageBox::setPresenter([this](const QString &, const QString &text, MessageBox::Icon icon) {
            f->boxes << text;
            icons << icon;
        });
    }
    void cleanup() { f.reset(); closer.reset(); }

    // The player takes the video's size times the zoom; the window wraps it, and at
    // 100 % is never narrower than 6500 twips.
    void zoomSizesThePlayer_data()
    {
        QTest::addColumn<bool>("withMedium");
        QTest::addColumn<Zoom>("zoom");
        QTest::addColumn<QSize>("player");
        QTest::newRow("no medium, 100 %") << false << Zoom::Percent100 << QSize(200, 200);
        QTest::newRow("no medium, 200 %") << false << Zoom::Percent200 << QSize(400, 400);
        QTest::newRow("160x120, 100 %") << true << Zoom::Percent100 << QSize(160, 120);
        QTest::newRow("160x120, 200 %") << true << Zoom::Percent200 << QSize(320, 240);
    }

    void zoomSizesThePlayer()
    {
        QFETCH(bool, withMedium);
        QFETCH(Zoom, zoom);
        QFETCH(QSize, player);
        start(withMedium);
        w->resize(700, 500); // a size no zoom gives
        QTRY_COMPARE(w->size(), QSize(700, 500));
        applyZoom(zoom);
        QCOMPARE(video()->geometry(), QRect(QPoint(0, 40), player));
        QCOMPARE(checkedZoom(), int(zoom));
        const double pixelX = Twips::perPixelX(w);
        const int right = player.width();
        QCOMPARE(w->innerHeight(), 40 + player.height());
        if (zoom == Zoom::Percent100 && right * pixelX < 6500) {
            QVERIFY2(std::abs(w->outerWidthTwips() - 6500) <= pixelX, qPrintable(QString::number(w->outerWidthTwips())));
            QVERIFY(w->innerWidth() > right);
        } else {
            QCOMPARE(w->innerWidth(), right);
        }
        verifyRingFitsThePlayer();
        QCOMPARE(w->oCaptured->buffer().size(), QSize(player.width(), player.height() - 10));
        QCOMPARE(w->oCaptured->pos(), video()->pos());
        QVERIFY(f->boxes.isEmpty());
        QVERIFY(w->msErrorMessages().isEmpty());
    }

    void fitToWindowFillsTheInnerArea_data()
    {
        QTest::addColumn<QSize>("windowSize");
        QTest::newRow("design size") << QSize(592, 560);
        QTest::newRow("wide") << QSize(900, 400);
        QTest::newRow("narrow and tall") << QSize(240, 640);
    }

    void fitToWindowFillsTheInnerArea()
    {
        QFETCH(QSize, windowSize);
        start();
        w->mnuZoomFit_Click();
        w->resize(windowSize);
        QTRY_COMPARE(w->size(), windowSize);
        verifyFit();
        QCOMPARE(w->frCommand->width(), w->innerWidth());
        QVERIFY(w->msErrorMessages().isEmpty());
    }

    void fullScreenTwiceReturnsToTheNormalWindow()
    {
        start();
        w->mnuZoom200_Click();
        QCOMPARE(video()->size(), QSize(320, 240));
        w->cmdFullScreen_Click();
        QVERIFY(w->mbFullScreen && w->menuBar()->isHidden() && w->isVisible());
        QVERIFY(w->windowState() & Qt::WindowFullScreen);
        QTRY_COMPARE(w->innerHeight(), w->height()); // no menu bar: the inner area is the window
        QTRY_COMPARE(w->innerWidth(), w->width());
        verifyFit();

        w->mnuZoomFullScreen_Click(); // the menu command does the same
        QVERIFY(!w->mbFullScreen && !w->menuBar()->isHidden() && w->isVisible());
        QVERIFY(!(w->windowState() & Qt::WindowFullScreen));
        for (QMenu *menu : {w->mnuFile, w->mnuTools, w->mnuView, w->mnuZoom, w->mnuHelp})
            QVERIFY(menu->menuAction()->isVisible());
        QTRY_VERIFY(w->innerHeight() < w->height());
        verifyFit();
        QVERIFY(f->boxes.isEmpty());
        QVERIFY(w->msErrorMessages().isEmpty());
    }

    // Every layout, even one that keeps the window's size, gives the ring blank slots.
    void everyLayoutReallocatesTheRing()
    {
        start();
        for (Zoom zoom : {Zoom::Percent100, Zoom::Percent200, Zoom::Fit, Zoom::Percent100, Zoom::Percent100}) {
            for (int i = 0; i < 4; ++i) {
                f->fake->setPicture(QColor::fromHsv(40 * i, 255, 255));
                w->CaptureImage();
            }
            QVERIFY(w->ring().isWritten(w->ring().slotOfOffset(1)));
            applyZoom(zoom);
            w->Form_Resize();
            verifyRingFitsThePlayer();
        }
        QVERIFY(w->msErrorMessages().isEmpty());
    }

    // Copy Image puts the shown snapshot's picture on the clipboard, exactly.
    void copyImageTakesTheShownSnapshot_data()
    {
        QTest::addColumn<Zoom>("zoom");
        QTest::newRow("100 %") << Zoom::Percent100;
        QTest::newRow("200 %") << Zoom::Percent200;
        QTest::newRow("fit") << Zoom::Fit;
    }

    void copyImageTakesTheShownSnapshot()
    {
        QFETCH(Zoom, zoom);
        start();
        applyZoom(zoom);
        for (Qt::GlobalColor colour : {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan}) {
            f->fake->setPicture(colour);
            w->CaptureImage();
        }
        w->cmdPlay_Click(); // pause
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
        w->ShowImage(3);
        QVERIFY(w->oCaptured->isVisible() && !video()->isVisible());
        const QImage buffer = w->oCaptured->buffer();
        QCOMPARE(buffer.size(), QSize(video()->width(), video()->height() - 10));
        // The third newest snapshot: blue, as far as the tiles reach.
        const QSize tile = TileGrid::tileSize(video()->width(), video()->height());
        const QPoint lastCovered(std::min(buffer.width(), 6 * tile.width()) - 1,
                                 std::min(buffer.height(), 6 * tile.height()) - 1);
        QCOMPARE(QColor(buffer.pixel(0, 0)), QColor(Qt::blue));
        QCOMPARE(QColor(buffer.pixel(lastCovered)), QColor(Qt::blue));

        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("something else"));
        w->mnuToolsCopy_Click();
        const QImage copied = clipboard->image();
        QCOMPARE(copied.size(), buffer.size());
        QCOMPARE(copied.convertToFormat(QImage::Format_RGB32), buffer.convertToFormat(QImage::Format_RGB32));
        w->ShowImage(1); // the clipboard holds a copy: the next step leaves it
        QCOMPARE(QColor(w->oCaptured->buffer().pixel(0, 0)), QColor(Qt::cyan));
        QCOMPARE(QColor(clipboard->image().pixel(0, 0)), QColor(Qt::blue));
        QVERIFY(w->msErrorMessages().isEmpty());
    }

    // 200 % slots do not fit but 100 % ones do: back to 100 % without a word.
    void tooLittleMemoryFor200FallsBackTo100()
    {
        start();
        w->mnuZoom100_Click();
        QCOMPARE(video()->size(), QSize(160, 120));
        const qint64 atHundred = w->ring().count() * snapshotBytes(QSize(160, 120));
        const qint64 atTwoHundred = w->ring().count() * snapshotBytes(QSize(320, 240));
        const qint64 held = w->ring().bytesHeld();
        QCOMPARE(held, atHundred);
        // The ring may hold available + held - reserve: make that lie between the two.
        MemoryBudget::setAvailableOverride((atHundred + atTwoHundred) / 2 - held + MemoryBudget::kReserveBytes);
        w->mnuZoom200_Click();
        QCOMPARE(checkedZoom(), int(Zoom::Percent100));
        QTRY_COMPARE(video()->size(), QSize(160, 120));
        verifyRingFitsThePlayer();
        QVERIFY2(f->boxes.isEmpty(), qPrintable(f->boxes.value(0)));
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Playing));
        QVERIFY(w->msErrorMessages().isEmpty());
        QCOMPARE(closer->seen().size(), 0);
    }

    // Not even 100 % fits: one critical message, the video paused.
    void tooLittleMemoryFor100Warns_data()
    {
        QTest::addColumn<Zoom>("from");
        QTest::addColumn<Zoom>("to");
        QTest::newRow("200 % to 100 %") << Zoom::Percent200 << Zoom::Percent100;
        QTest::newRow("fit to 100 %") << Zoom::Fit << Zoom::Percent100;
        QTest::newRow("100 % to 200 %") << Zoom::Percent100 << Zoom::Percent200;
    }

    void tooLittleMemoryFor100Warns()
    {
        QFETCH(Zoom, from);
        QFETCH(Zoom, to);
        start();
        applyZoom(from);
        QTRY_COMPARE(w->playPicture(), frmMain::PlayPicture::Pause);
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Playing));
        // Less than the ring holds now: no layout can have its slots.
        MemoryBudget::setAvailableOverride(MemoryBudget::kReserveBytes - w->ring().bytesHeld());
        applyZoom(to);
        QVERIFY(w->mnuZoom100->isChecked());
        QTRY_COMPARE(video()->size(), QSize(160, 120));
        QCOMPARE(f->boxes, QStringList{kCriticalText});
        QCOMPARE(icons, QList<MessageBox::Icon>{MessageBox::Icon::Critical});
        QCOMPARE(f->fake->PlayState(), int(MediaPlayer::Paused));
        QTRY_VERIFY(!w->PlayTimer->isEnabled());
        QCOMPARE(w->playPicture(), frmMain::PlayPicture::Play);
        // Capture and review do not fail on a ring short of slots.
        w->CaptureImage();
        w->ShowImage(1);
        w->ShowImage(0);
        QVERIFY(w->msErrorMessages().isEmpty());
        // With the memory back, the next layout has its slots and says nothing more.
        MemoryBudget::setAvailableOverride(std::nullopt);
        w->mnuZoom200_Click();
        QTRY_COMPARE(video()->size(), QSize(320, 240));
        verifyRingFitsThePlayer();
        QCOMPARE(f->boxes.size(), 1);
    }

    // An empty ring: nothing is captured or reviewed, and nothing fails.
    void captureCountZeroGivesAnEmptyRing()
    {
        SetConfigValue(QStringLiteral("CaptureCount"), QStringLiteral("0"));
        start();
        QCOMPARE(w->ring().count(), 0);
        QCOMPARE(w->mlCaptureSlot(), 0);
        QTRY_VERIFY(w->PlayTimer->isEnabled());
        QSignalSpy ticks(w->PlayTimer, &IntervalTimer::Timer);
        QTRY_VERIFY(ticks.size() >= 3); // the play timer captures into nothing
        for (Zoom zoom : {Zoom::Percent200, Zoom::Fit, Zoom::Percent100})
            applyZoom(zoom);
        QCOMPARE(w->ring().bytesHeld(), 0);
        w->CaptureImage();
        QCOMPARE(w->mlCaptureSlot(), 0);
        w->MouseDown(1);
        QCOMPARE(w->mlReviewOffset(), 0);
        QCOMPARE(w->leftPicture(), PictureStore::Picture::Disabled);
        while (w->ReviewTimer->isEnabled())
            w->ReviewTimer_Timer();
        w->ReleaseReview();
        w->mnuViewPrev_Click();
        QCOMPARE(w->mlReviewOffset(), 0);
        w->ShowImage(1); // beyond the ring: shows nothing
        QVERIFY(!w->oCaptured->isVisible() && video()->isVisible());
        w->ShowImage(0);
        w->mnuToolsCopy_Click();
        w->mnuViewNext_Click();
        QCOMPARE(w->mlReviewOffset(), 0);
        QVERIFY(f->boxes.isEmpty());
        QVERIFY2(w->msErrorMessages().isEmpty(), qPrintable(w->msErrorMessages()));
        QCOMPARE(closer->seen().size(), 0);
    }
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestLayoutZoom test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_layout_zoom.moc"
