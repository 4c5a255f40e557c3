// Whole-program figures on a real clip, with the libmpv engine, on whatever display the
// environment gives (scripts/bench starts an Xvfb server). Each mode prints one line of
// "key=value" figures for scripts/bench to set side by side; nothing passes or fails.
//
//   engine CLIP SECONDS [FROM [every]]  the engine alone: libmpv's software renderer drawing
//                                every new frame into memory, with the options the program
//                                uses; with FROM, over the video from FROM to FROM + SECONDS;
//                                with "every", also the options every frame adds (no frame dropped)
//   replixa CLIP SECONDS RING    the main window playing the clip, capturing every 25 ms
//                                into a ring of RING snapshots
//   frames CLIP SECONDS RING [FROM]  the main window with every frame going into a ring of
//                                RING snapshots, over the video from FROM (2) to FROM + SECONDS:
//                                each frame the engine told, read on the widget and in the
//                                newest slot, and mpv's own counters
//   steps CLIP [OPTION]          one review step of the window against the engine's
//                                frame-back-step on the same clip, in turn; OPTION is the
//                                frame time option (FrameTime, 0 by default, 5 every frame)
//   soak CLIP SECONDS CSV        playing and capturing, a review burst every 5 s, the
//                                clip started again at its end; resident memory each second
//   delay CLIP SECONDS [OPTION]  View > Delay > 2 sec: at each play timer tick, the frame the
//                                delayed picture shows against the live frame, over SECONDS
//                                after the ring has filled; OPTION the frame time option (1)
//
// CPU is the process's own (every thread), per second of video played. Frames shown are
// read from the pictures the video widget paints: the bench clips carry each frame's number
// in binary (bench/make-clip), so a frame never painted is a gap in the numbers.

#include "Spread.h"
#include "app/ReplixaApplication.h"
#include "app/frmMain.h"
#include "errors/MessageBox.h"
#include "playback/IntervalTimer.h"
#include "playback/MediaPlayer.h"
#include "playback/MpvMediaPlayer.h"
#include "review/ReviewPicture.h"
#include "review/SnapshotRing.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <mpv/client.h>
#include <mpv/render.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <map>
#include <chrono>
#include <clocale>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <dlfcn.h>
#include <sys/resource.h>

namespace {
// The handle of the last engine started in this process: the program's own in the
// whole-program modes, so that mpv's counters can be read from outside it.
mpv_handle *gLastEngine = nullptr;
} // namespace

// Every mpv_initialize of this program comes through here first (the bench's definition
// takes the place of libmpv's at link time); it notes the handle and goes on to libmpv's.
extern "C" int mpv_initialize(mpv_handle *ctx)
{
    using Initialize = int (*)(mpv_handle *);
    static const auto real = reinterpret_cast<Initialize>(dlsym(RTLD_NEXT, "mpv_initialize"));
    gLastEngine = ctx;
    return real(ctx);
}

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A size from /proc/self/status in MiB: resident now (VmRSS) or at its peak (VmHWM).
double statusMiB(const QByteArray &key = "VmRSS:")
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}
double residentMiB() { return statusMiB(); }
double peakMiB() { return statusMiB("VmHWM:"); }

// Runs the event loop for a while.
void pump(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Play/Pause, as its menu item runs it.
void playPause(frmMain &w) { w.findChild<QAction *>("mnuViewPlay")->trigger(); }

// The frame number a bench clip writes near its bottom right corner, read from a picture
// of the whole video at any size; -1 when the picture has none.
int frameNumber(const QImage &picture, QSize clip)
{
    if (picture.isNull() || clip.isEmpty())
        return -1;
    const int cell = clip.height() / 34;
    const int x0 = clip.width() - 9 * cell;
    const int y0 = clip.height() - 3 * cell;
    int number = 0;
    for (int b = 0; b < 16; ++b) {
        const int x = (x0 + cell * (b % 8) + cell / 2) * picture.width() / clip.width();
        const int y = (y0 + cell * (b / 8) + cell / 2) * picture.height() / clip.height();
        if (qGray(picture.pixel(x, y)) > 128)
            number |= 1 << b;
    }
    return number;
}

// ---------------------------------------------------------------------------
// The engine alone: the same mpv options and render parameters as MpvMediaPlayer, every
// new frame drawn into one 64-byte aligned buffer, on this thread.

class Engine {
public:
    explicit Engine(bool everyFrame = false)
    {
        std::setlocale(LC_NUMERIC, "C");
        mMpv = mpv_create();
        mVolume = QByteArray::number(MpvMediaPlayer::volumeForGain(MpvMediaPlayer::kGainDb), 'f', 4);
        // As MpvMediaPlayer sets them (the volume only matters with sound).
        const std::pair<const char *, const char *> options[] = {
            {"vo", "libmpv"},          {"keep-open", "yes"},          {"keep-open-pause", "yes"},
            {"keepaspect", "no"},      {"osc", "no"},                 {"osd-level", "0"},
            {"load-scripts", "no"},    {"input-default-bindings", "no"}, {"input-vo-keyboard", "no"},
            {"input-cursor", "no"},    {"hwdec", "no"},               {"audio-display", "no"},
            {"video-rotate", "no"},    {"demuxer", "lavf"},           {"access-references", "no"},
            {"demuxer-lavf-o", "protocol_whitelist=file"},            {"load-unsafe-playlists", "no"},
            {"ytdl", "no"},            {"sub-auto", "no"},            {"audio-file-auto", "no"},
            {"cover-art-auto", "no"},  {"resume-playback", "no"},     {"volume", mVolume.constData()},
            {"speed", "1.0"},          {"idle", "yes"},
        };
        for (const auto &[name, value] : options)
            mpv_set_option_string(mMpv, name, value);
        // As MpvFrames sets them with every frame on.
        if (everyFrame) {
            mpv_set_option_string(mMpv, "framedrop", "no");
            mpv_set_option_string(mMpv, "video-latency-hacks", "yes");
        }
        mpv_initialize(mMpv);
        mpv_render_param create[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_SW)},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_create(&mRender, mMpv, create);
        mpv_render_context_set_update_callback(mRender, &Engine::onSignal, this);
        mpv_set_wakeup_callback(mMpv, &Engine::onSignal, this);
    }
    ~Engine()
    {
        mpv_render_context_set_update_callback(mRender, nullptr, nullptr);
        mpv_render_context_free(mRender);
        mpv_terminate_destroy(mMpv);
        std::free(mBuffer);
    }

    bool open(const QString &clip, bool paused)
    {
        setFlag("pause", paused);
        const QByteArray path = QFile::encodeName(clip);
        const char *load[] = {"loadfile", path.constData(), "replace", nullptr};
        mpv_command(mMpv, load);
        const auto start = Clock::now();
        while (msSince(start) < 15000) {
            step(50);
            if (mFrames > 0)
                return true;
        }
        return false;
    }

    // Waits for mpv's next signal (at most timeoutMs), takes its events and draws a new
    // frame if there is one.
    void step(int timeoutMs)
    {
        {
            std::unique_lock lock(mMutex);
            mCondition.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return mSignalled; });
            mSignalled = false;
        }
        for (;;) {
            mpv_event *event = mpv_wait_event(mMpv, 0);
            if (event->event_id == MPV_EVENT_NONE)
                break;
            if (event->event_id == MPV_EVENT_PLAYBACK_RESTART)
                ++mRestarts;
        }
        if (mpv_render_context_update(mRender) & MPV_RENDER_UPDATE_FRAME)
            render();
    }

    void command(std::initializer_list<const char *> words)
    {
        std::vector<const char *> args(words);
        args.push_back(nullptr);
        mpv_command(mMpv, args.data());
    }
    long count(const char *name) const
    {
        int64_t value = 0;
        return mpv_get_property(mMpv, name, MPV_FORMAT_INT64, &value) >= 0 ? long(value) : -1;
    }
    double number(const char *name) const
    {
        double value = 0;
        mpv_get_property(mMpv, name, MPV_FORMAT_DOUBLE, &value);
        return value;
    }
    void setFlag(const char *name, bool value)
    {
        int flag = value;
        mpv_set_property(mMpv, name, MPV_FORMAT_FLAG, &flag);
    }

    long frames() const { return mFrames; }
    long restarts() const { return mRestarts; }
    QSize size() const { return mSize; }
    QImage picture() const
    {
        return mBuffer ? QImage(static_cast<const uchar *>(mBuffer), mSize.width(), mSize.height(), mStride,
                                QImage::Format_RGB32)
                       : QImage();
    }

private:
    static void onSignal(void *self)
    {
        auto *engine = static_cast<Engine *>(self);
        std::lock_guard lock(engine->mMutex);
        engine->mSignalled = true;
        engine->mCondition.notify_one();
    }

    void render()
    {
        int64_t w = 0, h = 0;
        mpv_get_property(mMpv, "dwidth", MPV_FORMAT_INT64, &w);
        mpv_get_property(mMpv, "dheight", MPV_FORMAT_INT64, &h);
        if (w <= 0 || h <= 0)
            return;
        if (QSize(int(w), int(h)) != mSize) {
            std::free(mBuffer);
            mSize = QSize(int(w), int(h));
            mStride = (std::size_t(w) * 4 + 63) / 64 * 64;
            mBuffer = std::aligned_alloc(64, mStride * std::size_t(h));
        }
        int size[2] = {mSize.width(), mSize.height()};
        int block = 0;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SW_SIZE, size},
            {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char *>("bgr0")},
            {MPV_RENDER_PARAM_SW_STRIDE, &mStride},
            {MPV_RENDER_PARAM_SW_POINTER, mBuffer},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        if (mpv_render_context_render(mRender, params) >= 0)
            ++mFrames;
    }

    QByteArray mVolume;
    mpv_handle *mMpv = nullptr;
    mpv_render_context *mRender = nullptr;
    std::mutex mMutex;
    std::condition_variable mCondition;
    bool mSignalled = false;
    void *mBuffer = nullptr;
    std::size_t mStride = 0;
    QSize mSize;
    long mFrames = 0;
    long mRestarts = 0;
};

int runEngine(const QString &clip, double seconds, std::optional<double> from, bool everyFrame)
{
    Engine engine(everyFrame);
    if (!engine.open(clip, false)) {
        std::printf("engine: the clip did not open\n");
        return 1;
    }
    // Two seconds of warm-up, or up to the video's position FROM.
    const auto warm = Clock::now();
    while (from ? engine.number("time-pos") < *from && msSince(warm) < 60000 : msSince(warm) < 2000)
        engine.step(50);
    const double cpu0 = cpuSeconds(), pos0 = engine.number("time-pos");
    const long frames0 = engine.frames(), dropped0 = engine.count("frame-drop-count");
    const auto start = Clock::now();
    while (from ? engine.number("time-pos") < *from + seconds && msSince(start) < seconds * 4000
                : msSince(start) < seconds * 1000)
        engine.step(50);
    const double video = engine.number("time-pos") - pos0;
    const double cpu = cpuSeconds() - cpu0;
    std::printf("mode=engine every_frame=%d size=%dx%d video_s=%.2f cpu_s=%.3f cpu_per_video_s=%.4f frames_per_s=%.2f "
                "mpv_dropped=%ld clip_fps=%.2f from_s=%.2f rss_mib=%.1f rss_peak_mib=%.1f\n",
                int(everyFrame), engine.size().width(), engine.size().height(), video, cpu, cpu / video,
                double(engine.frames() - frames0) / video, engine.count("frame-drop-count") - dropped0,
                engine.number("container-fps"), pos0, residentMiB(), peakMiB());
    return 0;
}

// ---------------------------------------------------------------------------
// The main window with the real engine

struct Program {
    QTemporaryDir folder;
    std::unique_ptr<frmMain> window;
    QSize clip;
};

// Watches what the video widget paints, and when the captures come.
class Watch : public QObject {
public:
    Watch(frmMain &w, QSize clip) : mWindow(w), mClip(clip)
    {
        w.oMediaPlayer()->widget()->installEventFilter(this);
        QObject::connect(w.findChild<IntervalTimer *>("PlayTimer"), &IntervalTimer::Timer, this, [this] {
            const auto now = Clock::now();
            if (mLastCapture)
                mIntervals.push_back(std::chrono::duration<double, std::milli>(now - *mLastCapture).count());
            mLastCapture = now;
        });
    }
    void reset()
    {
        mPaints = 0;
        mNumbers.clear();
        mIntervals.clear();
        mLastCapture.reset();
    }
    long paints() const { return mPaints; }
    const std::vector<int> &numbers() const { return mNumbers; }
    const std::vector<double> &intervals() const { return mIntervals; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++mPaints;
            const int number = frameNumber(mWindow.oMediaPlayer()->frame(), mClip);
            if (number >= 0 && (mNumbers.empty() || mNumbers.back() != number))
                mNumbers.push_back(number);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    frmMain &mWindow;
    QSize mClip;
    long mPaints = 0;
    std::vector<int> mNumbers;
    std::vector<double> mIntervals;
    std::optional<Clock::time_point> mLastCapture;
};

bool startProgram(Program &program, const QString &clip, int ring, int frameTime = 0)
{
    ProgramFolder::setOverride(program.folder.path());
    {
        QFile ini(program.folder.filePath(QStringLiteral("Replixa.ini")));
        if (!ini.open(QIODevice::WriteOnly))
            return false;
        // Capture every 25 ms (option 0) or every frame (5), the window at 100 %.
        ini.write(QStringLiteral("[Replixa]\r\nStartCount=10\r\nCaptureCount=%1\r\nzoom=1\r\nFrameTime=%2\r\n")
                      .arg(ring)
                      .arg(frameTime)
                      .toUtf8());
    }
    MessageBox::setPresenter([](const QString &, const QString &text, MessageBox::Icon) {
        std::fprintf(stderr, "message box: %s\n", qPrintable(text));
    });
    program.window = std::make_unique<frmMain>(
        [](QWidget *parent) -> std::unique_ptr<MediaPlayer> { return std::make_unique<MpvMediaPlayer>(parent); },
        QString());
    frmMain &w = *program.window;
    w.Form_Load();
    w.show();
    pump(300);
    w.OpenMedia(clip);
    pump(500);
    program.clip = w.oMediaPlayer()->widget()->size();
    std::fprintf(stderr, "video area %dx%d, window %dx%d, ring %d, errors: %s\n", program.clip.width(),
                 program.clip.height(), w.width(), w.height(), w.ring().count(), qPrintable(w.msErrorMessages()));
    return w.oMediaPlayer()->PlayState() == MediaPlayer::Playing && w.msErrorMessages().isEmpty();
}

int runReplixa(const QString &clip, double seconds, int ring)
{
    Program program;
    if (!startProgram(program, clip, ring)) {
        std::printf("replixa: the clip did not play\n");
        return 1;
    }
    frmMain &w = *program.window;
    Watch watch(w, program.clip);
    pump(2000);
    watch.reset();
    const double cpu0 = cpuSeconds(), pos0 = w.oMediaPlayer()->CurrentPosition();
    pump(int(seconds * 1000));
    const double video = w.oMediaPlayer()->CurrentPosition() - pos0;
    const double cpu = cpuSeconds() - cpu0;
    const std::vector<int> &numbers = watch.numbers();
    const long expected = numbers.empty() ? 0 : numbers.back() - numbers.front() + 1;
    const long distinct = long(QSet<int>(numbers.begin(), numbers.end()).size());
    const Spread interval = spread(watch.intervals());
    std::printf("mode=replixa size=%dx%d ring=%d video_s=%.2f cpu_s=%.3f cpu_per_video_s=%.4f paints_per_s=%.2f "
                "frames_shown_per_s=%.2f frames_missed=%ld capture_median_ms=%.2f capture_p95_ms=%.2f "
                "captures=%zu rss_mib=%.1f ring_mib=%.1f\n",
                program.clip.width(), program.clip.height(), ring, video, cpu, cpu / video,
                double(watch.paints()) / video, double(distinct) / video, expected - distinct, interval.median,
                interval.p95, watch.intervals().size() + 1, residentMiB(),
                double(w.ring().bytesHeld()) / (1024.0 * 1024.0));
    return 0;
}


// ---------------------------------------------------------------------------
// Every frame: what the engine told, what the widget showed and what went into the ring

// Numbers that should run one by one: how many were left out, shown twice in a row, or
// went back.
struct Run {
    long skipped = 0;
    long doubled = 0;
    long back = 0;
};

Run runOf(const std::vector<int> &numbers)
{
    Run run;
    for (std::size_t i = 1; i < numbers.size(); ++i) {
        const int step = numbers[i] - numbers[i - 1];
        if (step > 1)
            run.skipped += step - 1;
        else if (step == 0)
            ++run.doubled;
        else if (step < 0)
            ++run.back;
    }
    return run;
}

// mpv's own frame counters, read from the program's engine.
struct MpvCounts {
    long dropped = 0;        // frame-drop-count: dropped at the video output
    long decoderDropped = 0; // decoder-frame-drop-count
    long delayed = 0;        // vo-delayed-frame-count: shown late
    long mistimed = 0;       // mistimed-frame-count
    static long read(const char *name)
    {
        int64_t value = 0;
        return gLastEngine && mpv_get_property(gLastEngine, name, MPV_FORMAT_INT64, &value) >= 0 ? long(value) : -1;
    }
    static MpvCounts now()
    {
        return {read("frame-drop-count"), read("decoder-frame-drop-count"), read("vo-delayed-frame-count"),
                read("mistimed-frame-count")};
    }
    // -1 where a counter could not be read.
    MpvCounts operator-(const MpvCounts &o) const
    {
        const auto less = [](long a, long b) { return a < 0 || b < 0 ? -1 : a - b; };
        return {less(dropped, o.dropped), less(decoderDropped, o.decoderDropped), less(delayed, o.delayed),
                less(mistimed, o.mistimed)};
    }
};

int runFrames(const QString &clip, double seconds, int ring, double from)
{
    Program program;
    if (!startProgram(program, clip, ring, 5)) {
        std::printf("frames: the clip did not play\n");
        return 1;
    }
    frmMain &w = *program.window;
    SnapshotRing &snapshots = w.ring();
    const double fps = w.oMediaPlayer()->FrameRate();
    Watch watch(w, program.clip);

    // Connected after the window's own connection, so each frame has gone into the ring
    // when it comes here.
    std::vector<int> shown, captured;
    std::vector<double> lateBy; // wall time less video time of each frame, ms
    long told = 0, stampsOff = 0, timesOff = 0;
    double timeOffMax = 0, lastTold = 0, longestGap = 0;
    double cpu0 = 0, cpu1 = 0, pos0 = 0, pos1 = 0;
    MpvCounts counts0, counts1;
    Clock::time_point wall0, wall1;
    bool started = false, finished = false;
    QEventLoop loop;
    QObject::connect(w.oMediaPlayer(), &MediaPlayer::FrameShown, &loop, [&](double at) {
        if (finished || at < from)
            return;
        if (!started) {
            started = true;
            cpu0 = cpuSeconds();
            pos0 = at;
            counts0 = MpvCounts::now();
            wall0 = Clock::now();
            watch.reset();
        }
        ++told;
        const int number = frameNumber(w.oMediaPlayer()->frame(), program.clip);
        const double now = msSince(wall0);
        if (!shown.empty() && number - shown.back() != 1)
            std::fprintf(stderr, "frame %d told after frame %d, %.1f ms after it\n", number, shown.back(), now - lastTold);
        longestGap = std::max(longestGap, now - lastTold);
        lastTold = now;
        shown.push_back(number);
        // The time the engine told against the frame drawn, in frames.
        const double off = at * fps - number;
        if (std::abs(off) > 0.5) {
            ++timesOff;
            timeOffMax = std::max(timeOffMax, std::abs(off));
            std::fprintf(stderr, "frame %d told at %.4f s (%+.2f frames), %.1f ms behind the video\n", number, at, off,
                         msSince(wall0) - (at - pos0) * 1000);
        }
        lateBy.push_back(msSince(wall0) - (at - pos0) * 1000);
        const qint32 newest = snapshots.count() > 0 ? snapshots.slotOfOffset(1) : 0;
        if (newest > 0 && snapshots.isWritten(newest)) {
            const int inRing = frameNumber(snapshots.slot(newest), program.clip);
            captured.push_back(inRing);
            stampsOff += std::abs(snapshots.stamp(newest) * fps - inRing) > 0.5;
        }
        if (at >= from + seconds) {
            finished = true;
            cpu1 = cpuSeconds();
            pos1 = at;
            counts1 = MpvCounts::now();
            wall1 = Clock::now();
            loop.quit();
        }
    });
    QTimer::singleShot(int((from + seconds) * 4000) + 10000, &loop, &QEventLoop::quit);
    loop.exec();
    if (!finished) {
        std::printf("frames: the video did not reach %.1f s\n", from + seconds);
        return 1;
    }
    const double video = pos1 - pos0;
    const double cpu = cpu1 - cpu0;
    const double wall = std::chrono::duration<double>(wall1 - wall0).count();
    // A frame is late by what it lags behind the earliest of them, past one frame's time.
    const double onTime = *std::min_element(lateBy.begin(), lateBy.end());
    long late = 0;
    double lateMax = 0;
    for (double l : lateBy) {
        late += l - onTime > 1000 / fps;
        lateMax = std::max(lateMax, l - onTime);
    }
    const Run s = runOf(shown), c = runOf(captured);
    const std::vector<int> &painted = watch.numbers();
    const long paintedDistinct = long(QSet<int>(painted.begin(), painted.end()).size());
    const long paintedMissed = painted.empty() ? 0 : painted.back() - painted.front() + 1 - paintedDistinct;
    const MpvCounts mpv = counts1 - counts0;
    std::printf("mode=frames size=%dx%d ring=%d fps=%.2f from_s=%.2f video_s=%.2f wall_s=%.2f cpu_s=%.3f "
                "cpu_per_video_s=%.4f told=%ld clip_frames=%d first_frame=%d last_frame=%d shown_skipped=%ld "
                "shown_doubled=%ld shown_back=%ld times_off=%ld times_off_max_frames=%.2f ring_frames=%zu ring_skipped=%ld ring_doubled=%ld "
                "ring_back=%ld stamps_off=%ld painted_missed=%ld late=%ld late_max_ms=%.1f longest_gap_ms=%.1f mpv_dropped=%ld "
                "mpv_decoder_dropped=%ld mpv_delayed=%ld mpv_mistimed=%ld rss_mib=%.1f rss_peak_mib=%.1f "
                "ring_mib=%.1f\n",
                program.clip.width(), program.clip.height(), ring, fps, pos0, video, wall, cpu, cpu / video, told,
                shown.back() - shown.front() + 1, shown.front(), shown.back(), s.skipped, s.doubled, s.back, timesOff, timeOffMax,
                captured.size(), c.skipped, c.doubled, c.back, stampsOff, paintedMissed, late, lateMax, longestGap, mpv.dropped,
                mpv.decoderDropped, mpv.delayed, mpv.mistimed, residentMiB(), peakMiB(),
                double(snapshots.bytesHeld()) / (1024.0 * 1024.0));
    return 0;
}

// ---------------------------------------------------------------------------
// Review steps against the engine's frame-back-step

int runSteps(const QString &clip, int frameTime)
{
    Program program;
    if (!startProgram(program, clip, 30, frameTime)) {
        std::printf("steps: the clip did not play\n");
        return 1;
    }
    frmMain &w = *program.window;
    pump(3000); // the ring fills many times over
    playPause(w); // pause
    pump(300);

    Engine engine;
    if (!engine.open(clip, true)) {
        std::printf("steps: the engine did not open the clip\n");
        return 1;
    }
    const auto settle = [&](long restarts, long frames) {
        const auto start = Clock::now();
        while ((engine.restarts() <= restarts || engine.frames() <= frames) && msSince(start) < 10000)
            engine.step(20);
    };
    // From the middle of a 2-second keyframe interval, stepping back over whole intervals.
    long restarts = engine.restarts(), frames = engine.frames();
    engine.command({"seek", "11", "absolute", "exact"});
    settle(restarts, frames);

    // On an X display a step also counts until the server has drawn the picture: the
    // answer to a round trip comes after every request sent before it.
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    std::vector<double> review, drawn, backStep;
    std::vector<int> shownNumbers;
    int screenChecks = 0, screenMatches = 0;
    for (int round = 0; round < 4; ++round) {
        for (int k = 0; k < 30; ++k) {
            const auto start = Clock::now();
            w.MouseDown(1);
            review.push_back(msSince(start));
            if (connection) {
                std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
                drawn.push_back(msSince(start));
            }
            // Now and then, what the screen shows over the picture against the picture.
            if (connection && k % 10 == 5) {
                const QPoint at = w.findChild<ReviewPicture *>("oCaptured")->mapToGlobal(QPoint(0, 0));
                const QImage &shown = w.findChild<ReviewPicture *>("oCaptured")->buffer();
                const QImage screen = w.screen()->grabWindow(0, at.x(), at.y(), shown.width(), shown.height()).toImage();
                ++screenChecks;
                screenMatches += screen.convertToFormat(QImage::Format_RGB32) == shown;
            }
            w.ReleaseReview();
            for (int tick = 0; tick < 3 && w.reviewTimerEnabled(); ++tick)
                emit w.findChild<IntervalTimer *>("ReviewTimer")->Timer();
        }
        w.ShowImage(0);
        QCoreApplication::processEvents();
        for (int k = 0; k < 30; ++k) {
            restarts = engine.restarts();
            frames = engine.frames();
            const auto start = Clock::now();
            engine.command({"frame-back-step"});
            settle(restarts, frames);
            backStep.push_back(msSince(start));
            shownNumbers.push_back(frameNumber(engine.picture(), engine.size()));
        }
    }
    const Spread r = spread(review), b = spread(backStep), d = drawn.empty() ? Spread{} : spread(drawn);
    std::printf("mode=steps platform=%s frame_time=%d size=%dx%d review_median_ms=%.4f review_p95_ms=%.4f backstep_median_ms=%.2f "
                "backstep_p95_ms=%.2f ratio_median=%.0f ratio_p95=%.0f backstep_first_frame=%d backstep_last_frame=%d "
                "drawn_median_ms=%.4f drawn_p95_ms=%.4f drawn_ratio_median=%.0f screen_matches=%d/%d\n",
                qPrintable(QGuiApplication::platformName()), frameTime, program.clip.width(), program.clip.height(), r.median, r.p95, b.median, b.p95, b.median / r.median,
                b.p95 / r.p95, shownNumbers.front(), shownNumbers.back(), d.median, d.p95,
                d.median > 0 ? b.median / d.median : 0.0, screenMatches, screenChecks);
    return 0;
}

// ---------------------------------------------------------------------------
// Soak

int runSoak(const QString &clip, double seconds, const QString &csvPath)
{
    Program program;
    if (!startProgram(program, clip, 30)) {
        std::printf("soak: the clip did not play\n");
        return 1;
    }
    frmMain &w = *program.window;
    QFile csv(csvPath);
    if (!csv.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    csv.write("second,rss_mib,state\n");
    const double warmUp = std::min(60.0, seconds / 5);
    std::vector<std::pair<double, double>> samples;
    const auto start = Clock::now();
    for (int second = 1; second <= int(seconds); ++second) {
        if (second % 5 == 0) {
            // A review burst: hold the left button half a second, let go, play on.
            w.MouseDown(1);
            pump(500);
            w.ReleaseReview();
            pump(100);
            playPause(w);
        }
        if (w.oMediaPlayer()->PlayState() == MediaPlayer::Stopped)
            playPause(w); // at the end: from the start again
        pump(std::max(0, int(second * 1000 - msSince(start))));
        const double rss = residentMiB();
        csv.write(QStringLiteral("%1,%2,%3\n").arg(second).arg(rss, 0, 'f', 1).arg(w.oMediaPlayer()->PlayState()).toUtf8());
        csv.flush();
        if (second > warmUp)
            samples.emplace_back(second, rss);
    }
    // Least-squares slope of memory after the warm-up.
    double sx = 0, sy = 0, sxx = 0, sxy = 0, lo = 1e18, hi = 0;
    for (const auto &[x, y] : samples) {
        sx += x, sy += y, sxx += x * x, sxy += x * y;
        lo = std::min(lo, y), hi = std::max(hi, y);
    }
    const double n = double(samples.size());
    const double slope = n > 1 ? (n * sxy - sx * sy) / (n * sxx - sx * sx) : 0;
    std::printf("mode=soak size=%dx%d seconds=%.0f warmup_s=%.0f rss_after_warmup_min_mib=%.1f max_mib=%.1f "
                "last_mib=%.1f slope_mib_per_min=%.3f errors=%s\n",
                program.clip.width(), program.clip.height(), seconds, warmUp, lo, hi,
                samples.empty() ? 0.0 : samples.back().second, slope * 60, w.msErrorMessages().isEmpty() ? "none" : "some");
    return 0;
}

// ---------------------------------------------------------------------------
// The delay mirror: how far behind the live frame the picture shown is, tick by tick.

int runDelay(const QString &clip, double seconds, int frameTime)
{
    Program program;
    if (!startProgram(program, clip, 30, frameTime)) {
        std::printf("delay: the clip did not play\n");
        return 1;
    }
    frmMain &w = *program.window;
    w.findChild<QAction *>("mnuDelay2")->trigger();
    const double fps = w.oMediaPlayer()->FrameRate();
    const auto *shown = w.findChild<ReviewPicture *>("oCaptured");
    std::vector<double> lags; // in frames
    long blank = 0;
    bool counting = false;
    // Connected after the window's own tick: the capture and the delayed picture are done.
    QObject::connect(w.findChild<IntervalTimer *>("PlayTimer"), &IntervalTimer::Timer, &w, [&] {
        if (!counting)
            return;
        const int live = frameNumber(w.oMediaPlayer()->frame(), program.clip);
        // The review picture is the top of the snapshot, a little lower than the video.
        const int delayed = shown->isVisible() ? frameNumber(shown->buffer().copy(QRect(QPoint(), program.clip)), program.clip) : -1;
        if (live < 0 || delayed < 0)
            ++blank;
        else
            lags.push_back(live - delayed);
    });
    pump(3000); // the ring grows and fills
    counting = true;
    pump(int(seconds * 1000));
    counting = false;
    const double want = 2 * fps;
    const long within = std::count_if(lags.begin(), lags.end(), [&](double lag) { return std::abs(lag - want) <= 1; });
    const Spread spreadOf = spread(lags);
    std::map<int, int> counts; // lag in frames: ticks
    for (const double lag : lags)
        ++counts[int(lag)];
    QStringList histogram;
    for (const auto &[lag, n] : counts)
        histogram << QStringLiteral("%1:%2").arg(lag).arg(n);
    std::printf("mode=delay option=%d fps=%.2f ticks=%zu unread=%ld ring=%d lag_median_frames=%.1f lag_min_frames=%.0f "
                "lag_max_frames=%.0f want_frames=%.0f within_one_frame=%ld lags=%s label=%s errors=%s\n",
                frameTime, fps, lags.size(), blank, w.ring().count(), spreadOf.median,
                lags.empty() ? 0.0 : *std::min_element(lags.begin(), lags.end()),
                lags.empty() ? 0.0 : *std::max_element(lags.begin(), lags.end()), want, within, qPrintable(histogram.join(',')),
                qPrintable(w.findChild<QLabel *>("lblReviewTime")->text().replace(' ', '_')),
                w.msErrorMessages().isEmpty() ? "none" : "some");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_playback engine|replixa|frames|steps|soak|delay CLIP [SECONDS] [RING|CSV]\n");
        return 2;
    }
    int toolkitArgc = 1;
    ReplixaApplication app(toolkitArgc, argv);
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString clip = QString::fromLocal8Bit(argv[2]);
    const double seconds = argc > 3 ? std::atof(argv[3]) : 10;
    int result = 2;
    if (mode == QLatin1String("engine"))
        result = runEngine(clip, seconds, argc > 4 ? std::optional<double>(std::atof(argv[4])) : std::nullopt,
                           argc > 5 && QLatin1String(argv[5]) == QLatin1String("every"));
    else if (mode == QLatin1String("replixa"))
        result = runReplixa(clip, seconds, argc > 4 ? std::atoi(argv[4]) : 30);
    else if (mode == QLatin1String("frames"))
        result = runFrames(clip, seconds, argc > 4 ? std::atoi(argv[4]) : 30, argc > 5 ? std::atof(argv[5]) : 2);
    else if (mode == QLatin1String("steps"))
        result = runSteps(clip, argc > 3 ? std::atoi(argv[3]) : 0);
    else if (mode == QLatin1String("delay"))
        result = runDelay(clip, seconds, argc > 4 ? std::atoi(argv[4]) : 1);
    else if (mode == QLatin1String("soak"))
        result = runSoak(clip, seconds, argc > 4 ? QString::fromLocal8Bit(argv[4]) : QStringLiteral("soak.csv"));
    MessageBox::setPresenter({});
    ProgramFolder::setOverride({});
    std::fflush(stdout);
    // The engine's threads and the window go down with the process.
    std::_Exit(result);
}
