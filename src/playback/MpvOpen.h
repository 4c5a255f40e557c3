#pragma once
// Opening a file in mpv and waiting for the outcome. The component's contract blocks:
// SetFileName returns only once the file has opened or failed, because its caller reads
// the picture's size, the length and the play state right after the call, and tells a
// failed open before anything else can happen. mpv opens on threads of its own and tells
// the outcome as events, so the wait takes mpv's events itself, on the UI thread and for
// a bounded time: nothing else calls into mpv meanwhile, and the window does not repaint
// until the wait is over. Each event taken here is handed on to the player too, which
// leaves mpv's queue alone while waiting() is true.

#include <QSize>
#include <QString>

#include <functional>
#include <optional>

struct mpv_handle;
struct mpv_event;

class MpvOpen {
public:
    using EventHandler = std::function<void(const mpv_event &)>;
    MpvOpen(mpv_handle *mpv, EventHandler handler) : mMpv(mpv), mHandler(std::move(handler)) {}

    // Why a name is not one local media file that can be handed to the engine, or an
    // empty text when it is.
    static QString refusal(const QString &name);
    // An engine's error code as the message a user reads.
    static QString engineFailure(int error);
    // Turns the picture of a medium tagged as rotated upright, through a video filter;
    // called once the file is open and before its decoders exist.
    static void turnUpright(mpv_handle *mpv);

    struct Opened {
        QSize size;
        double duration = 0.0; // 0 when unknown
    };
    // Loads the file at this absolute path, or the live source, and waits (15 s at most, 5 s
    // for a live source) until it opens; nullopt with why set when it does not, and then
    // nothing of it is left loaded.
    std::optional<Opened> open(const QString &absolutePath, QString &why, bool live = false);
    // Unloads whatever mpv holds and waits (5 s at most) for it to end.
    void unload();
    bool waiting() const { return mWaiting; }

private:
    std::optional<Opened> waitForOpen(QString &why, bool live);

    mpv_handle *mMpv;
    EventHandler mHandler;
    bool mWaiting = false;
};
