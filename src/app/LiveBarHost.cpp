#include "app/LiveBarHost.h"

#include "app/CommandBar.h"
#include "playback/MediaOpening.h"
#include "playback/PlayControl.h"
#include "playback/SlowMotion.h"
#include "playback/frmOpenLive.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QSlider>

QString LiveBarHost::choose(QWidget *parent)
{
    mPlay.pauseForDialog();
    return frmOpenLive::choose(parent);
}

void LiveBarHost::setSeekingEnabled(bool enabled)
{
    if (!enabled) {
        mBar.PositionSlider->setValue(0);
        // Told to slow motion as the user's move would be: the stands end and the sound returns.
        mBar.SpeedSlider->setValue(SlowMotion::Normal);
    }
    mBar.PositionSlider->setEnabled(enabled);
    mBar.SpeedSlider->setEnabled(enabled);
    for (const Commands::Command &command : Commands::table()) {
        if (QAction *item = mMenus.findChild<QAction *>(QLatin1String(command.name)); item && Commands::movesInTime(command.id))
            item->setEnabled(enabled);
    }
}

void LiveBarHost::setPositionText(const QString &text)
{
    mBar.lblPosition->setText(text);
}

void LiveBarHost::setCaption(const QString &shownName)
{
    mCaption.setCaption(shownName);
}

void LiveBarHost::pauseForStop()
{
    mPlay.pauseForDialog();
}
