// Live figures: the main window with the libmpv engine on a UDP stream that an ffmpeg sender
// on this machine makes of a bench clip (bench/make-clip: each frame's number in binary),
// looped, H.264 tuned for zero latency in MPEG-TS, sent at its own rate (-re).
//
//   live CLIP SECONDS [CSV]   plays the stream for SECONDS, then stops the sender. Prints one
//                             line of "key=value" figures: how far each frame shown is behind
//                             the sender, frames the display and the ring (keeping every
//                             frame drawn) missed, resident memory and its slope, and how long the
//                             stop took to be told. CSV gets the memory every 10 s.
//
// The sender's clock: ffmpeg reports the frames it has sent every 50 ms (-progress); frame F
// left it no later than the report that counts it, so its start is put at the earliest of
// (report time - frames before / rate), and frame n at that start + n / rate. A frame shown
// is timed when the video widget first paints it.

#include "app/ReplixaApplication.h"
#include "app/frmMain.h"
#include "errors/MessageBox.h"
#include "playback/MediaPlayer.h"
#include "playback/MpvMediaPlayer.h"
#include "review/SnapshotRing.h"
#include "settings/SettingsStore.h"

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point kStart = Clock::now();
double now() { return std::chrono::duration<double>(Clock::now() - kStart).count(); }

double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

void pump(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The frame number near the bottom right corner of a bench clip's picture; -1 for none.
int frameNumber(const QImage &picture)
{
    if (picture.isNull())
        return -1;
    const int cell = picture.height() / 34;
    int number = 0;
    for (int b = 0; b < 16; ++b) {
        const int x = picture.width() - 9 * cell + cell * (b % 8) + cell / 2;
        const int y = picture.height() - 3 * cell + cell * (b / 8) + cell / 2;
        if (qGray(picture.pixel(x, y)) > 128)
            number |= 1 << b;
    }
    return number;
}

// Counts a looped clip's numbers on: n of the clip's `frames` read after `last` is the next
// loop's when it lies more than half a loop back.
long unwrap(int number, long last, int frames)
{
    long loop = last < 0 ? 0 : last / frames;
    if (last >= 0 && number < last % frames - frames / 2)
        ++loop;
    return loop * frames + number;
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

// Least squares slope of y over x.
double slope(const std::vector<std::pair<double, double>> &points)
{
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const auto &[x, y] : points)
        n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
    return n < 2 || n * sxx == sx * sx ? 0 : (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

// Notes the first time each frame is painted on the video widget.
class Paints : public QObject {
public:
    Paints(MediaPlayer &player, int frames) : mPlayer(player), mFrames(frames) { player.widget()->installEventFilter(this); }
    std::vector<std::pair<long, double>> firstSeen; // unwrapped number, time
    long skipped = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            const int number = frameNumber(mPlayer.frame());
            const long last = firstSeen.empty() ? -1 : firstSeen.back().first;
            const long n = number < 0 ? -1 : unwrap(number, last, mFrames);
            if (n > last) {
                skipped += last >= 0 ? n - last - 1 : 0;
                firstSeen.emplace_back(n, now());
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    MediaPlayer &mPlayer;
    int mFrames;
};

int runLive(const QString &clip, double seconds, const QString &csvPath)
{
    constexpr double kRate = 30.0;
    constexpr int kClipFrames = 1800; // bench/make-clip ... 30 60
    QTemporaryDir folder;
    ProgramFolder::setOverride(folder.path());
    {
        QFile ini(folder.filePath(QStringLiteral("Replixa.ini")));
        if (!ini.open(QIODevice::WriteOnly))
            return 1;
        // Capture every 25 ms into 120 snapshots, the window at 100 %.
        ini.write("[Replixa]\r\nStartCount=10\r\nCaptureCount=120\r\nzoom=1\r\nFrameTime=0\r\n");
    }
    MessageBox::setPresenter([](const QString &, const QString &text, MessageBox::Icon) {
        std::fprintf(stderr, "message box: %s\n", qPrintable(text));
    });

    const QString address = QStringLiteral("udp://127.0.0.1:%1").arg(23000 + getpid() % 1000);
    QProcess sender;
    sender.setProcessChannelMode(QProcess::SeparateChannels);
    std::vector<std::pair<double, long>> reports; // time, frames sent
    QObject::connect(&sender, &QProcess::readyReadStandardOutput, [&] {
        const double at = now();
        while (sender.canReadLine()) {
            const QByteArray line = sender.readLine().trimmed();
            if (line.startsWith("frame="))
                reports.emplace_back(at, line.mid(6).toLong());
        }
    });
    sender.start(QStringLiteral("ffmpeg"),
                 {"-hide_banner", "-loglevel", "error", "-re", "-stream_loop", "-1", "-i", clip, "-an", "-c:v", "libx264",
                  "-preset", "ultrafast", "-tune", "zerolatency", "-g", "30", "-f", "mpegts", "-progress", "pipe:1",
                  "-stats_period", "0.05", address + QStringLiteral("?pkt_size=1316")});
    if (!sender.waitForStarted()) {
        std::printf("live: ffmpeg did not start\n");
        return 1;
    }
    pump(500);

    frmMain w([](QWidget *parent) -> std::unique_ptr<MediaPlayer> { return std::make_unique<MpvMediaPlayer>(parent); },
              QString());
    w.Form_Load();
    w.show();
    pump(300);
    const double openAt = now();
    w.OpenMedia(address);
    const double openSeconds = now() - openAt;
    MediaPlayer &player = *w.oMediaPlayer();
    if (player.PlayState() != MediaPlayer::Playing) {
        std::printf("live: the stream did not play: %s\n", qPrintable(player.ErrorDescription()));
        return 1;
    }
    Paints paints(player, kClipFrames);
    // Each capture, right after the window's own (a live source keeps every frame drawn): the
    // newest snapshot against the one before.
    SnapshotRing &ring = w.ring();
    long captures = 0, ringRepeats = 0, ringMissed = 0, ringLast = -1;
    QObject::connect(&player, &MediaPlayer::FrameShown, &w, [&] {
        const qint32 newest = ring.count() > 0 ? ring.slotOfOffset(1) : 0;
        const int number = newest > 0 && ring.isWritten(newest) ? frameNumber(ring.slot(newest)) : -1;
        if (number < 0)
            return;
        const long n = unwrap(number, ringLast, kClipFrames);
        if (ringLast >= 0 && n == ringLast)
            ++ringRepeats;
        else if (ringLast >= 0 && n > ringLast + 1)
            ringMissed += n - ringLast - 1;
        ringLast = std::max(ringLast, n);
        ++captures;
    });
    QFile csv(csvPath);
    if (!csvPath.isEmpty() && csv.open(QIODevice::WriteOnly))
        csv.write("seconds,rss_mib\n");
    std::vector<std::pair<double, double>> memory; // minutes, MiB
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const double minutes = (now() - openAt) / 60.0;
        memory.emplace_back(minutes, residentMiB());
        if (csv.isOpen())
            csv.write(QByteArray::number(minutes * 60, 'f', 0) + ',' + QByteArray::number(memory.back().second, 'f', 1) + '\n'), csv.flush();
    });
    sampler.start(10000);
    pump(int(seconds * 1000));
    sampler.stop();
    const long playedPaints = long(paints.firstSeen.size());

    // The sender stops: how long until the window says so.
    const double stopAt = now();
    sender.kill();
    sender.waitForFinished();
    double toldAfter = -1;
    for (int i = 0; i < 200 && toldAfter < 0; ++i) {
        pump(50);
        if (w.windowTitle().endsWith(QStringLiteral("Source stopped")))
            toldAfter = now() - stopAt;
    }

    double start = 1e9;
    for (const auto &[at, frames] : reports)
        start = std::min(start, at - double(frames - 1) / kRate);
    std::vector<double> behind;
    for (const auto &[n, at] : paints.firstSeen)
        if (at < stopAt && at > openAt + 5) // past the first seconds
            behind.push_back((at - (start + double(n) / kRate)) * 1000);
    // The memory after its first minute (the ring and the engine's buffers filling).
    std::vector<std::pair<double, double>> settled;
    for (const auto &m : memory)
        if (m.first >= std::min(1.0, seconds / 120.0))
            settled.push_back(m);
    std::printf("mode=live seconds=%.0f open_s=%.2f frames_shown=%ld shown_skipped=%ld behind_median_ms=%.0f "
                "behind_p95_ms=%.0f behind_max_ms=%.0f behind_min_ms=%.0f sender_reports=%zu captures=%ld "
                "ring_repeats=%ld ring_missed=%ld rss_first_mib=%.1f rss_last_mib=%.1f rss_slope_mib_per_min=%.3f "
                "stop_told_s=%.1f\n",
                seconds, openSeconds, playedPaints, paints.skipped, percentile(behind, 0.5), percentile(behind, 0.95),
                percentile(behind, 1.0), percentile(behind, 0.0), reports.size(), captures, ringRepeats, ringMissed,
                settled.empty() ? 0 : settled.front().second, settled.empty() ? 0 : settled.back().second, slope(settled),
                toldAfter);
    w.close();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    ReplixaApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[1] == QStringLiteral("live"))
        return runLive(args[2], args[3].toDouble(), args.value(4));
    std::fprintf(stderr, "usage: bench_live live CLIP SECONDS [CSV]\n");
    return 2;
}
