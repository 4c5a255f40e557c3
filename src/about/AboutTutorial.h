#pragma once
// The About box's tutorial: a mock of the review that plays by itself. Frame 0 shows
// with no button for two seconds, the right button steps forward through frames 1 to 5,
// the left button back through 4 to 0, then frame 0 rests a second and it starts again:
// eleven seconds a round, one step a tick of the box's timer.

// What the tutorial needs of the box.
class TutorialHost {
public:
    virtual ~TutorialHost() = default;
    // Shows which mouse button the mock holds: 1 the right one (stepping forward), -1 the
    // left one (stepping back), 0 none.
    virtual void showPhase(int step) = 0;
    // Shows tutorial frame n; fails when its picture cannot be read.
    virtual void showFrame(int n) = 0;
    virtual void stopTimer() = 0;
};

class AboutTutorial {
public:
    static constexpr int kLastFrame = 5;

    explicit AboutTutorial(TutorialHost &host) : mHost(host) {}

    int miFrame() const { return mFrame; }
    int miFrameStep() const { return mFrameStep; }

    // Frame 0, stepping forward next; a failure goes to the caller.
    void start();
    // One tick: picks the phase, shows it and the next frame. A failure stops the timer
    // without a word and leaves shown what is shown.
    void Timer1_Timer();

private:
    TutorialHost &mHost;
    int mFrame = 0;
    int mFrameStep = 0;
};
