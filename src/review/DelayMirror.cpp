#include "review/DelayMirror.h"

#include <algorithm>
#include <cmath>
#include <utility>

qint32 DelayMirror::ringCount(int seconds, double secondsEach)
{
    if (seconds <= 0 || !(secondsEach > 0))
        return 0;
    // A delay of whole snapshots is not pushed one further by the rounding of the division.
    const double spans = std::ceil(seconds / secondsEach - 1e-6);
    return qint32(std::min<double>(spans + 1, SnapshotRing::kMaxCount));
}

qint32 DelayMirror::offsetIn(const SnapshotRing &ring, int seconds, int msBetween)
{
    if (seconds <= 0 || ring.count() == 0)
        return 0;
    const auto written = [&ring](qint32 offset) { return ring.isWritten(ring.slotOfOffset(offset)); };
    if (msBetween <= 0) {
        // Captures write the offsets from the newest on, so the written ones run unbroken from 1.
        const double target = written(1) ? ring.stamp(ring.slotOfOffset(1)) - seconds : 0;
        qint32 nearest = 0;
        for (qint32 k = 1; k <= ring.count() && written(k); ++k) {
            if (nearest == 0 || std::abs(ring.stamp(ring.slotOfOffset(k)) - target) <
                                    std::abs(ring.stamp(ring.slotOfOffset(nearest)) - target))
                nearest = k;
        }
        return nearest;
    }
    // Snapshots are meant msBetween apart, the newest one gap old; a busy machine delays ticks
    // and then brings them in bursts, so the stamps tell the ages. A gap far longer than meant
    // is a pause or a stall, in which the video stood, and counts as one. Until the ring holds
    // the delay (a new ring, a start), the oldest snapshot written stands in.
    const double each = msBetween / 1000.0;
    double age = each, before = 0;
    qint32 k = 1;
    for (; k <= ring.count() && written(k); ++k) {
        if (k > 1) {
            const double gap = ring.stamp(ring.slotOfOffset(k - 1)) - ring.stamp(ring.slotOfOffset(k));
            age += gap > 0 && gap < 3 * each ? gap : each;
        }
        if (age >= seconds)
            return k > 1 && seconds - before < age - seconds ? k - 1 : k;
        before = age;
    }
    return k - 1;
}

void DelayMirror::pick(int seconds)
{
    mSeconds = seconds;
    mTried = -1; // a pick is told again what does not fit
    fit();
    if (!mHost.reviewHeld())
        mHost.showLive();
}

qint32 DelayMirror::shown(qint32 asked) const
{
    return asked == 0 && mSeconds > 0 ? offsetIn(mRing, mSeconds, mHost.msBetween()) : asked;
}

void DelayMirror::follow()
{
    fit();
    if (mSeconds > 0 && !mHost.reviewHeld())
        mHost.showLive();
}

void DelayMirror::released()
{
    if (mSeconds == 0)
        return;
    if (std::exchange(mResume, false))
        mHost.PlayMedia(); // its start shows the live video, that is the delayed snapshot
    else
        mHost.showLive();
}

void DelayMirror::fit()
{
    const double each = mHost.secondsEach();
    const qint32 need = ringCount(mSeconds, each);
    if (need == std::exchange(mTried, need))
        return;
    // The snapshots the user chose to keep stay behind the delayed one, so that a review steps
    // back from it as far as without a delay; what the mirror grew, it gives back when off.
    const qint32 own = mRing.count() == mGrownTo ? mOwnCount : mRing.count();
    const qint32 wanted = need ? std::min(own + need - 1, SnapshotRing::kMaxCount) : own;
    if (wanted == mRing.count())
        return;
    const auto fitting = [each, own](qint64 fits) {
        const qint64 seconds = fits > own ? qint64((fits - own) * each + 1e-6) : 0;
        return seconds > 0 ? QStringLiteral("A delay of at most %1 sec fits.").arg(seconds)
                           : QStringLiteral("No delay fits.");
    };
    // Refused, the old ring goes on, and the mirror with the largest delay it holds: the
    // label tells that age, and the delay picked is kept for a start with more memory.
    if (mSizing.recount(wanted, fitting) != RingSizing::Result::TooLittleMemory)
        mOwnCount = own, mGrownTo = wanted;
}
