// Cost of capture and review on a 1920 x 1080 video area, through the main window
// with the scripted media player:
//   - one capture: CaptureImage() copies the video area into the ring slot at the
//     write cursor as 6 x 6 tiles; set against a plain memcpy of the same bytes;
//   - one review step: ShowImage(k) copies the snapshot of offset k into the review
//     picture and repaints it;
//   - heap allocations per capture and per review step in steady state;
//   - the memory the ring holds: pixel bytes and the ring's own bookkeeping.
// Figures only; nothing here passes or fails.
//
// Allocations are counted at both doors of the heap: every global operator new and
// delete, and the C allocator (malloc, calloc, realloc and the aligned forms), which
// Qt's strings and images use directly. With REPLIXA_BENCH_TRACE=1 in the environment
// every allocation counted during a capture prints a backtrace to stderr.

#include "FakeMediaPlayer.h"

#include "app/ReplixaApplication.h"
#include "app/CommandBar.h"
#include "app/frmMain.h"
#include "errors/MessageBox.h"
#include "review/ReviewPicture.h"
#include "review/SnapshotRing.h"
#include "review/TileGrid.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <execinfo.h>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <pthread.h>
#include <string>
#include <unistd.h>
#include <vector>

// ---------------------------------------------------------------------------
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

const QString kClip = QStringLiteral("/clips/court-1080p.avi");
constexpr QSize kVideo(1920, 1080);
constexpr qint32 kCaptureCount = 30;
constexpr std::size_t kFrameBytes = std::size_t(1920) * 1080 * 4;

struct Scene {
    QTemporaryDir folder;
    std::unique_ptr<frmMain> window;
    FakeMediaPlayer *fake = nullptr;
};
Scene *gScene = nullptr;

// The window plays the clip at 100 % with a ring of 30 slots; the video area is shown.
bool buildScene(Scene &scene)
{
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
        [&scene](QWidget *parent) -> std::unique_ptr<MediaPlayer> {
            auto player = std::make_unique<FakeMediaPlayer>(parent);
            player->addMedium(kClip, kVideo, 60.0);
            scene.fake = player.get();
            return player;
        },
        QString());
    frmMain &w = *scene.window;
    w.Form_Load();
    w.OpenMedia(kClip);
    w.show();
    // Deliver the queued open and play notifications and the show's pending resizes.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    scene.fake->setPicture(QColor(40, 120, 60));
    // No timer may capture or step behind the benchmark's back.
    w.PlayTimer->stop();
    w.PauseTimer->stop();
    w.ReviewTimer->stop();
    w.PositionTimer->stop();
    w.SplashTimer->stop();
    w.ShowImage(0);

    QWidget *video = scene.fake->widget();
    const QImage &slot = w.ring().slot(w.ring().captureSlot());
    std::printf("setup: video %dx%d visible=%d, frame %dx%d, ring %d slots of %dx%d, review picture %dx%d, "
                "window %dx%d visible=%d\n",
                video->width(), video->height(), int(video->isVisible()), scene.fake->frame().width(),
                scene.fake->frame().height(), w.ring().count(), slot.width(), slot.height(),
                w.oCaptured->buffer().width(), w.oCaptured->buffer().height(), w.width(), w.height(),
                int(w.isVisible()));
    return video->size() == kVideo && video->isVisible() && scene.fake->frame().size() == kVideo &&
           w.ring().count() == kCaptureCount && slot.size() == kVideo && !w.oCaptured->isVisible() &&
           w.msErrorMessages().isEmpty();
}

void fillRing(frmMain &w)
{
    for (qint32 i = 0; i < 2 * kCaptureCount; ++i)
        w.CaptureImage();
}

// ---------------------------------------------------------------------------
// Benchmarks

void BM_Capture1080p(benchmark::State &state)
{
    frmMain &w = *gScene->window;
    w.ShowImage(0);
    fillRing(w);
    for (auto _ : state) {
        w.CaptureImage();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kFrameBytes));
}

// Two buffers, allocated and touched once: the copy the capture is set against.
void BM_PlainCopy1080p(benchmark::State &state)
{
    std::vector<unsigned char> from(kFrameBytes, 1), to(kFrameBytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kFrameBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kFrameBytes));
}

// One source into 30 destinations in turn, as the ring's slots are written: the
// destination is never in cache.
void BM_PlainCopyInto30Buffers(benchmark::State &state)
{
    std::vector<unsigned char> from(kFrameBytes, 1);
    std::vector<std::vector<unsigned char>> to(kCaptureCount, std::vector<unsigned char>(kFrameBytes, 0));
    std::size_t next = 0;
    for (auto _ : state) {
        std::memcpy(to[next].data(), from.data(), kFrameBytes);
        next = next + 1 == to.size() ? 0 : next + 1;
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kFrameBytes));
}

void BM_ReviewStep1080p(benchmark::State &state)
{
    frmMain &w = *gScene->window;
    w.ShowImage(0);
    fillRing(w);
    qint32 k = 0;
    for (auto _ : state) {
        k = k == kCaptureCount ? 1 : k + 1;
        w.ShowImage(k);
        benchmark::ClobberMemory();
    }
    w.ShowImage(0);
}

// The tile copy of a review step alone, without the label and the repaint.
void BM_ReviewTileCopy1080p(benchmark::State &state)
{
    frmMain &w = *gScene->window;
    QImage &buffer = w.oCaptured->buffer();
    const QSize tile = TileGrid::tileSize(kVideo.width(), kVideo.height());
    qint32 k = 0;
    for (auto _ : state) {
        k = k == kCaptureCount ? 1 : k + 1;
        TileGrid::copyTiles(w.ring().slot(w.ring().slotOfOffset(k)), QPoint(0, 0), buffer, tile);
        benchmark::ClobberMemory();
    }
}

constexpr int kRepetitions = 9;
constexpr double kMinTime = 0.2;

BENCHMARK(BM_Capture1080p)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions)->MinTime(kMinTime)->ReportAggregatesOnly(true);
BENCHMARK(BM_PlainCopy1080p)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions)->MinTime(kMinTime)->ReportAggregatesOnly(true);
BENCHMARK(BM_PlainCopyInto30Buffers)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions)->MinTime(kMinTime)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReviewStep1080p)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions)->MinTime(kMinTime)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReviewTileCopy1080p)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions)->MinTime(kMinTime)->ReportAggregatesOnly(true);

// The console table as usual, and each benchmark's median real time kept for the summary.
class MedianKeeper : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    std::map<std::string, double> medianSeconds;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medianSeconds[run.run_name.function_name] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    double ms(const char *name) const
    {
        const auto it = medianSeconds.find(name);
        return it == medianSeconds.end() ? -1 : it->second * 1e3;
    }
};

// ---------------------------------------------------------------------------
// Allocation counts and ring memory

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

constexpr double kMiB = 1024.0 * 1024.0;

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
    benchmark::Initialize(&argc, argv);

    Scene scene;
    gScene = &scene;
    if (!buildScene(scene)) {
        std::printf("the window did not reach a shown 1080p video area with a 30-slot ring; errors: %s\n",
                    qPrintable(scene.window ? scene.window->msErrorMessages() : QString()));
        return 1;
    }
    frmMain &w = *scene.window;

    // Ring memory at 1080p with 30 slots, from a fresh SetSnapshotRegion.
    HeapCounts region = countAllocations(1, [&](int) { w.SetSnapshotRegion(); });
    const SnapshotRing &ring = w.ring();
    const qint64 pixelBytes = ring.bytesHeld();
    const qint64 expectedPixels = qint64(ring.count()) * kVideo.width() * kVideo.height() * 4;
    // The ring's own bookkeeping: the object, and its two vectors of count + 1 entries
    // (slot 0 unused), an image header and a written flag each; setCount sizes both
    // vectors exactly.
    const std::size_t entries = std::size_t(ring.count()) + 1;
    const std::size_t fixedBase = sizeof(SnapshotRing) + entries * (sizeof(QImage) + sizeof(char));
    // The same observed on a ring of its own: what setCount asks of the heap, and what
    // each allocated slot asks beyond its pixels (the image's private header).
    SnapshotRing probe;
    const HeapCounts probeCount = countAllocations(1, [&](int) { probe.setCount(kCaptureCount); });
    qint64 probeBudget = std::numeric_limits<qint64>::max();
    const HeapCounts probeSlots = countAllocations(
        kCaptureCount, [&](int i) { probe.allocateSlot(i + 1, kVideo, probeBudget); });
    const long perSlotHeader = (probeSlots.bytes - long(probe.bytesHeld())) / kCaptureCount;
    probe.releaseAll();

    // Steady state: the ring filled twice over, then counted.
    w.ShowImage(0);
    fillRing(w);
    constexpr int kCountedCaptures = 100;
    gTrace = trace;
    const HeapCounts capture = countAllocations(kCountedCaptures, [&](int) { w.CaptureImage(); });
    gTrace = false;
    fillRing(w);
    for (qint32 k = 1; k <= kCaptureCount; ++k)
        w.ShowImage(k); // the first steps lay out and cache what repainting needs
    constexpr int kCountedSteps = 90;
    const HeapCounts review = countAllocations(kCountedSteps, [&](int i) { w.ShowImage(1 + i % kCaptureCount); });
    // Two parts of a step on their own: the repaint of the shown review picture, and a
    // new text in the age label.
    const HeapCounts repaint = countAllocations(kCountedSteps, [&](int) { w.oCaptured->repaint(); });
    const QString ages[2] = {QStringLiteral("0.04 sec"), QStringLiteral("0.08 sec")};
    const HeapCounts label = countAllocations(kCountedSteps, [&](int i) { w.frCommand->lblReviewTime->setText(ages[i % 2]); });
    w.ShowImage(0);

    MedianKeeper reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double captureMs = reporter.ms("BM_Capture1080p");
    const double copyMs = reporter.ms("BM_PlainCopy1080p");
    const double copy30Ms = reporter.ms("BM_PlainCopyInto30Buffers");
    const double reviewMs = reporter.ms("BM_ReviewStep1080p");
    const double tileMs = reporter.ms("BM_ReviewTileCopy1080p");

    std::printf("\n=== Capture and review, 1920x1080 video area, ring of %d slots (medians of %d runs) ===\n",
                kCaptureCount, kRepetitions);
    std::printf("capture (CaptureImage)             %8.3f ms   (target <= 2 ms)\n", captureMs);
    std::printf("plain memcpy, two buffers          %8.3f ms\n", copyMs);
    std::printf("capture / plain memcpy             %8.2f x    (target <= 3x)\n", captureMs / copyMs);
    std::printf("plain memcpy into 30 buffers       %8.3f ms   (capture / this = %.2f x)\n", copy30Ms,
                captureMs / copy30Ms);
    std::printf("review step (ShowImage k=1..30)    %8.3f ms   (target <= 2 ms)\n", reviewMs);
    std::printf("  of which the tile copy alone     %8.3f ms\n", tileMs);
    std::printf("heap allocations per capture       %8.2f     (%ld operator new + %ld C allocations over %d captures,"
                " %ld bytes; other threads %ld; target 0)\n",
                double(capture.total()) / kCountedCaptures, capture.operatorNew, capture.cAlloc,
                kCountedCaptures, capture.bytes, capture.otherThreads);
    std::printf("heap allocations per review step   %8.2f     (%ld operator new + %ld C allocations over %d steps,"
                " %ld bytes; other threads %ld)\n",
                double(review.total()) / kCountedSteps, review.operatorNew, review.cAlloc, kCountedSteps,
                review.bytes, review.otherThreads);
    std::printf("  of which a repaint of the picture %8.2f     (%ld bytes per repaint)\n",
                double(repaint.total()) / kCountedSteps, repaint.bytes / kCountedSteps);
    std::printf("  of which a new age label text     %8.2f     (%ld bytes per text)\n",
                double(label.total()) / kCountedSteps, label.bytes / kCountedSteps);
    std::printf("ring pixel bytes (bytesHeld)       %8.2f MiB  (%lld bytes; N*W*H*4 = %lld)\n", pixelBytes / kMiB,
                static_cast<long long>(pixelBytes), static_cast<long long>(expectedPixels));
    std::printf("ring fixed base                    %8.6f MiB  (%zu bytes = sizeof(SnapshotRing) %zu + %zu entries "
                "x (sizeof(QImage) %zu + 1))\n",
                fixedBase / kMiB, fixedBase, sizeof(SnapshotRing), entries, sizeof(QImage));
    std::printf("  observed: setCount(%d) asks %ld bytes in %ld allocations; each 1080p slot asks %ld bytes "
                "beyond its pixels\n",
                kCaptureCount, probeCount.bytes, probeCount.total(), perSlotHeader);
    std::printf("  SetSnapshotRegion at 1080p: %ld allocations, %ld bytes\n", region.total(), region.bytes);
    if (!w.msErrorMessages().isEmpty())
        std::printf("errors reported by the window: %s\n", qPrintable(w.msErrorMessages()));

    scene.window.reset();
    MessageBox::setPresenter({});
    ProgramFolder::setOverride({});
    return 0;
}
