// The snapshot ring's arithmetic without a screen: tile geometry, offset to slot, the
// write cursor, the allocation budget and the age label.
#include "errors/Failure.h"
#include "review/MemoryBudget.h"
#include "review/ReviewAge.h"
#include "review/SnapshotRing.h"
#include "review/TileGrid.h"

#include <QTest>

class TestReviewTables : public QObject {
    Q_OBJECT

private slots:
    void tileGeometry_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<QSize>("tile");
        QTest::addColumn<QSize>("snapshot");
        QTest::newRow("272: 45") << 272.0 << 200.0 << QSize(45, 33) << QSize(272, 200);
        QTest::newRow("273: 45.5 to even 46") << 273.0 << 200.0 << QSize(46, 33) << QSize(273, 200);
        QTest::newRow("15: 2.5 to 2") << 15.0 << 27.0 << QSize(2, 4) << QSize(15, 27);
        QTest::newRow("1080p") << 1920.0 << 1080.0 << QSize(320, 180) << QSize(1920, 1080);
        QTest::newRow("25 high: no snapshot") << 200.0 << 25.0 << QSize(33, 4) << QSize(200, 0);
        QTest::newRow("25.5 high: 26") << 200.5 << 25.5 << QSize(33, 4) << QSize(200, 26);
        QTest::newRow("nothing") << 0.0 << 0.0 << QSize(0, 0) << QSize(0, 0);
    }
    void tileGeometry()
    {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(QSize, tile);
        QFETCH(QSize, snapshot);
        QCOMPARE(TileGrid::tileSize(width, height), tile);
        QCOMPARE(TileGrid::snapshotSize(width, height), snapshot);
    }
    void tilesCopyOnlyTheirGrid()
    {
        // 272 wide: 6 tiles of 45 cover 270 columns; the last two stay as they were.
        QImage src(272, 60, QImage::Format_RGB32), dst(272, 60, QImage::Format_RGB32), small(10, 10, QImage::Format_RGB32);
        src.fill(Qt::red);
        dst.fill(Qt::blue);
        small.fill(Qt::green);
        const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255);
        TileGrid::copyTiles(src, QPoint(0, 0), dst, TileGrid::tileSize(272, 60));
        QCOMPARE(dst.pixel(269, 59), red);
        QCOMPARE(dst.pixel(270, 0), blue);
        QCOMPARE(dst.pixel(271, 30), blue);
        // A source rectangle partly outside the source is clipped, never read beyond it.
        TileGrid::copyPixels(small, QPoint(-5, 5), dst, QPoint(100, 0), QSize(20, 20));
        QCOMPARE(dst.pixel(104, 0), red);
        QCOMPARE(dst.pixel(105, 0), green);
        QCOMPARE(dst.pixel(114, 4), green);
        QCOMPARE(dst.pixel(115, 0), red);
        QCOMPARE(dst.pixel(105, 5), red);
    }
    void offsetToSlot_data()
    {
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QList<int>>("slotList"); // slots of offsets 1..N
        QTest::newRow("cursor at the top") << 5 << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("cursor in the middle") << 3 << QList<int>{4, 5, 1, 2, 3};
        QTest::newRow("cursor at the bottom") << 1 << QList<int>{2, 3, 4, 5, 1};
        QTest::newRow("N = 1") << 1 << QList<int>{1};
    }
    void offsetToSlot()
    {
        QFETCH(int, cursor);
        QFETCH(QList<int>, slotList);
        SnapshotRing ring;
        ring.setCount(slotList.size());
        ring.setCaptureSlot(cursor);
        for (int k = 1; k <= slotList.size(); ++k)
            QCOMPARE(ring.slotOfOffset(k), slotList.at(k - 1));
        QVERIFY_THROWS_EXCEPTION(Failure, ring.slotOfOffset(slotList.size() + 1));
        QVERIFY_THROWS_EXCEPTION(Failure, ring.slotOfOffset(0));
    }
    void ringSizes_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("failure"); // 0 when the count is taken
        QTest::newRow("thirty") << 30 << 0;
        QTest::newRow("empty ring") << 0 << 0;
        QTest::newRow("largest") << 32767 << 0;
        QTest::newRow("too many") << 32768 << int(Failure::Overflow);
        QTest::newRow("huge") << 2000000000 << int(Failure::Overflow);
        QTest::newRow("negative") << -1 << int(Failure::SubscriptOutOfRange);
    }
    void ringSizes()
    {
        QFETCH(int, count);
        QFETCH(int, failure);
        SnapshotRing ring;
        ring.setCount(3);
        try {
            ring.setCount(count);
            QCOMPARE(failure, 0);
            QCOMPARE(ring.count(), count);
            QCOMPARE(ring.captureSlot(), count);
        } catch (const Failure &f) {
            QCOMPARE(f.number(), failure);
            QCOMPARE(ring.count(), 3); // left as it was
        }
        if (ring.count() == 0) {
            QVERIFY(!ring.isAllocated(0));
            QVERIFY_THROWS_EXCEPTION(Failure, ring.slot(0));
            QVERIFY_THROWS_EXCEPTION(Failure, ring.slotOfOffset(1));
        }
    }
    void allocationKeepsToTheBudget()
    {
        SnapshotRing ring;
        ring.setCount(3);
        const qint64 slotBytes = 100 * 50 * 4;
        QVERIFY(ring.allocateAll(QSize(100, 50), 3 * slotBytes));
        QCOMPARE(ring.bytesHeld(), 3 * slotBytes);
        ring.markWritten(1);
        QVERIFY(ring.allocateAll(QSize(10, 10), 3 * 400)); // a new allocation is blank again
        QVERIFY(!ring.isWritten(1));
        // Two of three fit: none is kept, so a failed layout holds nothing.
        QVERIFY(!ring.allocateAll(QSize(100, 50), 3 * slotBytes - 1));
        QCOMPARE(ring.bytesHeld(), 0);
        QVERIFY(!ring.isAllocated(1));
    }
    // The system's own texts, as this machine and common containers write them.
    void memoryTexts_data()
    {
        QTest::addColumn<QByteArray>("cgroups");   // /proc/self/cgroup
        QTest::addColumn<QByteArray>("limitText"); // memory.max or memory.limit_in_bytes
        QTest::addColumn<QByteArray>("usage");
        QTest::addColumn<QByteArray>("stat");
        QTest::addColumn<bool>("unified");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<qint64>("headroom"); // -1: no limit
        const QByteArray v1 = "9:name=systemd:/\n5:devices:/\n4:memory:/process_api/9137\n3:cpuset:/\n0::/\n";
        QTest::newRow("v2, 3 GB") << QByteArray("0::/\n") << QByteArray("3221225472\n") << QByteArray("1073741824\n")
                                  << QByteArray("anon 800000000\ninactive_file 73741824\nactive_file 5\n") << true
                                  << QByteArray("/") << 3221225472ll - 1000000000ll;
        QTest::newRow("v2, none") << QByteArray("0::/user.slice/user-1000.slice/session-2.scope\n")
                                  << QByteArray("max\n") << QByteArray("5\n") << QByteArray() << true
                                  << QByteArray("/user.slice/user-1000.slice/session-2.scope") << qint64(-1);
        QTest::newRow("v1, none") << v1 << QByteArray("9223372036854771712\n") << QByteArray("875454464\n")
                                  << QByteArray() << false << QByteArray("/process_api/9137") << qint64(-1);
        QTest::newRow("v1, over") << v1 << QByteArray("536870912\n") << QByteArray("600000000\n")
                                  << QByteArray("cache 1\ntotal_inactive_file 10\n") << false
                                  << QByteArray("/process_api/9137") << qint64(0);
    }
    void memoryTexts()
    {
        QFETCH(QByteArray, cgroups);
        QFETCH(QByteArray, limitText);
        QFETCH(QByteArray, usage);
        QFETCH(QByteArray, stat);
        QFETCH(bool, unified);
        QFETCH(QByteArray, path);
        QFETCH(qint64, headroom);
        QCOMPARE(MemoryBudget::groupPath(cgroups, unified), std::optional<QByteArray>(path));
        QCOMPARE(MemoryBudget::headroom(limitText, usage, stat, unified).value_or(-1), headroom);
        const QByteArray meminfo = "MemTotal:       24683784 kB\nMemFree:        23577320 kB\n"
                                   "MemAvailable:   24021608 kB\nBuffers:           74508 kB\n";
        QCOMPARE(MemoryBudget::field(meminfo, "MemAvailable:"), std::optional<qint64>(24021608ll * 1024));
        QCOMPARE(MemoryBudget::field(meminfo, "MemAvail"), std::nullopt);
        // This machine's own figure can be read: the guard is not blind.
        QVERIFY(MemoryBudget::availableBytes().value_or(0) > 0);
    }
    void ageText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("cut, not rounded") << -0.025 << "C" << "-0.0 sec";
        QTest::newRow("-0.15") << -0.15 << "C" << "-0.1 sec";
        QTest::newRow("offset 13 at 0.1 s") << ReviewAge::seconds(100, 0, 13) << "C" << "-1.3 sec";
        QTest::newRow("quarter speed") << ReviewAge::seconds(100, 300, 1) << "C" << "-0.4 sec";
        QTest::newRow("no noise digits") << ReviewAge::seconds(100, 0, 3) << "C" << "-0.3 sec";
        QTest::newRow("the cut keeps the separator") << -12.5 << "C" << "-12. sec";
        QTest::newRow("whole") << -2.0 << "C" << "-2 sec";
        QTest::newRow("-1000 stays whole") << -1000.0 << "C" << "-1000 sec";
        QTest::newRow("long whole part, a fraction") << -16383.5 << "C" << "-16383 sec";
        QTest::newRow("decimal comma") << -0.15 << "de_DE" << "-0,1 sec";
    }
    void ageText()
    {
        QFETCH(double, seconds);
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QCOMPARE(ReviewAge::text(seconds, QLocale(locale)), text);
    }
};

QTEST_GUILESS_MAIN(TestReviewTables)
#include "test_review_tables.moc"
