#pragma once
// Pictures with their times written as a clip the user can keep: an H.264 video, an
// animated GIF or numbered PNG files, each shown for the time until the next one. What is
// written appears whole under its name or not at all. Needs no window and no UI thread:
// the pictures are only read, and every copy made of them is made and dropped here.

#include <QImage>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class ClipWriter {
public:
    enum class Format { Mp4, Gif, Png };
    struct Frame {
        QImage image;
        double seconds; // when it was seen; only the differences count
    };
    // Told how many frames are written so far; false stops the write.
    using Progress = std::function<bool(qsizetype written)>;

    // Writes the frames to target, oldest first; PNG pictures go to target's name numbered
    // ("name-001.png", ...). Returns empty when done, else the message that tells the user
    // why nothing was saved (a cancel too).
    static QString write(const QList<Frame> &frames, Format format, const QString &target, const Progress &progress = {});
    // One picture as a PNG file under target.
    static QString writePicture(const QImage &picture, const QString &target);

    // The format a file name's suffix asks for, if any.
    static std::optional<Format> formatOf(const QString &name);
    // The name of picture number (from 1) of count in a PNG series for target.
    static QString numbered(const QString &target, qsizetype number, qsizetype count);
    // When each frame starts, from the first, and when the last one ends, in seconds. A
    // step back or a gap over four times the usual one (a seek while every frame is taken,
    // a pause between captures) lasts the usual gap, the median one, as the last frame does.
    static std::vector<double> timeline(const QList<Frame> &frames);
};
