// The layout commands (100 %, 200 %, fit to window, full screen), the snapshot ring they
// size, Copy Image, and a ring short of memory, with the scripted media player.

#include "WindowFixture.h"

#include "app/Twips.h"
#include "review/ReviewPicture.h"
#include "review/TileGrid.h"

#include <QClipboard>
#include <QFrame>
#include <QMenuBar>

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
    ModalCloser *closer = nullptr;
    QList<MessageBox::Icon> icons;
    QList<qint64> ringBytesAtBox; // what the ring still held while each box was up
    frmMain *w = nullptr;
    void start(bool withMedium = true)
    {
        w = &f->startWithFake({{kClip, QSize(160, 120), 12.0}});
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        if (withMedium)
            w->OpenMedia(kClip);
    }
    QWidget *video() const { return f->fake->widget(); }
    int checkedZoom() const
    {
        return w->mnuZoom100->isChecked() | w->mnuZoom200->isChecked() << 1 | w->mnuZoomFit->isChecked() << 2;
    }
    void applyZoom(Zoom z)
    {
        z == Zoom::Percent100 ? w->mnuZoom100_Click() : z == Zoom::Fit ? w->mnuZoomFit_Click() : w->mnuZoom200_Click();
    }
    // Every slot has a fresh, blank image at the player's snapshot size.
    void verifyRingFitsThePlayer()
    {
        const QSize size = TileGrid::snapshotSize(video()->width(), video()->height());
        for (qint32 s = 1; s <= w->ring().count(); ++s)
            QVERIFY(w->ring().isAllocated(s) && !w->ring().isWritten(s) && w->ring().slot(s).size() == size);
        QCOMPARE(w->ring().bytesHeld(), w->ring().count() * snapshotBytes(size));
    }
    // Fit: the player fills the inner area below the command bar.
    void verifyFit()
    {
        QCOMPARE(checkedZoom(), int(Zoom::Fit));
        QTRY_COMPARE(video()->geometry(), QRect(0, 40, w->innerWidth(), w->innerHeight() - 40));
        QCOMPARE(w->frCommand->width(), w->innerWidth());
        verifyRingFitsThePlayer();
    }
private slots:
    void init()
    {
        f.emplace();
        closer = &f->closer;
        icons.clear();
        ringBytesAtBox.clear();
        MessageBox::setPresenter([this](const QString &, const QString &text, MessageBox::Icon icon) {
            f->boxes << text;
            icons << icon;
            ringBytesAtBox << w->ring().bytesHeld();
        });
    }
    void cleanup()
    {
        QVERIFY2(w->msErrorMessages().isEmpty(), qPrintable(w->msErrorMessages()));
        f.reset();
    }
    // 100 % and 200 % size the player to the video times the zoom, and the window wraps it,
    // at 100 % never narrower than 6500 twips; fit fills any window. Each layout, even one
    // that keeps the window's size, gives the ring blank slots.
    void zoomSizesThePlayer_data()
    {
        QTest::addColumn<bool>("withMedium");
        QTest::addColumn<QSize>("window"); // before the layout
        QTest::addColumn<Zoom>("zoom");
        QTest::addColumn<QSize>("player"); // empty: the inner area below the command bar
        QTest::newRow("no medium, 100 %") << false << QSize(700, 500) << Zoom::Percent100 << QSize(200, 200);
        QTest::newRow("no medium, 200 %") << false << QSize(700, 500) << Zoom::Percent200 << QSize(400, 400);
        QTest::newRow("160x120, 100 %") << true << QSize(700, 500) << Zoom::Percent100 << QSize(160, 120);
        QTest::newRow("160x120, 200 %") << true << QSize(700, 500) << Zoom::Percent200 << QSize(320, 240);
        QTest::newRow("fit, design size") << true << QSize(592, 560) << Zoom::Fit << QSize();
        QTest::newRow("fit, wide") << true << QSize(900, 400) << Zoom::Fit << QSize();
        QTest::newRow("fit, narrow and tall") << true << QSize(240, 640) << Zoom::Fit << QSize();
    }
    void zoomSizesThePlayer()
    {
        QFETCH(bool, withMedium);
        QFETCH(QSize, window);
        QFETCH(Zoom, zoom);
        QFETCH(QSize, player);
        start(withMedium);
        w->resize(window);
        QTRY_COMPARE(w->size(), window);
        for (int i = 0; i < 2; ++i) {
            w->CaptureImage();
            QVERIFY(w->ring().isWritten(w->ring().slotOfOffset(1)));
            applyZoom(zoom);
        }
        if (zoom == Zoom::Fit)
            return verifyFit();
        QCOMPARE(video()->geometry(), QRect(QPoint(0, 40), player));
        QCOMPARE(checkedZoom(), int(zoom));
        QCOMPARE(w->innerHeight(), 40 + player.height());
        if (zoom == Zoom::Percent100) // all of these are narrower
            QVERIFY(std::abs(w->outerWidthTwips() - 6500) <= Twips::perPixelX(w));
        else
            QCOMPARE(w->innerWidth(), player.width());
        verifyRingFitsThePlayer();
        QCOMPARE(w->oCaptured->buffer().size(), player - QSize(0, 10));
        QCOMPARE(f->boxes, QStringList());
    }
    // Full screen fits the player to the whole window; leaving it, by the menu command,
    // brings back the menus and the window's place.
    void fullScreenTwiceReturnsToTheNormalWindow()
    {
        start();
        w->mnuZoom200_Click();
        const QRect normal = w->geometry();
        w->cmdFullScreen_Click();
        QVERIFY(w->mbFullScreen && w->menuBar()->isHidden() && w->windowState() & Qt::WindowFullScreen);
        QTRY_COMPARE(QSize(w->innerWidth(), w->innerHeight()), w->size());
        verifyFit();
        w->mnuZoomFullScreen_Click();
        QVERIFY(!w->mbFullScreen && !w->menuBar()->isHidden() && !(w->windowState() & Qt::WindowFullScreen));
        for (QAction *menu : w->menuBar()->actions())
            QVERIFY(menu->isVisible());
        QCOMPARE(w->menuBar()->actions().size(), 5);
        QTRY_COMPARE(w->geometry(), normal);
        verifyFit();
    }
    // Copy Image puts the shown snapshot's picture on the clipboard, exactly, as a copy.
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
        w->ShowImage(3);
        const QImage buffer = w->oCaptured->buffer();
        QCOMPARE(QColor(buffer.pixel(0, 0)), QColor(Qt::blue)); // the third newest snapshot
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("something else"));
        w->mnuToolsCopy_Click();
        QCOMPARE(clipboard->image().convertToFormat(QImage::Format_RGB32), buffer);
        w->ShowImage(1);
        QCOMPARE(QColor(w->oCaptured->buffer().pixel(0, 0)), QColor(Qt::cyan));
        QCOMPARE(QColor(clipboard->image().pixel(0, 0)), QColor(Qt::blue));
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
        QCOMPARE(ringBytesAtBox, QList<qint64>{0}); // a half-built ring is given back first
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
};

REPLIXA_TEST_MAIN(TestLayoutZoom)
#include "test_layout_zoom.moc"
