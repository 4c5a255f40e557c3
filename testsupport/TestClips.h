#pragma once
// Short video clips that the tests make with ffmpeg, into a folder that lives as
// long as the test program.

#include <QString>
#include <QStringList>

namespace TestClips {

// The folder clips are made in (created on first use, removed at exit).
QString folder();

// Runs ffmpeg with the given arguments (input options and filters) and writes
// fileName in folder(); returns the full path, or an empty string when ffmpeg failed.
// A clip that already exists is not made again.
QString make(const QString &fileName, const QStringList &ffmpegArguments);

// A clip of solid colour: width x height, seconds long, at fps frames per second.
// colour is an ffmpeg colour name or 0xRRGGBB.
QString solid(const QString &fileName, const QString &colour, int width, int height, double seconds,
              int fps = 25);

} // namespace TestClips
