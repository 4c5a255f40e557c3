#pragma once
// A live source (a stream or a camera) has no length and no past to seek in: while one is
// open the position slider, the jumps and slow motion are off and the read-out counts the
// time since the source opened. A source that ends, fails or sends no picture for a few
// seconds while playing is told once as stopped, and its video paused, so that the ring
// keeps its last seconds for review. A file opened after it gets everything back.

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class MediaPlayer;

// What live mode needs of the main window.
class LiveHost {
public:
    // The slider, the jumps and the speed (at normal when off).
    virtual void setSeekingEnabled(bool enabled) = 0;
    virtual void setPositionText(const QString &text) = 0;
    // The caption's name for the medium.
    virtual void setCaption(const QString &shownName) = 0;
    // The video pauses, as for a dialog: capture stops and the ring keeps what it holds.
    virtual void pauseForStop() = 0;

protected:
    ~LiveHost() = default;
};

class LiveMode : public QObject {
public:
    // Seconds without a new picture while playing that make a source stopped.
    static constexpr int kStallSeconds = 3;

    LiveMode(MediaPlayer &player, LiveHost &host);

    bool live() const { return mLive; }
    bool stopped() const { return mStopped; }
    // The position timer's tick (each second): true when taken here, for a live source.
    bool tick();
    // "Live   1:05", "Source stopped   1:05": the read-out after these seconds.
    static QString readout(qint64 seconds, bool stopped);

private:
    // A notification of the player's; opened: its open state became Open.
    void refresh(bool opened);
    void stop();

    MediaPlayer &mPlayer;
    LiveHost &mHost;
    QString mSource;      // the live source that last opened
    QElapsedTimer mSince; // since it opened
    qint64 mShownSeconds = 0;
    double mLastPosition = -1.0;
    int mStalled = 0;     // ticks without a new position while playing
    bool mLive = false;
    bool mStopped = false;
};
