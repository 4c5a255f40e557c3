#include "playback/MpvOpen.h"

#include "playback/LocalName.h"

#include <QDeadlineTimer>

#include <mpv/client.h>

#include <cerrno>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kOpenTimeoutMs = 15000;
// A live source that sends nothing keeps the window waiting no longer than this.
constexpr int kLiveTimeoutMs = 5000;
constexpr int kUnloadTimeoutMs = 5000;

const QString kNoVideo = QStringLiteral("The file has no video stream.");
const QString kTimedOut = QStringLiteral("The file did not open within 15 seconds.");
const QString kLiveTimedOut = QStringLiteral("The source sent no picture within 5 seconds.");
const QString kNotOpened = QStringLiteral("The file could not be opened.");

} // namespace

// Folders, pipes and devices never reach the engine: it would play what a folder holds,
// or wait forever on a pipe.
QString MpvOpen::refusal(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("No file name was given.");
    if (QString why = LocalName::refusal(name); !why.isEmpty())
        return why;
    const QByteArray path = LocalName::toBytes(name);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        return errno == EACCES ? QStringLiteral("The file cannot be reached: permission denied.")
                               : QStringLiteral("The file does not exist.");
    }
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("This is a folder, not a video file.");
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("This is not a regular file, so it is not opened as a video.");
    if (::access(path.constData(), R_OK) != 0)
        return QStringLiteral("The file cannot be read: permission denied.");
    return {};
}

QString MpvOpen::engineFailure(int error)
{
    return QStringLiteral("The file could not be played: %1.").arg(QString::fromUtf8(mpv_error_string(error)));
}

void MpvOpen::turnUpright(mpv_handle *mpv)
{
    // Phones store a portrait video as landscape frames with a rotation tag; the picture
    // is turned clockwise by the tagged angle, so its natural size is the turned one.
    int64_t rotation = 0;
    int64_t tracks = 0;
    mpv_get_property(mpv, "track-list/count", MPV_FORMAT_INT64, &tracks);
    for (int64_t i = 0; i < tracks; ++i) {
        const QByteArray track = "track-list/" + QByteArray::number(i);
        char *type = mpv_get_property_string(mpv, track + "/type");
        const bool video = type && qstrcmp(type, "video") == 0;
        mpv_free(type);
        if (video) {
            mpv_get_property(mpv, track + "/demux-rotation", MPV_FORMAT_INT64, &rotation);
            break;
        }
    }
    const char *filter = rotation == 90 ? "lavfi=[transpose=clock]"
                         : rotation == 180 ? "lavfi=[hflip,vflip]"
                         : rotation == 270 ? "lavfi=[transpose=cclock]"
                                           : "";
    mpv_set_property_string(mpv, "vf", filter);
}

std::optional<MpvOpen::Opened> MpvOpen::open(const QString &absolutePath, QString &why, bool live)
{
    // An absolute path: mpv never reads a local name as a URL or a protocol.
    const QByteArray path = LocalName::toBytes(absolutePath);
    const char *load[] = {"loadfile", path.constData(), "replace", nullptr};
    if (const int r = mpv_command(mMpv, load); r < 0) {
        why = engineFailure(r);
        return std::nullopt;
    }
    mWaiting = true;
    const std::optional<Opened> opened = waitForOpen(why, live);
    mWaiting = false;
    if (!opened) {
        // Whatever the failed file left behind must not stand in the next open's way.
        unload();
        const char *clear[] = {"playlist-clear", nullptr};
        mpv_command(mMpv, clear);
    }
    return opened;
}

void MpvOpen::unload()
{
    int idle = 0;
    if (mpv_get_property(mMpv, "idle-active", MPV_FORMAT_FLAG, &idle) >= 0 && idle)
        return;
    const char *stop[] = {"stop", nullptr};
    if (mpv_command(mMpv, stop) < 0)
        return;
    const bool wasWaiting = std::exchange(mWaiting, true);
    QDeadlineTimer deadline(kUnloadTimeoutMs);
    while (!deadline.hasExpired()) {
        mpv_event *event = mpv_wait_event(mMpv, double(deadline.remainingTime()) / 1000.0);
        if (event->event_id == MPV_EVENT_NONE)
            continue;
        mHandler(*event);
        if (event->event_id == MPV_EVENT_END_FILE || event->event_id == MPV_EVENT_IDLE)
            break;
    }
    mWaiting = wasWaiting;
}

std::optional<MpvOpen::Opened> MpvOpen::waitForOpen(QString &why, bool live)
{
    QDeadlineTimer deadline(live ? kLiveTimeoutMs : kOpenTimeoutMs);
    int64_t entry = -1;
    bool loaded = false;
    while (!deadline.hasExpired()) {
        mpv_event *event = mpv_wait_event(mMpv, double(deadline.remainingTime()) / 1000.0);
        if (event->event_id == MPV_EVENT_NONE)
            continue;
        mHandler(*event);
        switch (event->event_id) {
        case MPV_EVENT_START_FILE:
            entry = static_cast<mpv_event_start_file *>(event->data)->playlist_entry_id;
            break;
        case MPV_EVENT_END_FILE: {
            const auto *end = static_cast<mpv_event_end_file *>(event->data);
            if (entry >= 0 && end->playlist_entry_id != entry)
                break; // the end of something loaded before
            why = end->reason == MPV_END_FILE_REASON_ERROR ? engineFailure(end->error) : kNotOpened;
            return std::nullopt;
        }
        case MPV_EVENT_FILE_LOADED: {
            loaded = true;
            int64_t videoId = 0;
            if (mpv_get_property(mMpv, "current-tracks/video/id", MPV_FORMAT_INT64, &videoId) < 0) {
                why = kNoVideo;
                return std::nullopt;
            }
            [[fallthrough]];
        }
        case MPV_EVENT_VIDEO_RECONFIG: {
            if (!loaded)
                break;
            int64_t width = 0;
            int64_t height = 0;
            if (mpv_get_property(mMpv, "dwidth", MPV_FORMAT_INT64, &width) < 0 ||
                mpv_get_property(mMpv, "dheight", MPV_FORMAT_INT64, &height) < 0 || width <= 0 || height <= 0)
                break; // the size is known once the video output is configured
            // A length that no whole number of seconds can hold (a broken or endless
            // stream) is as good as unknown.
            Opened opened{QSize(int(width), int(height))};
            double duration = 0.0;
            if (mpv_get_property(mMpv, "duration", MPV_FORMAT_DOUBLE, &duration) >= 0 && duration >= 0 &&
                duration < std::numeric_limits<qint32>::max())
                opened.duration = duration;
            return opened;
        }
        default:
            break;
        }
    }
    why = live ? kLiveTimedOut : kTimedOut;
    return std::nullopt;
}
