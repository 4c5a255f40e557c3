// The layouts against a window that records them: zoom, fit and full screen from a given window and
// video, with 15 twips a pixel, a frame of 10 x 30 pixels and a menu bar of 20; and the frame watch.
#include "app/WindowFrameWatch.h"
#include "app/WindowLayout.h"
#include <QtTest>

using Zoom = LayoutHost::Zoom;
struct Row { QString steps; QSize video, player; QRect geometry; int layouts; };
Q_DECLARE_METATYPE(Row)

struct Window : LayoutHost {
    WindowLayout layout{*this};
    QRect geometry{100, 100, 592, 571}; // without the frame
    QSize frame{10, 30}, video{480, 360};
    QRect player{0, 40, 239, 181};
    int bar = 20, layouts = 0;
    Zoom checked = Zoom::Percent100;
    std::function<void()> redo;
    void resize(QRect to) { std::exchange(geometry, to).size() == to.size() ? void() : layout.resized(); }
    Metrics metrics() const override
    {
        return {geometry.size() + frame, geometry.size() - QSize(0, bar), video, player, geometry, {15, 15}};
    }
    Zoom zoom() const override { return checked; }
    void setZoom(Zoom zoom) override { checked = zoom; }
    void leaveMaximized() override {}
    void setOuterTwips(double w, double h) override
    {
        resize({geometry.topLeft(), QSize(qRound(w / 15), qRound(h / 15)) - frame});
    }
    void againWhenFramed(std::function<void()> sizing) override { redo = sizing; }
    void Form_Resize() override { layout.resized(); }
    void layOut(QSize size) override { player.setSize(size), ++layouts; }
    void showChrome(bool show) override { bar = show ? 20 : 0, frame = show ? QSize(10, 30) : QSize(); }
    void setFullScreen(bool on, QRect normal) override { resize(on ? QRect(0, 0, 1280, 1024) : normal); }
};

class TestWindowLayout : public QObject {
    Q_OBJECT
private slots:
    // Steps: 1 and 2 zoom, f fits, s toggles full screen and fits, w: the window manager frames a
    // window zoomed to 100 % without a frame. Then the player's size, the window's geometry, the
    // layouts done.
    void layouts_data()
    {
        QTest::addColumn<Row>("row");
        QTest::newRow("100 %") << Row{"1", {480, 360}, {480, 360}, {100, 100, 480, 420}, 1};
        QTest::newRow("100 %, 6500 twips wide") << Row{"1", {160, 120}, {160, 120}, {100, 100, 423, 180}, 1};
        QTest::newRow("framed later") << Row{"w", {160, 120}, {160, 120}, {100, 100, 423, 180}, 2};
        QTest::newRow("200 %") << Row{"2", {160, 120}, {320, 240}, {100, 100, 320, 300}, 1};
        QTest::newRow("the same size still lays out") << Row{"11", {480, 360}, {480, 360}, {100, 100, 480, 420}, 2};
        QTest::newRow("fit") << Row{"f", {160, 120}, {592, 511}, {100, 100, 592, 571}, 1};
        QTest::newRow("full screen") << Row{"s", {160, 120}, {1280, 984}, {0, 0, 1280, 1024}, 2};
        QTest::newRow("full screen and back") << Row{"1ss", {480, 360}, {480, 360}, {100, 100, 480, 420}, 5};
    }
    void layouts()
    {
        QFETCH(Row, row);
        Window window;
        window.video = row.video;
        for (const QChar step : row.steps) {
            switch (step.toLatin1()) {
            case 'f': window.layout.fit(); break;
            case 's': window.layout.toggleFullScreen(), window.layout.fit(); break;
            case 'w': window.frame = {}, window.layout.zoom(1), window.frame = {10, 30}, window.redo(); break;
            default: window.layout.zoom(step.digitValue());
            }
        }
        QCOMPARE(std::tuple(window.player.size(), window.geometry, window.layouts),
                 std::tuple(row.player, row.geometry, row.layouts));
        QCOMPARE(window.layout.fullScreen(), row.steps.count('s') % 2 == 1);
    }
    // The sizing is done again once the window is framed; where no frame comes it is dropped.
    void frameWatch()
    {
        for (const bool frameless : {false, true}) {
            QWidget window;
            window.setWindowFlag(Qt::FramelessWindowHint, frameless);
            auto *watch = new WindowFrameWatch(&window, 200);
            int sizings = 0;
            watch->againWhenFramed([&] { ++sizings; });
            window.show();
            QTRY_VERIFY(!watch->watching());
            QTRY_COMPARE(sizings, frameless ? 0 : 1);
        }
    }
};

QTEST_MAIN(TestWindowLayout)
#include "test_window_layout.moc"
