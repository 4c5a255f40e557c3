#pragma once
// The ring of snapshots: slots 1 to N of equal images of the video area, and a
// write cursor that moves down from N and wraps from 1 back to N. Offset 1 is the
// newest snapshot, offset N the oldest. The ring holds pixels only: where they come from
// is the SlotMemory handed to it (plain heap memory unless one is).

#include "review/SlotMemory.h"

#include <QImage>

#include <memory>
#include <source_location>
#include <vector>

// A slot or offset outside the ring fails with "Subscript out of range" at the caller's line.
class SnapshotRing {
public:
    // The allocation counts slots in 16 bits; a larger ring is refused.
    static constexpr qint32 kMaxCount = 32767;

    // The memory allocateAll takes the slots from first; the heap is the fallback.
    void setMemory(std::unique_ptr<SlotMemory> memory) { mMemory = std::move(memory); }

    qint32 count() const { return mCount; }
    // Sizes the ring to slots 1..count, none allocated, and puts the write cursor on
    // the top slot. A negative count fails with "Subscript out of range", one above
    // kMaxCount with "Overflow", at the caller's line; the ring is then left as it was.
    void setCount(qint32 count, std::source_location where = std::source_location::current());

    qint32 captureSlot() const { return mCaptureSlot; }
    // Moves the write cursor; a slot outside 1..count fails with "Subscript out of range".
    void setCaptureSlot(qint32 slot, std::source_location where = std::source_location::current());

    // The slot that holds the snapshot of review offset k (1..count).
    qint32 slotOfOffset(qint32 offset, std::source_location where = std::source_location::current()) const;

    QImage &slot(qint32 slot, std::source_location where = std::source_location::current());
    const QImage &slot(qint32 slot, std::source_location where = std::source_location::current()) const;
    bool isAllocated(qint32 slot) const;

    // Gives slot s a fresh image of the given size (an empty size gives no pixels),
    // charged to budget. False when the image cannot be had: it would not fit in the
    // budget, or the allocation failed; the slot then holds no image.
    bool allocateSlot(qint32 slot, QSize size, qint64 &budget);
    // Gives every slot a fresh image of the given size, charged to budget, from the ring's
    // memory when it can give them all, else from the heap. When one
    // cannot be had, every slot is released again, so that a failed layout holds no
    // memory while the user is told, and false is returned.
    bool allocateAll(QSize size, qint64 budget);
    // Readies slot s to be written by a capture. An image still held elsewhere (the
    // review picture shows it, the clipboard has it) is left to its holders and the
    // slot gets a fresh image of the same size; only then does a capture allocate. A
    // slot whose fresh image cannot be had is left without one.
    void prepareForWriting(qint32 slot, std::source_location where = std::source_location::current());
    // A slot counts as blank from its allocation until a capture writes it. The stamp is
    // the snapshot's time in seconds: the frame's time in the medium, or the clock's.
    void markWritten(qint32 slot, double stamp = 0, std::source_location where = std::source_location::current());
    double stamp(qint32 slot, std::source_location where = std::source_location::current()) const;
    bool isWritten(qint32 slot, std::source_location where = std::source_location::current()) const;
    // Pixel bytes held by all slots.
    qint64 bytesHeld() const;

    // Frees the pixels of one slot (1..count) or of all of them.
    void releaseSlot(qint32 slot, std::source_location where = std::source_location::current());
    void releaseAll();

private:
    void checkSlot(qint32 slot, std::source_location where) const;

    std::unique_ptr<SlotMemory> mMemory;
    qint32 mCount = 0;
    qint32 mCaptureSlot = 0;
    std::vector<QImage> mSlots; // index 0 is no slot
    std::vector<char> mWritten;
    std::vector<double> mStamps;
};
