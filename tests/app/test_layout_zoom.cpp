// The window's layout commands (100 %, 200 %, fit to window, full screen), the snapshot
// ring they size, Copy Image, and what happens when the ring cannot have the memory it
// needs, with the scripted media player.

#include "FakeMediaPlayer.h"
#include "ModalCloser.h"

#include "app/ReplixaApplication.h"
#include "app/Twips.h"
#include "app/frmMain.h"
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
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kClip = QStringLiteral("/clips/serve.avi"); // 160 x 120
const QString kCriticalText = QStringLiteral(
    "Not enough video memory. Please reduce Windows color depth to 16 bit. "
    "Restart the application with reduced zoom or video window size.");

enum class Zoom { Percent100, Percent200, Fit };

struct Box {
    QString text;
    MessageBox::Icon icon;
};
} // namespace

Q_DECLARE_METATYPE(Zoom)

class TestLayoutZoom : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        mFolder = std::make_unique<QTemporaryDir>();
        ProgramFolder::setOverride(mFolder->path());
        SetConfigValue(QStringLiteral("StartCount"), QStringLiteral("10"));
        mBoxes.clear();
        MessageBox::setPresenter(
            [this](const QString &, const QString &text, MessageBox::Icon icon) { mBoxes.append({text, icon}); });
        mCloser = std::make_unique<ModalCloser>();
    }

    void cleanup()
    {
        mWindow.reset();
        mCloser.reset();
        MemoryBudget::setAvailableOverride(std::nullopt);
        MessageBox::setPresenter({});
        ProgramFolder::setOverride({});
    }

    // 100 % and 200 %, with and without a medium: the player takes the video's size
    // times the zoom, the window wraps it, and at 100 % is never narrower than 6500 twips.
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
        start();
        if (withMedium)
            openClip();
        // Start each case from a window size no zoom gives.
        mWindow->resize(700, 500);
        QTRY_COMPARE(mWindow->size(), QSize(700, 500));
        applyZoom(zoom);
        QCOMPARE(video()->size(), player);
        QCOMPARE(video()->pos(), QPoint(0, 40));
        QCOMPARE(mWindow->mnuZoom100->isChecked(), zoom == Zoom::Percent100);
        QCOMPARE(mWindow->mnuZoom200->isChecked(), zoom == Zoom::Percent200);
        QVERIFY(!mWindow->mnuZoomFit->isChecked());

        // The window wraps the player exactly; at 100 % it is never narrower than 6500 twips.
        const double pixelX = Twips::perPixelX(mWindow.get());
        const int right = video()->x() + player.width();
        const int bottom = video()->y() + player.height();
        QCOMPARE(mWindow->innerHeight(), bottom);
        if (zoom == Zoom::Percent100 && right * pixelX < 6500) {
            QVERIFY2(std::abs(mWindow->outerWidthTwips() - 6500) <= pixelX,
                     qPrintable(QString::number(mWindow->outerWidthTwips())));
            QVERIFY(mWindow->innerWidth() > right);
        } else {
            QCOMPARE(mWindow->innerWidth(), right);
        }
        verifyRingFitsThePlayer();
        QCOMPARE(mWindow->oCaptured->buffer().size(), QSize(player.width(), player.height() - 10));
        QCOMPARE(mWindow->oCaptured->pos(), video()->pos());
        QVERIFY(mBoxes.isEmpty());
        QVERIFY(mWindow->msErrorMessages().isEmpty());
    }

    // Fit to window: the player fills the inner area below the command bar, and follows
    // the window as it is resized.
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
        openClip();
        mWindow->mnuZoomFit_Click();
        mWindow->resize(windowSize);
        QTRY_COMPARE(mWindow->size(), windowSize);
        QVERIFY(mWindow->mnuZoomFit->isChecked());
        QVERIFY(!mWindow->mnuZoom100->isChecked());
        QVERIFY(!mWindow->mnuZoom200->isChecked());
        QTRY_COMPARE(video()->geometry(), QRect(0, 40, mWindow->innerWidth(), mWindow->innerHeight() - 40));
        QCOMPARE(mWindow->frCommand->width(), mWindow->innerWidth());
        verifyRingFitsThePlayer();
        QVERIFY(mWindow->msErrorMessages().isEmpty());
    }

    void fullScreenTwiceReturnsToTheNormalWindow()
    {
        start();
        openClip();
        mWindow->mnuZoom200_Click();
        QCOMPARE(video()->size(), QSize(320, 240));

        mWindow->cmdFullScreen_Click();
        QVERIFY(mWindow->mbFullScreen);
        QVERIFY(mWindow->menuBar()->isHidden());
        QVERIFY(mWindow->isVisible());
        QVERIFY(mWindow->windowState() & Qt::WindowFullScreen);
        QVERIFY(mWindow->mnuZoomFit->isChecked());
        QVERIFY(!mWindow->mnuZoom100->isChecked());
        QVERIFY(!mWindow->mnuZoom200->isChecked());
        // Without the menu bar the inner area is the whole window.
        QTRY_COMPARE(mWindow->innerHeight(), mWindow->height());
        QTRY_COMPARE(video()->geometry(), QRect(0, 40, mWindow->width(), mWindow->height() - 40));
        verifyRingFitsThePlayer();

        mWindow->mnuZoomFullScreen_Click(); // the menu command does the same
        QVERIFY(!mWindow->mbFullScreen);
        QVERIFY(!mWindow->menuBar()->isHidden());
        QVERIFY(mWindow->isVisible());
        QVERIFY(!(mWindow->windowState() & Qt::WindowFullScreen));
        QVERIFY(mWindow->mnuZoomFit->isChecked());
        QVERIFY(!mWindow->mnuZoom100->isChecked());
        QVERIFY(!mWindow->mnuZoom200->isChecked());
        for (QMenu *menu : {mWindow->mnuFile, mWindow->mnuTools, mWindow->mnuView, mWindow->mnuZoom, mWindow->mnuHelp})
            QVERIFY(menu->menuAction()->isVisible());
        QTRY_VERIFY(mWindow->innerHeight() < mWindow->height());
        QTRY_COMPARE(video()->geometry(), QRect(0, 40, mWindow->innerWidth(), mWindow->innerHeight() - 40));
        verifyRingFitsThePlayer();
        QVERIFY(mBoxes.isEmpty());
        QVERIFY(mWindow->msErrorMessages().isEmpty());
    }

    // Every layout gives every slot a fresh, blank image at the player's snapshot size.
    void everyLayoutReallocatesTheRing_data()
    {
        QTest::addColumn<QList<Zoom>>("steps");
        QTest::newRow("100 % then 200 %") << QList<Zoom>{Zoom::Percent100, Zoom::Percent200};
        QTest::newRow("200 % then fit") << QList<Zoom>{Zoom::Percent200, Zoom::Fit};
        QTest::newRow("fit then 100 %") << QList<Zoom>{Zoom::Fit, Zoom::Percent100};
        QTest::newRow("100 % twice") << QList<Zoom>{Zoom::Percent100, Zoom::Percent100};
    }

    void everyLayoutReallocatesTheRing()
    {
        QFETCH(QList<Zoom>, steps);
        start();
        openClip();
        for (Zoom zoom : steps) {
            // Write a few slots first, so that a layout that kept them would show.
            for (int i = 0; i < 4; ++i) {
                mFake->setPicture(QColor::fromHsv(40 * i, 255, 255));
                mWindow->CaptureImage();
            }
            QVERIFY(mWindow->ring().isWritten(mWindow->ring().slotOfOffset(1)));
            applyZoom(zoom);
            // 100 % twice gives the window the size it has: lay it out anyway.
            mWindow->Form_Resize();
            verifyRingFitsThePlayer();
        }
        QVERIFY(mWindow->msErrorMessages().isEmpty());
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
        openClip();
        applyZoom(zoom);
        const QList<QColor> colours{Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan};
        for (const QColor &colour : colours) {
            mFake->setPicture(colour);
            mWindow->CaptureImage();
        }
        mWindow->cmdPlay_Click(); // pause
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Paused));
        mWindow->ShowImage(3);
        QVERIFY(mWindow->oCaptured->isVisible());
        QVERIFY(!video()->isVisible());
        const QImage buffer = mWindow->oCaptured->buffer();
        QCOMPARE(buffer.size(), QSize(video()->width(), video()->height() - 10));
        // The third newest snapshot: blue, as far as the tiles reach.
        QCOMPARE(QColor(buffer.pixel(0, 0)), QColor(Qt::blue));
        const QSize tile = TileGrid::tileSize(video()->width(), video()->height());
        const QPoint lastCovered(std::min(buffer.width(), 6 * tile.width()) - 1,
                                 std::min(buffer.height(), 6 * tile.height()) - 1);
        QCOMPARE(QColor(buffer.pixel(lastCovered)), QColor(Qt::blue));

        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("something else"));
        mWindow->mnuToolsCopy_Click();
        const QImage copied = clipboard->image();
        QVERIFY(!copied.isNull());
        QCOMPARE(copied.size(), buffer.size());
        QCOMPARE(copied.convertToFormat(QImage::Format_RGB32), buffer.convertToFormat(QImage::Format_RGB32));
        // The clipboard has a copy: the next step does not change it.
        mWindow->ShowImage(1);
        QCOMPARE(QColor(mWindow->oCaptured->buffer().pixel(0, 0)), QColor(Qt::cyan));
        QCOMPARE(QColor(clipboard->image().pixel(0, 0)), QColor(Qt::blue));
        QVERIFY(mWindow->msErrorMessages().isEmpty());
    }

    // 200 % slots that do not fit: the window falls back to 100 % without a word when
    // the 100 % slots fit.
    void tooLittleMemoryFor200FallsBackTo100()
    {
        start();
        openClip();
        mWindow->mnuZoom100_Click();
        QCOMPARE(video()->size(), QSize(160, 120));
        const qint64 slotCount = mWindow->ring().count();
        const qint64 atHundred = slotCount * snapshotBytes(QSize(160, 120));
        const qint64 atTwoHundred = slotCount * snapshotBytes(QSize(320, 240));
        const qint64 held = mWindow->ring().bytesHeld();
        QCOMPARE(held, atHundred);
        // What the ring may hold is available + held - reserve: between the two.
        const qint64 allowed = (atHundred + atTwoHundred) / 2;
        MemoryBudget::setAvailableOverride(allowed - held + MemoryBudget::kReserveBytes);

        mWindow->mnuZoom200_Click();
        QVERIFY(mWindow->mnuZoom100->isChecked());
        QVERIFY(!mWindow->mnuZoom200->isChecked());
        QTRY_COMPARE(video()->size(), QSize(160, 120));
        verifyRingFitsThePlayer();
        QVERIFY2(mBoxes.isEmpty(), qPrintable(mBoxes.value(0).text));
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Playing));
        QVERIFY(mWindow->msErrorMessages().isEmpty());
        QCOMPARE(mCloser->seen().size(), 0);
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
        openClip();
        applyZoom(from);
        QTRY_COMPARE(mWindow->playPicture(), frmMain::PlayPicture::Pause);
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Playing));
        // Less than the ring holds now: no layout can have its slots.
        MemoryBudget::setAvailableOverride(MemoryBudget::kReserveBytes - mWindow->ring().bytesHeld());

        applyZoom(to);
        QVERIFY(mWindow->mnuZoom100->isChecked());
        QTRY_COMPARE(video()->size(), QSize(160, 120));
        QCOMPARE(mBoxes.size(), 1);
        QCOMPARE(mBoxes.at(0).text, kCriticalText);
        QCOMPARE(mBoxes.at(0).icon, MessageBox::Icon::Critical);
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Paused));
        QTRY_VERIFY(!mWindow->PlayTimer->isEnabled());
        QCOMPARE(mWindow->playPicture(), frmMain::PlayPicture::Play);
        QVERIFY(mWindow->msErrorMessages().isEmpty());

        // The program goes on: capture and review do not fail on a ring short of slots.
        mWindow->CaptureImage();
        mWindow->ShowImage(1);
        mWindow->ShowImage(0);
        QVERIFY(mWindow->msErrorMessages().isEmpty());

        // With the memory back, the next layout has its slots and says nothing more.
        MemoryBudget::setAvailableOverride(std::nullopt);
        mWindow->mnuZoom200_Click();
        QTRY_COMPARE(video()->size(), QSize(320, 240));
        verifyRingFitsThePlayer();
        QCOMPARE(mBoxes.size(), 1);
    }

    // An empty ring: nothing is captured or reviewed, and nothing fails.
    void captureCountZeroGivesAnEmptyRing()
    {
        SetConfigValue(QStringLiteral("CaptureCount"), QStringLiteral("0"));
        start();
        QCOMPARE(mWindow->ring().count(), 0);
        QCOMPARE(mWindow->mlCaptureSlot(), 0);
        openClip();
        QTRY_VERIFY(mWindow->PlayTimer->isEnabled());
        QSignalSpy ticks(mWindow->PlayTimer, &IntervalTimer::Timer);
        QTRY_VERIFY(ticks.size() >= 3); // the play timer captures into nothing
        for (Zoom zoom : {Zoom::Percent200, Zoom::Fit, Zoom::Percent100})
            applyZoom(zoom);
        QCOMPARE(mWindow->ring().bytesHeld(), 0);
        mWindow->CaptureImage();
        QCOMPARE(mWindow->mlCaptureSlot(), 0);

        mWindow->MouseDown(1);
        QCOMPARE(mWindow->mlReviewOffset(), 0);
        QCOMPARE(mWindow->leftPicture(), PictureStore::Picture::Disabled);
        while (mWindow->ReviewTimer->isEnabled())
            mWindow->ReviewTimer_Timer();
        mWindow->ReleaseReview();
        mWindow->mnuViewPrev_Click();
        QCOMPARE(mWindow->mlReviewOffset(), 0);
        mWindow->ShowImage(1); // an offset beyond the ring shows nothing
        QVERIFY(!mWindow->oCaptured->isVisible());
        QVERIFY(video()->isVisible());
        mWindow->ShowImage(0);
        mWindow->mnuToolsCopy_Click();
        mWindow->mnuViewNext_Click();
        QCOMPARE(mWindow->mlReviewOffset(), 0);
        QVERIFY(mBoxes.isEmpty());
        QVERIFY2(mWindow->msErrorMessages().isEmpty(), qPrintable(mWindow->msErrorMessages()));
        QCOMPARE(mCloser->seen().size(), 0);
    }

private:
    void start()
    {
        mWindow = std::make_unique<frmMain>(
            [this](QWidget *parent) -> std::unique_ptr<MediaPlayer> {
                auto player = std::make_unique<FakeMediaPlayer>(parent);
                player->addMedium(kClip, QSize(160, 120), 12.0);
                mFake = player.get();
                return player;
            },
            QString());
        mWindow->Form_Load();
        mWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(mWindow.get()));
    }

    void openClip()
    {
        mWindow->OpenMedia(kClip);
        QCOMPARE(mFake->PlayState(), int(MediaPlayer::Playing));
        QCOMPARE(mWindow->mlVideoWidth, 160);
        QCOMPARE(mWindow->mlVideoHeight, 120);
    }

    QWidget *video() const { return mFake->widget(); }

    void applyZoom(Zoom zoom)
    {
        switch (zoom) {
        case Zoom::Percent100: mWindow->mnuZoom100_Click(); break;
        case Zoom::Percent200: mWindow->mnuZoom200_Click(); break;
        case Zoom::Fit: mWindow->mnuZoomFit_Click(); break;
        }
    }

    static qint64 snapshotBytes(QSize size) { return qint64(size.width()) * size.height() * 4; }

    void verifyRingFitsThePlayer()
    {
        const SnapshotRing &ring = mWindow->ring();
        const QSize size = TileGrid::snapshotSize(video()->width(), video()->height());
        for (qint32 s = 1; s <= ring.count(); ++s) {
            QVERIFY2(ring.isAllocated(s), qPrintable(QStringLiteral("slot %1").arg(s)));
            QCOMPARE(ring.slot(s).size(), size);
            QVERIFY2(!ring.isWritten(s), qPrintable(QStringLiteral("slot %1").arg(s)));
        }
        QCOMPARE(ring.bytesHeld(), ring.count() * snapshotBytes(size));
    }

    std::unique_ptr<QTemporaryDir> mFolder;
    std::unique_ptr<frmMain> mWindow;
    std::unique_ptr<ModalCloser> mCloser;
    FakeMediaPlayer *mFake = nullptr;
    QList<Box> mBoxes;
};

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    TestLayoutZoom test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_layout_zoom.moc"
