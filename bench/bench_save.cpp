// Saving a full ring of 300 snapshots of 1080p as an MP4 file (ClipWriter, the work the
// save's thread does), against the clip's own duration, and the memory the save takes at
// its peak against the ring's size. The snapshots are 300 consecutive frames of ffmpeg's
// moving testsrc2 picture, as the bench clips show it, stamped 1/30 s apart as every frame
// of a 30 fps video is; the clip lasts 10 s. Figures only: nothing passes or fails.
//
// The peak is the process's resident high-water mark (VmHWM) over the save, the mark reset
// just before it (/proc/self/clear_refs), less the resident size before it.

#include "review/ClipWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int kSnapshots = 300;
constexpr double kGap = 1.0 / 30;

// kilobytes of a /proc/self/status line ("VmRSS", "VmHWM").
double statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field)) + 1).trimmed().split(' ').first().toDouble();
    }
    return 0;
}

// The ring: 300 frames of testsrc2 at 1920 x 1080, read from ffmpeg as the ring's pixels.
const QList<ClipWriter::Frame> &ring()
{
    static const QList<ClipWriter::Frame> frames = [] {
        QList<ClipWriter::Frame> out;
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"), {"-v", "error", "-f", "lavfi", "-i", "testsrc2=s=1920x1080:r=30", "-frames:v",
                                                QString::number(kSnapshots), "-pix_fmt", "bgra", "-f", "rawvideo", "-"});
        while (out.size() < kSnapshots) {
            QImage image(1920, 1080, QImage::Format_RGB32);
            qint64 got = 0;
            while (got < image.sizeInBytes() && (ffmpeg.bytesAvailable() > 0 || ffmpeg.waitForReadyRead(10000)))
                got += ffmpeg.read(reinterpret_cast<char *>(image.bits()) + got, image.sizeInBytes() - got);
            if (got < image.sizeInBytes())
                break;
            out.append({image, 100 + double(out.size()) * kGap});
        }
        ffmpeg.waitForFinished();
        return out;
    }();
    return frames;
}

void BM_SaveRingAsMp4(benchmark::State &state)
{
    const QList<ClipWriter::Frame> &frames = ring();
    if (frames.size() < kSnapshots) {
        state.SkipWithError("ffmpeg gave no frames");
        return;
    }
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("ring.mp4"));
    const double ringMiB = double(frames.size()) * double(frames.first().image.sizeInBytes()) / 1048576;
    double seconds = 0, beyondMiB = 0;
    for (auto _ : state) {
        QFile::remove(target);
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5"); // resets the high-water mark to the resident size now
        clear.close();
        const double before = statusKiB("VmRSS:");
        QElapsedTimer timer;
        timer.start();
        const QString message = ClipWriter::write(frames, ClipWriter::Format::Mp4, target);
        const double took = double(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(took);
        if (!message.isEmpty())
            state.SkipWithError(qPrintable(message));
        seconds += took;
        beyondMiB = std::max(beyondMiB, (statusKiB("VmHWM:") - before) / 1024);
    }
    const double clip = kSnapshots * kGap, each = seconds / double(state.iterations());
    state.counters["clip_s"] = clip;
    state.counters["save_s"] = each;
    state.counters["save_per_clip"] = each / clip;
    state.counters["ring_MiB"] = ringMiB;
    state.counters["peak_beyond_MiB"] = beyondMiB;
    state.counters["peak_per_ring"] = beyondMiB / ringMiB;
    state.counters["file_MiB"] = double(QFileInfo(target).size()) / 1048576;
}
BENCHMARK(BM_SaveRingAsMp4)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1)->Repetitions(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
