#include "playback/FrameTime.h"

#include <algorithm>
#include <cmath>

namespace FrameTime {

namespace {
// Rates outside this range are no video's: a medium that tells one is taken as unknown.
bool known(double fps)
{
    return std::isfinite(fps) && fps >= 1 && fps <= 1000;
}
} // namespace

int frameMs(double fps)
{
    return known(fps) ? std::max(1, int(std::lround(1000 / fps))) : 40;
}

int playInterval(int chosenMs, double fps)
{
    return chosenMs > 0 ? chosenMs : frameMs(fps);
}

int reviewInterval(int chosenMs, double fps)
{
    return chosenMs > 0 ? chosenMs : std::clamp(frameMs(fps), 25, 100);
}

int repeatDelay(int chosenMs, double fps)
{
    if (chosenMs > 0)
        return chosenMs == 25 ? 2 : 1;
    return std::max(1, int(std::lround(100.0 / reviewInterval(chosenMs, fps))) - 1);
}

double secondsEach(int chosenMs, double fps)
{
    return chosenMs > 0 ? chosenMs / 1000.0 : known(fps) ? 1 / fps : 0.04;
}

} // namespace FrameTime
