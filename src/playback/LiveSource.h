#pragma once
// Live sources the user may name: a stream address (udp, rtp, rtsp, srt, http, https, with a
// host) or a video camera (a V4L2 capture device, /dev/videoN). Only what the user names is
// opened: nothing here follows an address a stream or a file carries.

#include <QList>
#include <QString>

namespace LiveSource {

bool isStreamAddress(const QString &text);
bool isCameraPath(const QString &text);
inline bool isLive(const QString &text) { return isStreamAddress(text) || isCameraPath(text); }

struct Camera {
    QString name; // the device's own, e.g. "Integrated Camera"
    QString path; // "/dev/video0"
    // "Integrated Camera (/dev/video0)"
    QString shown() const { return name + QStringLiteral(" (") + path + u')'; }
};
// The cameras present, in the order of their numbers: one entry per device, the node that
// captures (the first of each device; a camera's other nodes carry its metadata).
QList<Camera> cameras(const QString &classFolder = QStringLiteral("/sys/class/video4linux"));

} // namespace LiveSource
