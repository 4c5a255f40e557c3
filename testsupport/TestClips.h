#pragma once
// Short video clips that the tests make with ffmpeg, in a folder that lives as long as
// the test program.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

namespace TestClips {
// The folder clips are made in (created on first use, removed at exit).
inline QString folder()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/replixa-clips-XXXXXX"));
    return dir.path();
}
// Runs ffmpeg with the given input options and filters to write fileName in folder();
// returns the full path, or an empty string when ffmpeg failed. An existing clip is kept.
inline QString make(const QString &fileName, const QStringList &ffmpegArguments)
{
    const QString path = folder() + QLatin1Char('/') + fileName;
    if (QFile::exists(path))
        return path;
    QProcess p;
    p.start(qEnvironmentVariable("REPLIXA_FFMPEG", QStringLiteral("ffmpeg")),
            QStringList{"-hide_banner", "-loglevel", "error", "-y"} + ffmpegArguments + QStringList{path});
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return path;
    qWarning("ffmpeg failed for %s: %s", qPrintable(fileName), p.readAllStandardError().constData());
    QFile::remove(path);
    return {};
}
// width x height of one colour (a name or 0xRRGGBB), seconds long, at fps frames a second.
inline QString solid(const QString &fileName, const QString &colour, int width, int height, double seconds, int fps = 25)
{
    const QString source =
        QStringLiteral("color=c=%1:s=%2x%3:r=%4:d=%5").arg(colour).arg(width).arg(height).arg(fps).arg(seconds);
    return make(fileName, {"-f", "lavfi", "-i", source, "-pix_fmt", "yuv420p", "-c:v", "libx264", "-g", "1"});
}
} // namespace TestClips
