#pragma once
// An interval timer of the main window: Enabled and Interval as separate properties.
// An interval of 0 never fires; enabling a running timer does not restart it; a new
// interval on a running timer starts a full interval anew.

#include <QObject>
#include <QTimer>

class IntervalTimer : public QObject {
    Q_OBJECT
public:
    explicit IntervalTimer(QObject *parent = nullptr);

    int interval() const { return mInterval; }
    void setInterval(int milliseconds);

    bool isEnabled() const { return mEnabled; }
    void setEnabled(bool enabled);
    void start() { setEnabled(true); }
    void stop() { setEnabled(false); }

    // Enabled with an interval above 0: ticks will come.
    bool isRunning() const { return mTimer.isActive(); }
    // Milliseconds to the next tick, or -1 when none will come.
    int remainingTime() const { return mTimer.remainingTime(); }

signals:
    void Timer();

private:
    void apply(bool restart);

    QTimer mTimer;
    int mInterval = 0;
    bool mEnabled = false;
};
