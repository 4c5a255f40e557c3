#include "playback/PositionControl.h"

#include "errors/FailurePatterns.h"
#include "settings/Numbers.h"

QString PositionControl::minutesAndSeconds(qint64 seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString PositionControl::readout(qint32 lengthSeconds, qint32 positionSeconds)
{
    return QStringLiteral("Position  ( ") + minutesAndSeconds(lengthSeconds) + QStringLiteral(" )   ")
           + minutesAndSeconds(positionSeconds);
}

void PositionControl::timerTick()
{
    qint32 position = 0;
    ignoreFailure([&] { position = Numbers::toInt32(mPlayer.CurrentPosition()); });
    ignoreFailure([&] {
        const qint32 length = mHost.lengthSeconds();
        if (length == 0)
            return mHost.setPositionSliderValue(0);
        qint32 product = 0;
        // The product is whole-numbered: a position beyond about 276 days overflows it.
        if (qMulOverflow(position, mHost.positionSliderMaximum(), &product))
            raiseFailure(Failure::Overflow);
        mHost.setPositionSliderValue(Numbers::toInt32(double(product) / length));
    });
    ignoreFailure([&] { mHost.setPositionText(readout(mHost.lengthSeconds(), position)); });
}

void PositionControl::sliderScrolled()
{
    // The component's own length, not the whole seconds, so the right end is the very end.
    ignoreFailure([&] {
        mPlayer.SetCurrentPosition(mPlayer.Duration() * mHost.positionSliderValue() / mHost.positionSliderMaximum());
    });
    ignoreFailure([&] { timerTick(); });
    ignoreFailure([&] { mHost.afterSliderChange(); });
}

void PositionControl::jumpBack(qint32 seconds)
{
    // There is no jump to the start: too near it, the command does nothing.
    if (mPlayer.CurrentPosition() < seconds)
        return;
    mHost.ShowImage(0);
    mPlayer.SetCurrentPosition(mPlayer.CurrentPosition() - seconds);
}

void PositionControl::jumpForward(qint32 seconds)
{
    // No check against the length: what lies past the end is the component's affair.
    mHost.ShowImage(0);
    mPlayer.SetCurrentPosition(mPlayer.CurrentPosition() + seconds);
}
