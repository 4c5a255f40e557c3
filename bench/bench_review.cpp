// Cost of capture and review through the main window with the scripted media player,
// at 640 x 360, 1280 x 720 and 1920 x 1080:
//   - one capture (CaptureImage: the video area into the ring slot at the write cursor)
//     against a plain memcpy of the same bytes from the same frame into the same kind
//     of slot. The two are measured in turn, each on the next slot of the ring, so both
//     write memory last touched a whole ring ago; medians, 95th percentiles and ratio;
//   - one review step (ShowImage(k), the picture repainted at once): median and 95th
//     percentile;
//   - heap allocations per capture and per review step in steady state.
// Figures only; nothing here passes or fails. The review step against the engine's own
// step back, on a real clip, is bench_playback's.
//
// Allocations are counted at both doors of the heap: every global operator new and
// delete, and the C allocator (malloc, calloc, realloc and the aligned forms), which
// Qt's strings and images use directly. With REPLIXA_BENCH_TRACE=1 in the environment
// every allocation counted during a capture prints a backtrace to stderr.

#include "Spread.h"
#include "FakeMediaPlayer.h"

#include "app/ReplixaApplication.h"
#include "app/CommandBar.h"
#include "app/frmMain.h"
#include "errors/MessageBox.h"
#include "review/ReviewPicture.h"
#include "review/SnapshotRing.h"
#include "review/TileGrid.h"
#include "settings/SettingsStore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <execinfo.h>
#include <limits>
#include <memory>
#include <new>
#include <pthread.h>
#include <string>
#include <unistd.h>
#include <vector>
// Counting heap

extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void *__libc_memalign(size_t alignment, size_t size);
void __libc_free(void *block);
}

namespace {

struct HeapCounts {
    long operatorNew = 0; // global operator new, any form
    long cAlloc = 0;      // malloc, calloc, realloc and the aligned forms
    long bytes = 0;       // bytes asked for through either door
    long otherThreads = 0; // allocations of any kind on threads other than the main one
    long total() const { return operatorNew + cAlloc; }
};

std::atomic<bool> gCounting{false};
std::atomic<bool> gTrace{false};
std::atomic<long> gOperatorNew{0};
std::atomic<long> gCAlloc{0};
std::atomic<long> gBytes{0};
std::atomic<long> gOtherThreads{0};
pthread_t gMainThread;
thread_local bool tInTrace = false;

void writeText(const char *text)
{
    const ssize_t ignored = ::write(2, text, std::strlen(text));
    (void)ignored;
}

// Called on every allocation; cheap when counting is off.
inline void noteAllocation(bool viaOperatorNew, size_t size)
{
    if (!gCounting.load(std::memory_order_relaxed))
        return;
    if (!pthread_equal(pthread_self(), gMainThread)) {
        gOtherThreads.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    (viaOperatorNew ? gOperatorNew : gCAlloc).fetch_add(1, std::memory_order_relaxed);
    gBytes.fetch_add(long(size), std::memory_order_relaxed);
    if (gTrace.load(std::memory_order_relaxed) && !tInTrace) {
        // backtrace() and backtrace_symbols_fd() were warmed up in main and allocate
        // nothing from here on; the guard keeps any stray allocation from recursing.
        tInTrace = true;
        char line[96];
        std::snprintf(line, sizeof line, "--- %s of %zu bytes during capture:\n",
                      viaOperatorNew ? "operator new" : "C allocation", size);
        writeText(line);
        void *frames[48];
        const int depth = backtrace(frames, 48);
        backtrace_symbols_fd(frames, depth, 2);
        tInTrace = false;
    }
}

void resetCounts()
{
    gOperatorNew = 0;
    gCAlloc = 0;
    gBytes = 0;
    gOtherThreads = 0;
}

HeapCounts readCounts()
{
    HeapCounts c;
    c.operatorNew = gOperatorNew.load();
    c.cAlloc = gCAlloc.load();
    c.bytes = gBytes.load();
    c.otherThreads = gOtherThreads.load();
    return c;
}

void *newBlock(size_t size)
{
    noteAllocation(true, size);
    void *block = __libc_malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void *newAlignedBlock(size_t size, std::align_val_t alignment)
{
    noteAllocation(true, size);
    void *block = __libc_memalign(std::max(size_t(alignment), sizeof(void *)), size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    return block;
}

} // namespace

extern "C" {
void *malloc(size_t size) noexcept
{
    noteAllocation(false, size);
    return __libc_malloc(size);
}

void *calloc(size_t count, size_t size) noexcept
{
    noteAllocation(false, count * size);
    return __libc_calloc(count, size);
}

void *realloc(void *block, size_t size) noexcept
{
    noteAllocation(false, size);
    return __libc_realloc(block, size);
}

void *reallocarray(void *block, size_t count, size_t size) noexcept
{
    size_t bytes = 0;
    if (__builtin_mul_overflow(count, size, &bytes)) {
        errno = ENOMEM;
        return nullptr;
    }
    noteAllocation(false, bytes);
    return __libc_realloc(block, bytes);
}

void *memalign(size_t alignment, size_t size) noexcept
{
    noteAllocation(false, size);
    return __libc_memalign(alignment, size);
}

void *aligned_alloc(size_t alignment, size_t size) noexcept
{
    noteAllocation(false, size);
    return __libc_memalign(alignment, size);
}

int posix_memalign(void **result, size_t alignment, size_t size) noexcept
{
    if (alignment < sizeof(void *) || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    noteAllocation(false, size);
    void *block = __libc_memalign(alignment, size);
    if (!block)
        return ENOMEM;
    *result = block;
    return 0;
}

void *valloc(size_t size) noexcept
{
    noteAllocation(false, size);
    return __libc_memalign(size_t(sysconf(_SC_PAGESIZE)), size);
}

void *pvalloc(size_t size) noexcept
{
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const size_t rounded = (size + page - 1) / page * page;
    noteAllocation(false, rounded);
    return __libc_memalign(page, rounded ? rounded : page);
}

void free(void *block) noexcept
{
    __libc_free(block);
}
} // extern "C"

void *operator new(size_t size) { return newBlock(size); }
void *operator new[](size_t size) { return newBlock(size); }
void *operator new(size_t size, const std::nothrow_t &) noexcept
{
    try {
        return newBlock(size);
    } catch (...) {
        return nullptr;
    }
}
void *operator new[](size_t size, const std::nothrow_t &) noexcept
{
    try {
        return newBlock(size);
    } catch (...) {
        return nullptr;
    }
}
void *operator new(size_t size, std::align_val_t alignment) { return newAlignedBlock(size, alignment); }
void *operator new[](size_t size, std::align_val_t alignment) { return newAlignedBlock(size, alignment); }
void *operator new(size_t size, std::align_val_t alignment, const std::nothrow_t &) noexcept
{
    try {
        return newAlignedBlock(size, alignment);
    } catch (...) {
        return nullptr;
    }
}
void *operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t &) noexcept
{
    try {
        return newAlignedBlock(size, alignment);
    } catch (...) {
        return nullptr;
    }
}

void operator delete(void *block) noexcept { __libc_free(block); }
void operator delete[](void *block) noexcept { __libc_free(block); }
void operator delete(void *block, size_t) noexcept { __libc_free(block); }
void operator delete[](void *block, size_t) noexcept { __libc_free(block); }
void operator delete(void *block, const std::nothrow_t &) noexcept { __libc_free(block); }
void operator delete[](void *block, const std::nothrow_t &) noexcept { __libc_free(block); }
void operator delete(void *block, std::align_val_t) noexcept { __libc_free(block); }
void operator delete[](void *block, std::align_val_t) noexcept { __libc_free(block); }
void operator delete(void *block, size_t, std::align_val_t) noexcept { __libc_free(block); }
void operator delete[](void *block, size_t, std::align_val_t) noexcept { __libc_free(block); }
void operator delete(void *block, std::align_val_t, const std::nothrow_t &) noexcept { __libc_free(block); }
void operator delete[](void *block, std::align_val_t, const std::nothrow_t &) noexcept { __libc_free(block); }


// ---------------------------------------------------------------------------
// The window under measurement

namespace {

constexpr qint32 kCaptureCount = 30;

struct Scene {
    QTemporaryDir folder;
    std::unique_ptr<frmMain> window;
    FakeMediaPlayer *fake = nullptr;
};

// The window plays a clip of the given size at 100 % with a ring of 30 slots; the video
// area is shown and no timer runs behind the measurement's back.
bool buildScene(Scene &scene, QSize video)
{
    const QString clip = QStringLiteral("/clips/court.avi");
    ProgramFolder::setOverride(scene.folder.path());
    {
        QFile ini(scene.folder.filePath(QStringLiteral("Replixa.ini")));
        if (!ini.open(QIODevice::WriteOnly))
            return false;
        ini.write("[Replixa]\r\nStartCount=10\r\nCaptureCount=30\r\nzoom=1\r\n");
    }
    MessageBox::setPresenter([](const QString &, const QString &text, MessageBox::Icon) {
        std::fprintf(stderr, "message box: %s\n", qPrintable(text));
    });
    scene.window = std::make_unique<frmMain>(
        [&](QWidget *parent) -> std::unique_ptr<MediaPlayer> {
            auto player = std::make_unique<FakeMediaPlayer>(parent);
            player->addMedium(clip, video, 60.0);
            scene.fake = player.get();
            return player;
        },
        QString());
    frmMain &w = *scene.window;
    w.Form_Load();
    w.OpenMedia(clip);
    w.show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    scene.fake->setPicture(QColor(40, 120, 60));
    for (const char *timer : {"PlayTimer", "PauseTimer", "ReviewTimer", "PositionTimer", "SplashTimer"})
        w.findChild<IntervalTimer *>(timer)->stop();
    w.ShowImage(0);
    QWidget *area = scene.fake->widget();
    const QImage &slot = w.ring().slot(w.ring().captureSlot());
    return area->size() == video && area->isVisible() && scene.fake->frame().size() == video &&
           w.ring().count() == kCaptureCount && slot.size() == video && !w.findChild<ReviewPicture *>("oCaptured")->isVisible() &&
           w.msErrorMessages().isEmpty();
}

void fillRing(frmMain &w)
{
    for (qint32 i = 0; i < 2 * kCaptureCount; ++i)
        w.CaptureImage();
}

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

template <class Step>
HeapCounts countAllocations(int steps, Step step)
{
    resetCounts();
    gCounting = true;
    for (int i = 0; i < steps; ++i)
        step(i);
    gCounting = false;
    return readCounts();
}

struct CaptureFigures {
    QSize size;
    Spread capture, copy;
    double allocations = 0;
    long bytes = 0;
};

// Captures and plain copies in turn, each into the slot at the write cursor: the copy
// then moves the cursor on as a capture would, so every write meets a slot last written
// a ring ago.
CaptureFigures measureCaptures(QSize video, bool trace)
{
    CaptureFigures figures;
    figures.size = video;
    Scene scene;
    if (!buildScene(scene, video)) {
        std::printf("the window did not reach a shown %dx%d video area with a 30-slot ring\n", video.width(),
                    video.height());
        return figures;
    }
    frmMain &w = *scene.window;
    SnapshotRing &ring = w.ring();
    const QImage &frame = scene.fake->frame();
    fillRing(w);
    constexpr int kCounted = 100;
    gTrace = trace;
    const HeapCounts counts = countAllocations(kCounted, [&](int) { w.CaptureImage(); });
    gTrace = false;
    figures.allocations = double(counts.total()) / kCounted;
    figures.bytes = counts.bytes;

    std::vector<double> captures, copies;
    const std::size_t bytes = std::size_t(frame.sizeInBytes());
    for (int round = 0; round < 600; ++round) {
        const qint32 slot = ring.captureSlot();
        if (round % 2 == 0) {
            const auto start = Clock::now();
            w.CaptureImage();
            captures.push_back(msSince(start));
        } else {
            QImage &target = ring.slot(slot);
            const auto start = Clock::now();
            std::memcpy(target.bits(), frame.constBits(), bytes);
            copies.push_back(msSince(start));
            ring.setCaptureSlot(slot - 1 < 1 ? ring.count() : slot - 1);
        }
    }
    figures.capture = spread(captures);
    figures.copy = spread(copies);
    if (!w.msErrorMessages().isEmpty())
        std::printf("errors reported by the window: %s\n", qPrintable(w.msErrorMessages()));
    scene.window.reset();
    return figures;
}

struct ReviewFigures {
    Spread step;
    double allocations = 0;
    double copyMs = 0;
    bool sharedNotCopied = false;
    bool copyKeptAfterCapture = false;
};

ReviewFigures measureReview(QSize video)
{
    ReviewFigures figures;
    Scene scene;
    if (!buildScene(scene, video))
        return figures;
    frmMain &w = *scene.window;
    fillRing(w);
    for (qint32 k = 1; k <= kCaptureCount; ++k)
        w.ShowImage(k); // the first steps lay out and cache what repainting needs
    std::vector<double> steps;
    for (int i = 0; i < 20 * kCaptureCount; ++i) {
        const auto start = Clock::now();
        w.ShowImage(1 + i % kCaptureCount);
        steps.push_back(msSince(start));
    }
    figures.step = spread(steps);
    constexpr int kCounted = 90;
    const HeapCounts counts = countAllocations(kCounted, [&](int i) { w.ShowImage(1 + i % kCaptureCount); });
    figures.allocations = double(counts.total()) / kCounted;

    // Copy Image while a snapshot is shown: the clipboard gets the very pixels shown, and
    // the capture that comes round to that slot later leaves them as they were.
    w.ShowImage(1);
    const qint32 shownSlot = w.ring().slotOfOffset(1);
    figures.sharedNotCopied = w.findChild<ReviewPicture *>("oCaptured")->buffer().constBits() == w.ring().slot(shownSlot).constBits();
    QAction *copy = w.findChild<QAction *>("mnuToolsCopy");
    const auto start = Clock::now();
    copy->trigger();
    figures.copyMs = msSince(start);
    const QImage before = QGuiApplication::clipboard()->image().copy();
    w.ShowImage(0);
    scene.fake->setPicture(QColor(200, 30, 30));
    fillRing(w);
    figures.copyKeptAfterCapture = QGuiApplication::clipboard()->image() == before && !before.isNull();
    QGuiApplication::clipboard()->clear();
    scene.window.reset();
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    gMainThread = pthread_self();
    {
        // The first backtrace loads the unwinder, which allocates; do it now.
        void *frames[4];
        backtrace(frames, 4);
    }
    const bool trace = qEnvironmentVariableIntValue("REPLIXA_BENCH_TRACE") != 0;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ReplixaApplication app(argc, argv);

    std::printf("=== Capture: CaptureImage against a plain memcpy of the same bytes into a ring slot "
                "(ms; 300 of each, in turn) ===\n");
    std::printf("%-10s %9s %9s %9s %9s %8s %12s\n", "size", "capture", "p95", "memcpy", "p95", "ratio",
                "allocations");
    for (const QSize size : {QSize(640, 360), QSize(1280, 720), QSize(1920, 1080)}) {
        const CaptureFigures f = measureCaptures(size, trace);
        std::printf("%4dx%-5d %9.3f %9.3f %9.3f %9.3f %7.2fx %12.2f\n", size.width(), size.height(),
                    f.capture.median, f.capture.p95, f.copy.median, f.copy.p95,
                    f.copy.median > 0 ? f.capture.median / f.copy.median : 0.0, f.allocations);
    }

    const ReviewFigures r = measureReview(QSize(1920, 1080));
    std::printf("\n=== Review step at 1920x1080 (ShowImage(k), repainted at once; 600 steps) ===\n");
    std::printf("review step median %.3f ms, p95 %.3f ms; %.2f heap allocations per step\n", r.step.median,
                r.step.p95, r.allocations);
    std::printf("the shown picture is the slot's own pixels: %s\n", r.sharedNotCopied ? "yes" : "NO");
    std::printf("Copy Image of a snapshot %.3f ms; the clipboard's picture unchanged after the ring is "
                "written over twice: %s\n",
                r.copyMs, r.copyKeptAfterCapture ? "yes" : "NO");

    MessageBox::setPresenter({});
    ProgramFolder::setOverride({});
    return 0;
}
