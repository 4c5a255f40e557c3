// The snapshot ring's arithmetic without a screen: tile geometry, the ring's size and bounds, the
// memory it is handed, its sizing for a layout, the memory left and the age label (the window's tests show offset to slot
// and the ring's budget).
#include "errors/Failure.h"
#include "errors/MessageBox.h"
#include "playback/FrameTime.h"
#include "review/DelayMirror.h"
#include "review/MemoryBudget.h"
#include "review/ReviewAge.h"
#include "review/ReviewPicture.h"
#include "review/RingSizing.h"
#include "review/SnapshotRing.h"
#include "review/TileGrid.h"
#include <QTest>

namespace {
// Gives the images it was given once, and nothing after.
struct OnceMemory : SlotMemory {
    QList<QImage> given;
    QList<QImage> images(QSize, qsizetype) override { return std::exchange(given, {}); }
};
// The system's texts as this machine and containers write them: /proc/self/cgroup, memory.max or
// memory.limit_in_bytes, the usage and memory.stat; the group's path and headroom (-1: no limit).
struct Memory { QByteArray cgroups, limit, usage, stat; bool unified; QByteArray path; qint64 headroom; };
// A window of a 40 x 30 video, zoomed to the given size, that logs what the sizing asks of it:
// p: a review picture placed, z: a zoom to 100 % and what a sizing asked for by its resize gives.
struct Layout : RingSizingHost {
    RingSizing *sizing = nullptr;
    QSize video;
    QString log;
    QSize videoSize() const override { return video; }
    void placeReviewPicture(QSize s) override { log += QStringLiteral("p%1x%2 ").arg(s.width()).arg(s.height()); }
    bool atHundredPercent() const override { return video == QSize(40, 30); }
    void zoomToHundredPercent() override { video = {40, 30}, log += QStringLiteral("z%1 ").arg(int(sizing->size())); }
    void pauseForMessage() override { log += "pause "; }
};
} // namespace
Q_DECLARE_METATYPE(Memory)
class TestReviewTables : public QObject {
    Q_OBJECT
private slots:
    void tileGeometry_data()
    {
        QTest::addColumn<QSizeF>("player");
        QTest::addColumn<QSize>("tile");
        QTest::addColumn<QSize>("snapshot");
        QTest::newRow("272: 45") << QSizeF(272, 200) << QSize(45, 33) << QSize(272, 200);
        QTest::newRow("273: 45.5 to even 46") << QSizeF(273, 200) << QSize(46, 33) << QSize(273, 200);
        QTest::newRow("15: 2.5 to 2") << QSizeF(15, 27) << QSize(2, 4) << QSize(15, 27);
        QTest::newRow("25 high: no snapshot") << QSizeF(200, 25) << QSize(33, 4) << QSize(200, 0);
        QTest::newRow("25.5 high: 26") << QSizeF(200.5, 25.5) << QSize(33, 4) << QSize(200, 26);
    }
    void tileGeometry()
    {
        QFETCH(QSizeF, player);
        QTEST(TileGrid::tileSize(player.width(), player.height()), "tile");
        QTEST(TileGrid::snapshotSize(player.width(), player.height()), "snapshot");
    }
    void tilesCopyOnlyTheirGrid()
    {
        // 272 wide: 6 tiles of 45 cover 270 columns; the last two stay as they were.
        const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255);
        const auto filled = [](QSize s, QRgb c) { QImage i(s, QImage::Format_RGB32); i.fill(c); return i; };
        QImage dst = filled({272, 60}, blue);
        TileGrid::copyTiles(filled({272, 60}, red), QPoint(0, 0), dst, QSize(45, 10));
        const QList<QRgb> edge{dst.pixel(269, 59), dst.pixel(270, 0), dst.pixel(271, 30)};
        QCOMPARE(edge, (QList<QRgb>{red, blue, blue}));
        // A source rectangle partly outside the source is clipped, never read beyond it.
        TileGrid::copyPixels(filled({10, 10}, green), QPoint(-5, 5), dst, QPoint(100, 0), QSize(20, 20));
        const QList<QRgb> clipped{dst.pixel(104, 0), dst.pixel(105, 0), dst.pixel(114, 4), dst.pixel(115, 0),
                                  dst.pixel(105, 5)};
        QCOMPARE(clipped, (QList<QRgb>{red, green, green, red, red}));
    }
    void ringSizes_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("failure"); // 0 when the count is taken
        QTest::newRow("empty ring") << 0 << 0;
        QTest::newRow("largest") << 32767 << 0;
        QTest::newRow("too many") << 32768 << int(Failure::Overflow);
        QTest::newRow("negative") << -1 << int(Failure::SubscriptOutOfRange);
    }
    void ringSizes()
    {
        QFETCH(int, count);
        QFETCH(int, failure);
        SnapshotRing ring;
        ring.setCount(3);
        const int caller = __LINE__ + 2;
        try {
            ring.setCount(count);
            QCOMPARE(failure, 0);
            QCOMPARE(std::pair(ring.count(), ring.captureSlot()), std::pair(count, count)); // cursor at the top
        } catch (const Failure &f) {
            QCOMPARE(f.number(), failure);
            QCOMPARE(f.line(), caller); // the caller's line, as a report names it
            QCOMPARE(ring.count(), 3); // left as it was
        }
        // No slot outside 1..count, nor offset.
        QVERIFY_THROWS_EXCEPTION(Failure, ring.slot(0));
        QVERIFY_THROWS_EXCEPTION(Failure, ring.slotOfOffset(0));
        QVERIFY_THROWS_EXCEPTION(Failure, ring.slotOfOffset(ring.count() + 1));
        QVERIFY_THROWS_EXCEPTION(Failure, ring.slot(ring.count() + 1));
    }
    // The ring's memory gives its slots when it can; else, or when the budget is short, the heap does.
    void ringMemory()
    {
        SnapshotRing ring;
        ring.setCount(2);
        auto memory = std::make_unique<OnceMemory>();
        const QList<QImage> kept{QImage(4, 3, QImage::Format_RGB32), QImage(4, 3, QImage::Format_RGB32)};
        memory->given = kept;
        const QList<const uchar *> given{kept[0].constBits(), kept[1].constBits()};
        ring.setMemory(std::move(memory));
        QVERIFY(ring.allocateAll({4, 3}, 96));
        QCOMPARE((QList<const uchar *>{ring.slot(1).constBits(), ring.slot(2).constBits()}), given);
        QVERIFY(ring.allocateAll({4, 3}, 96)); // none given: heap
        QVERIFY(ring.slot(1).size() == QSize(4, 3) && !given.contains(ring.slot(1).constBits()));
        QVERIFY(!ring.allocateAll({4, 3}, 95));
        QCOMPARE(ring.bytesHeld(), 0);
    }
    // A ring of two slots sized three times for a layout, the last time as a new one, with the memory
    // left after the reserve; each gives =0 fits, =1 fits at 100 %, =2 too little, 3 pending. A shortage
    // is told once a layout, the video paused first and the ring given back.
    void ringSizing_data()
    {
        QTest::addColumn<QSize>("zoomed");
        QTest::addColumn<int>("memory");
        QTest::addColumn<QString>("log");
        QTest::newRow("fits at 200 %") << QSize(80, 60) << 38400 << "p80x50 =0 p80x50 =0 p80x50 =0 ";
        QTest::newRow("100 % fits to the byte") << QSize(80, 60) << 9600 << "p80x50 z3 p40x20 =1 p40x20 =0 p40x20 =0 ";
        QTest::newRow("not even 100 %") << QSize(80, 60) << 9599
                                        << "p80x50 z3 p40x20 pause box =2 p40x20 =2 p40x20 pause box =2 ";
        QTest::newRow("none at 100 %") << QSize(40, 30) << 0 << "p40x20 pause box =2 p40x20 =2 p40x20 pause box =2 ";
    }
    void ringSizing()
    {
        QFETCH(QSize, zoomed);
        QFETCH(int, memory);
        SnapshotRing ring;
        ring.setCount(2);
        Layout layout;
        RingSizing sizing(ring, layout);
        layout.sizing = &sizing, layout.video = zoomed;
        MessageBox::setPresenter([&](const QString &, const QString &text, MessageBox::Icon icon) {
            const bool told = text == "Not enough video memory. Restart the application with reduced zoom or video window "
                                      "size, or keep fewer snapshots (Edit > Options).";
            layout.log += told && icon == MessageBox::Icon::Critical && ring.bytesHeld() == 0 ? "box " : "?";
        });
        MemoryBudget::setAvailableOverride(MemoryBudget::kReserveBytes + memory);
        for (int i = 0; i < 3; ++i) {
            if (i == 2)
                sizing.newLayout();
            layout.log += QStringLiteral("=%1 ").arg(int(sizing.size()));
        }
        MemoryBudget::setAvailableOverride(std::nullopt), MessageBox::setPresenter({});
        QTEST(layout.log, "log");
    }
    // A new layout, even at the same size, lets go of the snapshot shown, so that the old ring's
    // memory is given back before the new is taken.
    void layoutLetsGoOfTheSnapshot()
    {
        QImage snapshot(8, 8, QImage::Format_RGB32);
        snapshot.fill(Qt::white);
        ReviewPicture picture;
        picture.setPictureSize({8, 8});
        picture.showSnapshot(snapshot);
        QVERIFY(!snapshot.isDetached());
        picture.setPictureSize({8, 8});
        QVERIFY(snapshot.isDetached());
        QCOMPARE(picture.buffer().pixel(0, 0), qRgb(0, 0, 0));
    }
    // The snapshot a delay of 0, 2, 20 and 60 s shows in a full ring, and the ring it needs: a timed
    // frame time counts snapshots back, every frame takes the stamp nearest the newest's less the
    // delay; a ring that has taken only 3 snapshots shows its oldest.
    void delayChoice_data()
    {
        QTest::addColumn<int>("ms"); // 0: every frame
        QTest::addColumn<double>("fps");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QString>("offsets");
        QTest::newRow("25 ms") << 25 << 0. << "0 81 801 2401" << "0 80 800 2400";
        QTest::newRow("40 ms") << 40 << 0. << "0 51 501 1501" << "0 50 500 1500";
        QTest::newRow("100 ms") << 100 << 0. << "0 21 201 601" << "0 20 200 600";
        QTest::newRow("500 ms") << 500 << 0. << "0 5 41 121" << "0 4 40 120";
        QTest::newRow("every frame, 30 fps") << 0 << 30. << "0 61 601 1801" << "0 61 601 1801";
        QTest::newRow("every frame, 60 fps") << 0 << 60. << "0 121 1201 3601" << "0 121 1201 3601";
    }
    void delayChoice()
    {
        QFETCH(int, ms);
        QFETCH(double, fps);
        const auto ring = [&](qint32 size, int captures) {
            auto r = std::make_unique<SnapshotRing>();
            r->setCount(size);
            for (int i = 0; i < captures; ++i, r->setCaptureSlot(r->captureSlot() > 1 ? r->captureSlot() - 1 : size))
                r->markWritten(r->captureSlot(), 7 + i * (ms ? ms / 1000. : 1 / fps));
            return r;
        };
        QStringList counts, offsets;
        for (const int delay : {0, 2, 20, 60}) {
            const qint32 count = DelayMirror::ringCount(delay, ms ? ms / 1000. : 1 / fps);
            counts << QString::number(count);
            offsets << QString::number(DelayMirror::offsetIn(*ring(count + 5, count + 5), delay, ms));
            QCOMPARE(DelayMirror::offsetIn(*ring(count + 5, 3), delay, ms), delay ? 3 : 0);
        }
        QTEST(counts.join(' '), "counts");
        QTEST(offsets.join(' '), "offsets");
    }
    // Ticks meant 0.1 s apart that came late, or stood through a pause: the stamps tell the snapshot 2 s back.
    void delayByStamps_data()
    {
        QTest::addColumn<QList<double>>("gaps"); // seconds between the snapshots, oldest first
        QTest::addColumn<int>("offset");
        QTest::newRow("on time") << QList<double>(30, .1) << 20;
        QTest::newRow("late ticks") << QList<double>(30, .25) << 9; // 2.1 s back, nearer than 1.85
        QTest::newRow("a pause") << QList<double>(20, .1) + QList<double>{30} + QList<double>(9, .1) << 20;
    }
    void delayByStamps()
    {
        QFETCH(QList<double>, gaps);
        SnapshotRing ring;
        ring.setCount(40);
        double stamp = 7;
        for (const double gap : gaps)
            ring.markWritten(ring.captureSlot(), stamp += gap), ring.setCaptureSlot(ring.captureSlot() - 1);
        QTEST(DelayMirror::offsetIn(ring, 2, 100), "offset");
    }
    // A delay the memory does not hold is told with the one it does, and the old ring goes on; one
    // that fits grows the ring, and off gives back what it grew.
    void delayShortOfMemory()
    {
        struct : DelayHost {
            double secondsEach() const override { return 0.1; }
            int msBetween() const override { return 100; }
            bool playing() const override { return false; }
            bool reviewHeld() const override { return false; }
            void PlayMedia() override {} void showLive() override {}
        } host;
        SnapshotRing ring;
        ring.setCount(2);
        Layout layout;
        RingSizing sizing(ring, layout);
        layout.sizing = &sizing, layout.video = {40, 30}; // 4800 bytes a snapshot
        QStringList boxes;
        MessageBox::setPresenter([&](const QString &, const QString &text, MessageBox::Icon) { boxes << text; });
        MemoryBudget::setAvailableOverride(MemoryBudget::kReserveBytes + 55 * 4800);
        DelayMirror mirror(ring, sizing, host);
        QStringList counts;
        for (const int delay : {10, 5, 0})
            mirror.pick(delay), counts << QString::number(ring.count());
        MemoryBudget::setAvailableOverride(std::nullopt), MessageBox::setPresenter({});
        QCOMPARE(counts.join(' '), "2 52 2"); // the delay's 51 and the 2 kept behind it
        QCOMPARE(boxes, QStringList("Not enough video memory. Restart the application with reduced zoom or video window size, "
                                    "or keep fewer snapshots (Edit > Options). A delay of at most 5 sec fits."));
    }
    void memoryTexts_data()
    {
        QTest::addColumn<Memory>("row");
        const QByteArray group = "/process_api/9137", session = "/user.slice/user-1000.slice/session-2.scope";
        const QByteArray v1 = "9:name=systemd:/\n5:devices:/\n4:memory:" + group + "\n3:cpuset:/\n0::/\n";
        const QByteArray v2stat = "anon 800000000\ninactive_file 73741824\nactive_file 5\n";
        const QByteArray v1stat = "cache 1\ntotal_inactive_file 10\n";
        QTest::newRow("v2, 3 GB") << Memory{"0::/\n", "3221225472\n", "1073741824\n", v2stat, true, "/", 2221225472ll};
        QTest::newRow("v2, none") << Memory{"0::" + session + "\n", "max\n", "5\n", "", true, session, -1};
        QTest::newRow("v1, none") << Memory{v1, "9223372036854771712\n", "875454464\n", "", false, group, -1};
        QTest::newRow("v1, over") << Memory{v1, "536870912\n", "600000000\n", v1stat, false, group, 0};
    }
    void memoryTexts()
    {
        QFETCH(Memory, row);
        QCOMPARE(MemoryBudget::groupPath(row.cgroups, row.unified), std::optional<QByteArray>(row.path));
        QCOMPARE(MemoryBudget::headroom(row.limit, row.usage, row.stat, row.unified).value_or(-1), row.headroom);
        const QByteArray meminfo = "MemTotal:       24683784 kB\nMemFree:        23577320 kB\n"
                                   "MemAvailable:   24021608 kB\nBuffers:           74508 kB\n";
        QCOMPARE(MemoryBudget::field(meminfo, "MemAvailable:"), std::optional<qint64>(24021608ll * 1024));
        QCOMPARE(MemoryBudget::field(meminfo, "MemAvail"), std::nullopt);
        QVERIFY(MemoryBudget::availableBytes().value_or(0) > 0); // this machine's own figure can be read
    }
    // A held step's wait before it repeats, in review ticks: a tap of a key is one step.
    void repeatDelay_data()
    {
        QTest::addColumn<int>("chosen"); // ms, 0 every frame
        QTest::addColumn<double>("fps");
        QTest::addColumn<int>("ticks");
        QTest::newRow("0.025 s") << 25 << 60. << 2;
        QTest::newRow("0.05 s") << 50 << 60. << 1;
        QTest::newRow("every frame at 60 fps, 25 ms ticks") << 0 << 60. << 3;
        QTest::newRow("every frame at 30 fps") << 0 << 30. << 2;
        QTest::newRow("every frame at 5 fps, 100 ms ticks") << 0 << 5. << 1;
    }
    void repeatDelay()
    {
        QFETCH(int, chosen);
        QFETCH(double, fps);
        QTEST(FrameTime::repeatDelay(chosen, fps), "ticks");
    }
    // What a count of snapshots means, in the options dialog.
    void historyText_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("secondsEach");
        QTest::addColumn<qint64>("bytesEach");
        QTest::addColumn<QString>("text");
        QTest::newRow("300 frames of 720p60") << 300 << 1 / 60. << 3686400ll << "300 snapshots — 5.0 sec — 1.0 GB";
        QTest::newRow("30 of 160 x 120 at 0.05 s") << 30 << 0.05 << 76800ll << "30 snapshots — 1.5 sec — 2.2 MB";
        QTest::newRow("none") << 0 << 0.5 << 76800ll << "0 snapshots — 0.0 sec — 0 bytes";
    }
    void historyText()
    {
        QFETCH(int, count);
        QFETCH(double, secondsEach);
        QFETCH(qint64, bytesEach);
        QTEST(RingSizing::history(count, secondsEach, bytesEach, QLocale::c()), "text");
    }
    void ageText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("cut, not rounded") << -0.025 << "-0.0 sec";
        QTest::newRow("quarter speed") << ReviewAge::seconds(100, 300, 1) << "-0.4 sec";
        QTest::newRow("no noise digits") << ReviewAge::seconds(100, 0, 3) << "-0.3 sec";
        QTest::newRow("the cut keeps the separator") << -12.5 << "-12. sec";
        QTest::newRow("-1000 stays whole") << -1000.0 << "-1000 sec";
        QTest::newRow("long whole part, a fraction") << -16383.5 << "-16383 sec";
    }
    void ageText()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(ReviewAge::text(seconds, QLocale::c()), text);
        QCOMPARE(ReviewAge::text(seconds, QLocale(QLocale::German)), QString(text).replace('.', ',')); // decimal comma
    }
};

QTEST_MAIN(TestReviewTables)
#include "test_review_tables.moc"
