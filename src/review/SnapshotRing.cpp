#include "review/SnapshotRing.h"

#include "errors/Failure.h"

void SnapshotRing::setCount(qint32 count, std::source_location where)
{
    if (count < 0)
        raiseFailure(Failure::SubscriptOutOfRange, where);
    if (count > kMaxCount)
        raiseFailure(Failure::Overflow, where);
    std::vector<QImage> fresh(std::size_t(count) + 1);
    mSlots.swap(fresh);
    mWritten.assign(std::size_t(count) + 1, 0);
    mStamps.assign(std::size_t(count) + 1, 0);
    mCount = count;
    mCaptureSlot = count;
}

void SnapshotRing::setCaptureSlot(qint32 slot, std::source_location where)
{
    if (mCount == 0 && slot == 0) {
        mCaptureSlot = 0;
        return;
    }
    checkSlot(slot, where);
    mCaptureSlot = slot;
}

qint32 SnapshotRing::slotOfOffset(qint32 offset, std::source_location where) const
{
    if (offset < 1 || offset > mCount)
        raiseFailure(Failure::SubscriptOutOfRange, where);
    qint32 s = offset + mCaptureSlot;
    if (s > mCount)
        s -= mCount;
    return s;
}

QImage &SnapshotRing::slot(qint32 s, std::source_location where)
{
    checkSlot(s, where);
    return mSlots[std::size_t(s)];
}

const QImage &SnapshotRing::slot(qint32 s, std::source_location where) const
{
    checkSlot(s, where);
    return mSlots[std::size_t(s)];
}

bool SnapshotRing::isAllocated(qint32 s) const
{
    return s >= 1 && s <= mCount && !mSlots[std::size_t(s)].isNull();
}

void SnapshotRing::releaseSlot(qint32 s, std::source_location where)
{
    checkSlot(s, where);
    mSlots[std::size_t(s)] = QImage();
    mWritten[std::size_t(s)] = 0;
}

bool SnapshotRing::allocateSlot(qint32 s, QSize size, qint64 &budget)
{
    releaseSlot(s);
    if (size.isEmpty())
        return true;
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (bytes > budget)
        return false;
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    mSlots[std::size_t(s)] = std::move(image);
    budget -= bytes;
    return true;
}

bool SnapshotRing::allocateAll(QSize size, qint64 budget)
{
    if (mMemory && mCount > 0 && !size.isEmpty() && qint64(size.width()) * size.height() * 4 * mCount <= budget) {
        releaseAll();
        const QList<QImage> images = mMemory->images(size, mCount);
        if (images.size() == mCount) {
            for (qint32 s = 1; s <= mCount; ++s)
                mSlots[std::size_t(s)] = images[s - 1];
            return true;
        }
    }
    for (qint32 s = 1; s <= mCount; ++s) {
        if (!allocateSlot(s, size, budget)) {
            releaseAll();
            return false;
        }
    }
    return true;
}

void SnapshotRing::prepareForWriting(qint32 s, std::source_location where)
{
    checkSlot(s, where);
    QImage &image = mSlots[std::size_t(s)];
    if (image.isNull() || image.isDetached())
        return;
    image = QImage(image.size(), image.format());
}

void SnapshotRing::markWritten(qint32 s, double stamp, std::source_location where)
{
    checkSlot(s, where);
    mWritten[std::size_t(s)] = 1;
    mStamps[std::size_t(s)] = stamp;
}

double SnapshotRing::stamp(qint32 s, std::source_location where) const
{
    checkSlot(s, where);
    return mStamps[std::size_t(s)];
}

bool SnapshotRing::isWritten(qint32 s, std::source_location where) const
{
    checkSlot(s, where);
    return mWritten[std::size_t(s)] != 0;
}

qint64 SnapshotRing::bytesHeld() const
{
    qint64 bytes = 0;
    for (const QImage &image : mSlots)
        bytes += image.sizeInBytes();
    return bytes;
}

void SnapshotRing::releaseAll()
{
    for (QImage &image : mSlots)
        image = QImage();
    std::fill(mWritten.begin(), mWritten.end(), 0);
}

void SnapshotRing::checkSlot(qint32 s, std::source_location where) const
{
    if (s < 1 || s > mCount)
        raiseFailure(Failure::SubscriptOutOfRange, where);
}
