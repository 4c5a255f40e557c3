#include "review/RingSizing.h"

#include "errors/Failure.h"
#include "errors/MessageBox.h"
#include "review/MemoryBudget.h"
#include "review/TileGrid.h"

#include <QScopeGuard>

#include <algorithm>

namespace {
const QString kTooLittleMemory = QStringLiteral(
    "Not enough video memory. Restart the application with reduced zoom or video window size, or keep fewer "
    "snapshots (Edit > Options).");
} // namespace

QSize RingSizing::slotSize() const
{
    const QSize video = mHost.videoSize();
    return TileGrid::snapshotSize(video.width(), video.height());
}

qint64 RingSizing::bytesEach() const
{
    const QSize size = slotSize();
    return qint64(size.width()) * size.height() * 4;
}

RingSizing::Result RingSizing::recount(qint32 count, const std::function<QString(qint64 fits)> &fitting)
{
    if (count > SnapshotRing::kMaxCount)
        raiseFailure(Failure::Overflow);
    const qint64 each = bytesEach();
    const qint64 budget = MemoryBudget::forRing(mRing.bytesHeld());
    if (each > 0 && count * each > budget) {
        mHost.pauseForMessage();
        const qint64 fits = std::max<qint64>(0, budget / each);
        MessageBox::show(kTooLittleMemory + QLatin1Char(' ') +
                             (fitting ? fitting(fits) : QStringLiteral("At most %1 snapshots fit.").arg(fits)),
                         MessageBox::Icon::Critical);
        return Result::TooLittleMemory;
    }
    mGivenBack = mRing.bytesHeld();
    mRing.setCount(count);
    return size();
}

QString RingSizing::history(qint32 count, double secondsEach) const
{
    return history(count, secondsEach, bytesEach());
}

QString RingSizing::history(qint32 count, double secondsEach, qint64 bytesEach, const QLocale &locale)
{
    return QStringLiteral("%1 snapshots — %2 sec — %3")
        .arg(count)
        .arg(locale.toString(count * secondsEach, 'f', 1),
             locale.formattedDataSize(count * bytesEach, 1, QLocale::DataSizeTraditionalFormat));
}

RingSizing::Result RingSizing::size()
{
    if (mSizing)
        return Result::Pending;
    mSizing = true;
    const auto done = qScopeGuard([this] { mSizing = false; });
    for (bool fellBack = false;; fellBack = true) {
        const QSize size = slotSize();
        // A video too low for snapshots plays on with an empty ring.
        mHost.placeReviewPicture(QSize(size.width(), std::max(0, size.height() - 10)));
        if (mRing.count() > SnapshotRing::kMaxCount)
            raiseFailure(Failure::Overflow);
        if (mRing.allocateAll(size, MemoryBudget::forRing(mRing.bytesHeld() + std::exchange(mGivenBack, 0)))) {
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
            MessageBox::show(kTooLittleMemory, MessageBox::Icon::Critical);
        }
        return Result::TooLittleMemory;
    }
}
