#pragma once
// Sizing the snapshot ring for a layout: every slot at the video's size, within the memory
// the system can still give. A ring that does not fit at the zoom asked for is tried at
// 100 %; one that does not fit even then is told once for the layout, the video paused
// first and the ring left empty, so that nothing is half held while the user reads it.

#include "review/SnapshotRing.h"

#include <QLocale>
#include <QSize>

#include <functional>

class RingSizingHost {
public:
    virtual QSize videoSize() const = 0;
    // Puts the review picture over the video, at the size a snapshot is shown in.
    virtual void placeReviewPicture(QSize size) = 0;
    virtual bool atHundredPercent() const = 0;
    // Lays the window out at 100 %; the video may take its new size at once or later.
    virtual void zoomToHundredPercent() = 0;
    virtual void pauseForMessage() = 0;

protected:
    ~RingSizingHost() = default;
};

class RingSizing {
public:
    // Pending: asked while a sizing runs (the fall back to 100 % resizes the window);
    // the running one sizes the ring for the layout it leads to.
    enum class Result { Fits, FitsAt100, TooLittleMemory, Pending };

    RingSizing(SnapshotRing &ring, RingSizingHost &host) : mRing(ring), mHost(host) {}

    // A layout the user asks for: a shortage is told again, even if it was told for the last one.
    void newLayout() { mTold = false; }
    // Gives every slot a fresh image at the video's current size. A ring of more slots than
    // it can count fails with "Overflow" and leaves the slots as they were.
    Result size();
    // The ring at a new number of snapshots, checked against memory first: a count that does
    // not fit is told with the largest that does, and the ring keeps its snapshots. A count
    // the ring cannot take fails with "Overflow". fitting tells what the count that fits allows
    // in the user's terms, when snapshots are not theirs.
    Result recount(qint32 count, const std::function<QString(qint64 fits)> &fitting = {});

    // What a ring of this count means at the video's current size, each snapshot standing
    // for secondsEach of video: "300 snapshots — 5.0 sec — 1.2 GB".
    QString history(qint32 count, double secondsEach) const;
    static QString history(qint32 count, double secondsEach, qint64 bytesEach, const QLocale &locale = QLocale());

private:
    QSize slotSize() const;
    qint64 bytesEach() const; // of one slot at the video's current size

    SnapshotRing &mRing;
    RingSizingHost &mHost;
    bool mTold = false; // a shortage told, and no ring has fit since
    bool mSizing = false;
    // What the old ring of a new count gave back: the system may not count it free yet.
    qint64 mGivenBack = 0;
};
