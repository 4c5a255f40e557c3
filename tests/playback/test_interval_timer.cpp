// The window's interval timers: what a new interval does to a timer that runs, is stopped, or is
// enabled at 0 (which never fires), and whether and when its next tick comes.
#include "playback/IntervalTimer.h"
#include <QtTest>

enum Next { Never, Kept, Anew }; // no tick; the tick already under way; a full new interval
struct Row { int from; bool enabled; int set; Next next; };
Q_DECLARE_METATYPE(Row)

class TestIntervalTimer : public QObject {
    Q_OBJECT
private slots:
    void newInterval_data()
    {
        QTest::addColumn<Row>("row");
        QTest::newRow("running, the same interval: keeps its tick") << Row{300, true, 300, Kept};
        QTest::newRow("running, another interval: a full one anew") << Row{300, true, 500, Anew};
        QTest::newRow("running, 0: never fires") << Row{300, true, 0, Never};
        QTest::newRow("running, below 0 is 0") << Row{300, true, -5, Never};
        QTest::newRow("stopped, another interval: stays stopped") << Row{300, false, 500, Never};
        QTest::newRow("enabled at 0, an interval: starts") << Row{0, true, 500, Anew};
        QTest::newRow("enabled at 0, 0 again: waits on") << Row{0, true, 0, Never};
    }
    void newInterval()
    {
        QFETCH(Row, row);
        IntervalTimer timer;
        timer.setInterval(row.from);
        timer.setEnabled(row.enabled);
        if (timer.isRunning())
            QTRY_VERIFY(timer.remainingTime() <= 200); // a third of the interval gone
        QSignalSpy ticks(&timer, &IntervalTimer::Timer);
        timer.setInterval(row.set);
        QCOMPARE(timer.isEnabled(), row.enabled);
        QCOMPARE(timer.interval(), qMax(row.set, 0));
        QCOMPARE(timer.isRunning(), row.next != Never);
        if (row.next == Never) {
            QCOMPARE(timer.remainingTime(), -1);
            return;
        }
        QVERIFY2(row.next == Kept ? timer.remainingTime() <= 200 : timer.remainingTime() > 400,
                 qPrintable(QString::number(timer.remainingTime())));
        QVERIFY(ticks.wait(2000));
        QTRY_VERIFY(timer.remainingTime() <= row.set - 100);
        timer.setEnabled(true); // enabling a running timer does not restart it
        QVERIFY(timer.remainingTime() <= row.set - 100);
    }
};

QTEST_GUILESS_MAIN(TestIntervalTimer)
#include "test_interval_timer.moc"
