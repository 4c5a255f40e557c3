#pragma once
// What the chosen frame time makes of the timers. A timed choice is the interval of capture,
// of slow motion's runs and of a held review step. Every frame runs by the video's own frame
// duration: slow motion runs and stands by it, and a held step repeats at it, but no faster
// than 40 steps a second and no slower than 10.

namespace FrameTime {

// The video's frame duration in whole milliseconds (at least 1); 40 (25 fps) when its rate is unknown.
int frameMs(double fps);
// The play timer's interval for the chosen interval in milliseconds, 0 meaning every frame.
int playInterval(int chosenMs, double fps);
// The interval of a held review step.
int reviewInterval(int chosenMs, double fps);
// The review timer's ticks a held step waits before it repeats: two at 0.025 s, else one;
// with every frame, about 0.1 s of them, so that a tap of a key is one step.
int repeatDelay(int chosenMs, double fps);
// The seconds of video one snapshot stands for.
double secondsEach(int chosenMs, double fps);

} // namespace FrameTime
