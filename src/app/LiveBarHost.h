#pragma once
// Live mode's host on the main window: the bar's sliders and the menu items of the
// commands that move in time, the caption, and the play state. It owns the live mode, and
// asks the user for a live source to open.

#include "app/Commands.h"
#include "playback/LiveMode.h"

class CommandBar;
class MediaPlayer;
class OpenHost;
class PlayControl;
class QMenuBar;
class QWidget;

class LiveBarHost final : public LiveHost {
public:
    LiveBarHost(CommandBar &bar, QMenuBar &menus, PlayControl &play, MediaPlayer &player, OpenHost &caption)
        : mBar(bar), mMenus(menus), mPlay(play), mCaption(caption), mMode(player, *this) {}

    LiveMode &mode() { return mMode; }
    // A command the window must not run now: one that moves in time while a source is live.
    bool refuses(Commands::Id id) const { return mMode.live() && Commands::movesInTime(id); }
    // Pauses the video for the dialog and returns the source chosen, "" when none.
    QString choose(QWidget *parent);

    void setSeekingEnabled(bool enabled) override;
    void setPositionText(const QString &text) override;
    void setCaption(const QString &shownName) override;
    void pauseForStop() override;

private:
    CommandBar &mBar;
    QMenuBar &mMenus;
    PlayControl &mPlay;
    OpenHost &mCaption;
    LiveMode mMode;
};
