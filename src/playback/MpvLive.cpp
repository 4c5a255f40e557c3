#include "playback/MpvLive.h"

#include "playback/LiveSource.h"

#include <QList>
#include <QUrl>

#include <mpv/client.h>

#include <utility>

namespace MpvLive {
namespace {

using Pairs = QList<std::pair<QByteArray, QByteArray>>;

// The demuxers a live source may be read by. HLS, DASH, concat and the other formats that
// name further addresses are left out, so that nothing a stream carries makes the engine
// open another address; a source that is one of them is told as one that does not play.
const QByteArray kFormats = "mpegts,rtp,rtsp,matroska,flv,mpjpeg,mjpeg,h264,hevc,video4linux2";

// An option list as a node map: its values hold commas that mpv's text form would split.
void setMap(mpv_handle *mpv, const char *name, const Pairs &pairs)
{
    QList<mpv_node> values(pairs.size());
    QList<char *> keys(pairs.size());
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        values[i].format = MPV_FORMAT_STRING;
        values[i].u.string = const_cast<char *>(pairs[i].second.constData());
        keys[i] = const_cast<char *>(pairs[i].first.constData());
    }
    mpv_node_list list{int(pairs.size()), values.data(), keys.data()};
    mpv_node node;
    node.format = MPV_FORMAT_NODE_MAP;
    node.u.list = &list;
    if (const int r = mpv_set_property(mpv, name, MPV_FORMAT_NODE, &node); r < 0)
        qWarning("mpv option %s: %s", name, mpv_error_string(r));
}

} // namespace

QByteArray target(const QString &liveName)
{
    return LiveSource::isCameraPath(liveName) ? "av://v4l2:" + liveName.toUtf8() : liveName.toUtf8();
}

QByteArray protocols(const QString &liveName)
{
    // RTP and RTSP carry their data over UDP or TCP; https is http over TLS over TCP. A
    // camera is read by its own device input, which opens no protocol but the device file.
    const QString scheme = QUrl(liveName).scheme().toLower();
    return scheme == u"rtp"     ? "rtp,udp"
           : scheme == u"rtsp"  ? "rtsp,rtp,udp,tcp"
           : scheme == u"http"  ? "http,tcp"
           : scheme == u"https" ? "https,tls,tcp"
           : scheme == u"udp" || scheme == u"srt" ? scheme.toLatin1()
                                                   : QByteArray("file");
}

void configure(mpv_handle *mpv, const QString &liveName)
{
    const bool live = !liveName.isEmpty();
    // mpv's low-latency profile, set one by one with the file's values beside (mpv's own
    // defaults), no cache or read-ahead, and each frame shown as soon as it is decoded
    // (untimed): shown by its time stamp, a frame would keep for good the delay of what
    // arrived while the source was opening (350 ms against 80 ms measured on UDP). The
    // profile's video-latency-hacks is left to the every-frame mode, which sets it.
    static const char *const options[][3] = {
        {"cache", "auto", "no"},
        {"cache-pause", "yes", "no"},
        {"demuxer-readahead-secs", "1", "0"},
        {"audio-buffer", "0.2", "0"},
        {"vd-lavc-threads", "0", "1"},
        {"demuxer-lavf-probe-info", "auto", "nostreams"},
        {"demuxer-lavf-analyzeduration", "0", "0.1"},
        {"stream-buffer-size", "128KiB", "4KiB"},
        {"untimed", "no", "yes"},
    };
    for (const auto &option : options) {
        if (const int r = mpv_set_property_string(mpv, option[0], option[live ? 2 : 1]); r < 0)
            qWarning("mpv option %s: %s", option[0], mpv_error_string(r));
    }
    // A file reads nothing but itself. A stream opens only the protocols of its own scheme
    // (the address the user typed, no other kind), in the demuxers above, unbuffered.
    const QByteArray allowed = live ? protocols(liveName) : QByteArray("file");
    setMap(mpv, "demuxer-lavf-o",
           live ? Pairs{{"protocol_whitelist", allowed}, {"format_whitelist", kFormats}, {"fflags", "+nobuffer"}}
                : Pairs{{"protocol_whitelist", allowed}});
    // A stream mpv reads itself (udp, http) is opened through lavf's own protocols too.
    setMap(mpv, "stream-lavf-o", live ? Pairs{{"protocol_whitelist", allowed}} : Pairs{});
}

} // namespace MpvLive
