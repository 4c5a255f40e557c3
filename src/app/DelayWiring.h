#pragma once
// The delay mirror in the main window: the View > Delay items, one of them checked, the window's
// timers, player and review answering what the mirror asks, and the showing of an offset, in
// which the live video stands for the delayed snapshot while a delay runs.

#include "app/Commands.h"
#include "review/DelayMirror.h"

#include <array>
#include <functional>

class IntervalTimer;
class MediaPlayer;
class PlayControl;
class QAction;
class QMenuBar;
class ReviewBarHost;
class ReviewStepper;
class SnapshotView;

class DelayWiring final : public DelayHost {
public:
    struct Parts {
        QMenuBar &bar;
        SnapshotRing &ring;
        RingSizing &sizing;
        SnapshotView &view;
        ReviewStepper &review;
        ReviewBarHost &reviewHost;
        PlayControl &play;
        MediaPlayer &player;
        IntervalTimer &playTimer;
        IntervalTimer &pauseTimer;
        std::function<void(qint32)> show; // the window's, which reports failures
    };
    explicit DelayWiring(Parts parts);
    ~DelayWiring();

    int seconds() const { return mMirror.seconds(); }
    // The delay stored; a value that is no item of the menu runs with no item checked.
    void restore(int seconds);
    // A command of the Delay menu picks its delay; any other is none of its business.
    void pick(Commands::Id id);
    // Shows offset k (0 the live video, or while a delay runs the delayed snapshot) with its age.
    void show(qint32 offset);
    // The play timer's tick, after its capture.
    void follow() { mMirror.follow(); }

    double secondsEach() const override;
    int msBetween() const override;
    bool playing() const override;
    void PlayMedia() override;
    void showLive() override { mParts.show(0); }
    bool reviewHeld() const override;

private:
    void take(int seconds);

    Parts mParts;
    DelayMirror mMirror;
    std::array<QAction *, 5> mItems{};
};
