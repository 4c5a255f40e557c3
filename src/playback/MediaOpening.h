#pragma once
// Opening a medium by the name the user gave: on the command line, in the open dialog or by
// a drop. One that does not open is told in a message with its name, and the caption names
// no medium; one that opens is played from its start.

#include <QSize>
#include <QString>

class MediaPlayer;
class PlayControl;

// What opening needs of the main window.
class OpenHost {
public:
    // Names the medium in the caption; an empty name names none.
    virtual void setCaption(const QString &shownName) = 0;
    // The medium opened at its length (whole seconds) and size: the window takes its zoom again.
    virtual void opened(qint32 lengthSeconds, QSize video) = 0;
    // Lays the window out again, as its resize does; after the medium plays.
    virtual void Form_Resize() = 0;

protected:
    ~OpenHost() = default;
};

class MediaOpening {
public:
    MediaOpening(MediaPlayer &player, PlayControl &play, OpenHost &host)
        : mPlayer(player), mPlay(play), mHost(host) {}

    // A caller without a shell may wrap the whole name in quotes; one inside belongs to
    // the name. Failures pass to the caller.
    void open(const QString &name);
    // The player's failure while it plays, told as one of a medium that fails to open.
    void tellFailure();

private:
    MediaPlayer &mPlayer;
    PlayControl &mPlay;
    OpenHost &mHost;
};
