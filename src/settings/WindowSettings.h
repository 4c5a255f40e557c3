#pragma once
// What the main window keeps between runs: its outer size in twips, the zoom, the delay, the
// number of snapshots, the video frame time and how often the program has started. Each is read,
// repaired when it is bad and written here, under the keys and in the forms the settings
// file has always had.

#include "errors/FailurePatterns.h"

#include <QtGlobal>

#include <optional>

struct WindowSettings {
    enum class Zoom { None = 0, Percent100 = 1, Percent200 = 2, Fit = 3 };
    // What a count that is no number, or one the ring cannot take, becomes and is stored as.
    static constexpr qint32 kCaptureCount = 30;
    // The ring counts its slots in 16 bits.
    static constexpr qint32 kMaxCaptureCount = 32767;
    // The longest delay a file may ask for, in whole seconds.
    static constexpr qint32 kMaxDelay = 60;

    std::optional<float> widthTwips, heightTwips; // none when not stored
    Zoom zoom = Zoom::Percent100;
    qint32 captureCount = kCaptureCount;
    qint32 delay = 0; // whole seconds, 0 off

    // Reads the size, the count and the zoom. A size that is no single fails at once
    // ("Type mismatch", "Overflow"), before the rest is read. A count that is no number is
    // repaired silently; one that is negative, no 32-bit whole number or above
    // kMaxCaptureCount is reported to the sink as a "LoadSettings: " failure first. A
    // repaired count is stored, so the next start is clean. A zoom other than 2 or 3 is 100 %;
    // a delay other than a whole number from 0 to kMaxDelay is off.
    static WindowSettings load(ErrorSink &sink);
    // Writes the size, the zoom and the delay; a value that cannot be written is skipped.
    void save() const;

    // The frame time option that takes every video frame.
    static constexpr int kEveryFrame = 5;
    // The stored frame time option (0 to 5), none when not stored; any other value fails
    // ("Type mismatch", "Overflow", "Subscript out of range").
    static std::optional<int> loadFrameTime();
    static void saveFrameTime(int option);
    static void saveCaptureCount(qint32 count);

    // Counts this start and gives the count: 1 for a stored count that is no number, and
    // from 5 on always 5, stored as it was, so that it never grows past what it can hold.
    // Two copies starting at once each get their own count.
    static qint16 countStart();
};
