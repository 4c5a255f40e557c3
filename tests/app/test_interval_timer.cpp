// The window's interval timers: Enabled and Interval as separate properties.

#include "app/IntervalTimer.h"

#include <QSignalSpy>
#include <QTest>

class TestIntervalTimer : public QObject {
    Q_OBJECT

private slots:
    void zeroIntervalNeverFires()
    {
        IntervalTimer timer;
        timer.setEnabled(true);
        QVERIFY(timer.isEnabled());
        QVERIFY(!timer.isRunning());
        QCOMPARE(timer.remainingTime(), -1);
        // An interval given later starts it, since it is enabled.
        QSignalSpy ticks(&timer, &IntervalTimer::Timer);
        timer.setInterval(10);
        QVERIFY(ticks.wait());
        timer.setInterval(0);
        QVERIFY(!timer.isRunning());
        QVERIFY(timer.isEnabled());
    }

    void enablingARunningTimerKeepsItsTick()
    {
        IntervalTimer timer;
        timer.setInterval(1000);
        timer.start();
        QTRY_VERIFY(timer.remainingTime() < 950);
        timer.setEnabled(true);
        QVERIFY(timer.remainingTime() < 950);
        // Setting the same interval again changes nothing either.
        timer.setInterval(1000);
        QVERIFY(timer.remainingTime() < 950);
    }

    void newIntervalStartsAFullIntervalAnew()
    {
        IntervalTimer timer;
        timer.setInterval(1000);
        timer.start();
        QTRY_VERIFY(timer.remainingTime() < 950);
        timer.setInterval(5000);
        QVERIFY(timer.remainingTime() > 4900);
    }

    void disabledTimerKeepsItsInterval()
    {
        IntervalTimer timer;
        timer.setInterval(50);
        timer.start();
        timer.stop();
        QVERIFY(!timer.isRunning());
        QCOMPARE(timer.interval(), 50);
        timer.setInterval(20); // a disabled timer stays silent whatever its interval
        QVERIFY(!timer.isRunning());
        timer.start();
        QVERIFY(timer.isRunning());
    }
};

QTEST_GUILESS_MAIN(TestIntervalTimer)
#include "test_interval_timer.moc"
