#pragma once
// The options dialog beside the main window: loaded when first needed, unloaded when closed
// through its close box (its choice discarded), and what it holds applied: the frame time to
// the timers, the capture and the player, the number of snapshots to the ring through the
// memory check, which keeps the old ring when the new one does not fit.

#include <QPointer>

class IntervalTimer;
class MediaPlayer;
class QWidget;
class RingSizing;
class SnapshotRing;
class SnapshotView;
class frmOptions;

class OptionsSession {
public:
    struct Parts {
        QWidget &window;
        MediaPlayer &player;
        IntervalTimer &playTimer;
        IntervalTimer &reviewTimer;
        SnapshotView &view;
        SnapshotRing &ring;
        RingSizing &sizing;
    };
    explicit OptionsSession(Parts parts) : mParts(parts) {}
    ~OptionsSession();

    // The dialog, loaded when it is not.
    frmOptions &dialog();
    // Shows the dialog and applies the choice. Failures pass to the caller.
    void run();
    // Applies the frame time in force; again for each new medium, whose frame rate counts.
    void takeFrameTime();
    // The review timer's ticks before a held step repeats.
    int repeatDelay();
    void unload();

private:
    // The frame time in force: the chosen one, or every frame (0) for a live source.
    int intervalMs();

    Parts mParts;
    QPointer<frmOptions> mDialog;
};
