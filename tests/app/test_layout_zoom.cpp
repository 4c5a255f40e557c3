// The layout commands (100 %, 200 %, fit to window, full screen), the snapshot ring they
// size, Copy Image, and a ring short of memory, with the scripted media player.
#include "WindowFixture.h"
#include "app/Twips.h"
#include "review/ReviewPicture.h"
#include "review/TileGrid.h"
#include <QClipboard>
#include <QMenuBar>

const QString kClip = QStringLiteral("/clips/serve.avi"); // 160 x 120
enum class Zoom { Percent100 = 1, Percent200 = 2, Fit = 4 }; // as checkedZoom() gives it
static qint64 snapshotBytes(QSize size) { return qint64(size.width()) * size.height() * 4; }
// window: its size before the layout; player empty: the inner area below the command bar
struct Layout { bool withMedium; QSize window; Zoom zoom; QSize player; };
Q_DECLARE_METATYPE(Zoom)
Q_DECLARE_METATYPE(Layout)

class TestLayoutZoom : public QObject {
    Q_OBJECT
    std::optional<WindowFixture> f;
    QList<std::pair<MessageBox::Icon, qint64>> atBox; // each box's icon and what the ring held while it was up
    frmMain *w = nullptr;
    QWidget *video() const { return f->fake->widget(); }
    void start(bool withMedium = true)
    {
        w = &f->startWithFake({{kClip, QSize(160, 120), 12.0}}, withMedium ? kClip : QString());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
    }
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
        f.emplace(), atBox.clear();
        MessageBox::setPresenter([this](const QString &, const QString &text, MessageBox::Icon icon) {
            f->boxes << text, atBox << std::pair(icon, w->ring().bytesHeld());
        });
    }
    void cleanup() { QCOMPARE(f->closer.seen().size(), 0); QCOMPARE(w->msErrorMessages(), QString()); f.reset(); }
    // 100 % and 200 % size the player to the video times the zoom, and the window wraps it,
    // at 100 % never narrower than 6500 twips; fit fills any window. Each layout, even one
    // that keeps the window's size, gives the ring blank slots.
    void zoomSizesThePlayer_data()
    {
        QTest::addColumn<Layout>("row");
        QTest::newRow("no medium, 100 %") << Layout{false, {700, 500}, Zoom::Percent100, {200, 200}};
        QTest::newRow("no medium, 200 %") << Layout{false, {700, 500}, Zoom::Percent200, {400, 400}};
        QTest::newRow("160x120, 100 %") << Layout{true, {700, 500}, Zoom::Percent100, {160, 120}};
        QTest::newRow("160x120, 200 %") << Layout{true, {700, 500}, Zoom::Percent200, {320, 240}};
        QTest::newRow("fit, design size") << Layout{true, {592, 560}, Zoom::Fit, {}};
        QTest::newRow("fit, wide") << Layout{true, {900, 400}, Zoom::Fit, {}};
        QTest::newRow("fit, narrow and tall") << Layout{true, {240, 640}, Zoom::Fit, {}};
    }
    void zoomSizesThePlayer()
    {
        QFETCH(Layout, row);
        const auto &[withMedium, window, zoom, player] = row;
        start(withMedium);
        w->resize(window);
        QTRY_COMPARE(w->size(), window);
        for (int i = 0; i < 2; ++i) {
            w->CaptureImage();
            QVERIFY(w->ring().isWritten(w->ring().slotOfOffset(1)));
            applyZoom(zoom);
        }
        if (zoom == Zoom::Fit) {
            verifyFit();
        } else {
            QCOMPARE(video()->geometry(), QRect(QPoint(0, 40), player));
            QCOMPARE(checkedZoom(), int(zoom));
            QCOMPARE(w->innerHeight(), 40 + player.height());
            if (zoom == Zoom::Percent100) // all of these are narrower
                QVERIFY(std::abs(w->outerWidthTwips() - 6500) <= Twips::perPixelX(w));
            else
                QCOMPARE(w->innerWidth(), player.width());
            verifyRingFitsThePlayer();
            QCOMPARE(w->oCaptured->buffer().size(), player - QSize(0, 10));
        }
        QCOMPARE(f->boxes, QStringList());
        // Copy Image puts what the screen shows on the clipboard: the live video, or the shown
        // snapshot exactly, as a copy.
        for (Qt::GlobalColor colour : {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::magenta})
            f->fake->setPicture(colour), w->CaptureImage();
        f->fake->setPicture(Qt::cyan);
        QClipboard *clipboard = QGuiApplication::clipboard();
        w->findChild<QAction *>("mnuToolsCopy")->trigger();
        QCOMPARE(clipboard->image().size(), w->oCaptured->buffer().size());
        QCOMPARE(clipboard->image().pixel(clipboard->image().rect().center()), QColor(Qt::cyan).rgb());
        w->cmdPlay_Click(); // pause
        w->ShowImage(3);
        const QImage shown = w->oCaptured->buffer();
        w->mnuToolsCopy_Click();
        w->ShowImage(1);
        QCOMPARE(QColor(shown.pixel(0, 0)), QColor(Qt::blue)); // the third newest snapshot
        QCOMPARE(QColor(w->oCaptured->buffer().pixel(0, 0)), QColor(Qt::magenta));
        QCOMPARE(clipboard->image().convertToFormat(QImage::Format_RGB32), shown);
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
        QTRY_COMPARE(w->geometry(), normal);
        verifyFit();
    }
    // Short of memory for a layout: if 100 % slots fit, back to 100 % without a word; if not
    // even those, one critical message after the half-built ring is given back, the video
    // paused, capture and review harmless, and the next layout with the memory back whole.
    void shortOfMemory_data()
    {
        QTest::addColumn<Zoom>("from");
        QTest::addColumn<Zoom>("to");
        QTest::addColumn<bool>("warns");
        QTest::newRow("200 % does not fit, 100 % does") << Zoom::Percent100 << Zoom::Percent200 << false;
        QTest::newRow("200 % to 100 %") << Zoom::Percent200 << Zoom::Percent100 << true;
        QTest::newRow("fit to 100 %") << Zoom::Fit << Zoom::Percent100 << true;
        QTest::newRow("100 % to 200 %") << Zoom::Percent100 << Zoom::Percent200 << true;
    }
    void shortOfMemory()
    {
        QFETCH(Zoom, from);
        QFETCH(Zoom, to);
        QFETCH(bool, warns);
        start();
        applyZoom(from);
        QTRY_COMPARE(w->playPicture(), frmMain::PlayPicture::Pause);
        // The ring may hold available + held - reserve: 2.5 times the 100 % ring (between it
        // and the 200 % one), or nothing.
        const qint64 atHundred = w->ring().count() * snapshotBytes(QSize(160, 120));
        MemoryBudget::setAvailableOverride((warns ? 0 : atHundred * 5 / 2) - w->ring().bytesHeld()
                                           + MemoryBudget::kReserveBytes);
        applyZoom(to);
        QCOMPARE(checkedZoom(), int(Zoom::Percent100));
        QTRY_COMPARE(video()->size(), QSize(160, 120));
        QCOMPARE(f->boxes, warns ? QStringList{"Not enough video memory. Please reduce Windows color depth to 16 bit. "
                                               "Restart the application with reduced zoom or video window size."}
                                 : QStringList());
        // Critical, and a half-built ring is given back first.
        QCOMPARE(atBox, decltype(atBox)(f->boxes.size(), std::pair(MessageBox::Icon::Critical, qint64(0))));
        QCOMPARE(f->fake->PlayState(), int(warns ? MediaPlayer::Paused : MediaPlayer::Playing));
        if (!warns)
            return verifyRingFitsThePlayer();
        QTRY_VERIFY(!w->PlayTimer->isEnabled());
        QCOMPARE(w->playPicture(), frmMain::PlayPicture::Play);
        w->CaptureImage(); // neither fails on a ring short of slots
        w->ShowImage(1);
        w->ShowImage(0);
        MemoryBudget::setAvailableOverride(std::nullopt);
        w->mnuZoom200_Click();
        QTRY_COMPARE(video()->size(), QSize(320, 240));
        verifyRingFitsThePlayer();
        QCOMPARE(f->boxes.size(), 1);
    }
};

REPLIXA_TEST_MAIN(TestLayoutZoom)
#include "test_layout_zoom.moc"
