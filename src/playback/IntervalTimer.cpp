#include "playback/IntervalTimer.h"

IntervalTimer::IntervalTimer(QObject *parent) : QObject(parent)
{
    mTimer.setTimerType(Qt::PreciseTimer);
    connect(&mTimer, &QTimer::timeout, this, &IntervalTimer::Timer);
}

void IntervalTimer::setInterval(int milliseconds)
{
    const int interval = milliseconds < 0 ? 0 : milliseconds;
    const bool changed = interval != mInterval;
    mInterval = interval;
    apply(changed);
}

void IntervalTimer::setEnabled(bool enabled)
{
    if (enabled == mEnabled)
        return;
    mEnabled = enabled;
    apply(true);
}

void IntervalTimer::apply(bool restart)
{
    if (!mEnabled || mInterval == 0) {
        mTimer.stop();
        return;
    }
    if (restart || !mTimer.isActive())
        mTimer.start(mInterval);
}
