// Cost of one settings read and one atomic settings write: nothing is cached, so every
// read opens the file and every write replaces it.

#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
struct Folder {
    QTemporaryDir dir;
    Folder()
    {
        ProgramFolder::setOverride(dir.path());
        QFile ini(dir.filePath(QStringLiteral("Replixa.ini")));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("; settings\r\n[Other]\r\nkey=value\r\n[Replixa]\r\nStartCount=7\r\nCaptureCount=30\r\n"
                      "width=9000\r\nheight=8000\r\nzoom=1\r\nFrameTime=1\r\n");
    }
};

void BM_GetConfigValue(benchmark::State &state)
{
    Folder folder;
    for (auto _ : state)
        benchmark::DoNotOptimize(GetConfigValue(QStringLiteral("FrameTime")));
}
BENCHMARK(BM_GetConfigValue);

void BM_SetConfigValue(benchmark::State &state)
{
    Folder folder;
    int i = 0;
    for (auto _ : state)
        SetConfigValue(QStringLiteral("StartCount"), QString::number(++i));
}
BENCHMARK(BM_SetConfigValue);
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
