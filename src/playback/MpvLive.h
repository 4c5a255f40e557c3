#pragma once
// How the engine is set for what it opens next: a local file as always, or a live source
// (a stream address or a camera) with as little delay as the engine allows. The options
// that differ are set before each open, so a file opened after a live source gets back
// exactly what files always had.

#include <QByteArray>
#include <QString>

struct mpv_handle;

namespace MpvLive {

// What mpv is told to open for a live source: a stream's address as typed, a camera
// through libavdevice's v4l2 input.
QByteArray target(const QString &liveName);
// The lavf protocols a stream's own scheme needs to run, and nothing more.
QByteArray protocols(const QString &liveName);
// Sets the engine for a live source, or for a file when liveName is empty.
void configure(mpv_handle *mpv, const QString &liveName);

} // namespace MpvLive
