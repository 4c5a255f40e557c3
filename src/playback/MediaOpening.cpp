#include "playback/MediaOpening.h"

#include "errors/MessageBox.h"
#include "playback/LocalName.h"
#include "playback/MediaPlayer.h"
#include "playback/PlayControl.h"
#include "settings/Numbers.h"

#include <QWidget>

namespace {

void tell(const MediaPlayer &player, const QString &name)
{
    MessageBox::show(player.ErrorDescription() + QStringLiteral("\r\n") + LocalName::shown(name),
                     MessageBox::Icon::Warning);
}

} // namespace

void MediaOpening::open(const QString &name)
{
    const bool wrapped = name.size() > 1 && name.startsWith(u'"') && name.endsWith(u'"');
    mPlay.newFile();
    mPlayer.SetFileName(wrapped ? name.mid(1, name.size() - 2) : name);
    if (mPlayer.PlayState() == MediaPlayer::Closed) {
        mHost.setCaption(QString());
        tell(mPlayer, name);
        return;
    }
    mHost.opened(Numbers::toInt32(mPlayer.Duration()), mPlayer.widget()->size());
    mHost.setCaption(LocalName::shown(mPlayer.FileName()));
    mPlay.PlayMedia();
    mHost.Form_Resize();
}

void MediaOpening::tellFailure()
{
    tell(mPlayer, mPlayer.FileName());
}
