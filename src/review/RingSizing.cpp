#include "review/RingSizing.h"

#include "errors/Failure.h"
#include "errors/MessageBox.h"
#include "review/MemoryBudget.h"
#include "review/TileGrid.h"

#include <QScopeGuard>

#include <algorithm>

RingSizing::Result RingSizing::size()
{
    if (mSizing)
        return Result::Pending;
    mSizing = true;
    const auto done = qScopeGuard([this] { mSizing = false; });
    for (bool fellBack = false;; fellBack = true) {
        const QSize video = mHost.videoSize();
        const QSize size = TileGrid::snapshotSize(video.width(), video.height());
        // A video too low for snapshots plays on with an empty ring.
        mHost.placeReviewPicture(QSize(size.width(), std::max(0, size.height() - 10)));
        if (mRing.count() > SnapshotRing::kMaxCount)
            raiseFailure(Failure::Overflow);
        if (mRing.allocateAll(size, MemoryBudget::forRing(mRing.bytesHeld()))) {
            mTold = false;
            return fellBack ? Result::FitsAt100 : Result::Fits;
        }
        if (!fellBack && !mHost.atHundredPercent()) {
            mHost.zoomToHundredPercent();
            continue;
        }
        if (!mTold) {
            mTold = true;
            mHost.pauseForMessage();
            MessageBox::show(QStringLiteral("Not enough video memory. Restart the application with reduced zoom "
                                            "or video window size, or keep fewer snapshots (CaptureCount in "
                                            "the settings file)."),
                             MessageBox::Icon::Critical);
        }
        return Result::TooLittleMemory;
    }
}
