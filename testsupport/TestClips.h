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
// Writes a file of these bytes in folder(); returns its full path, or an empty string when that failed.
inline QString write(const QString &fileName, const QByteArray &bytes)
{
    QFile file(folder() + QLatin1Char('/') + fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName() : QString();
}
// An H.264 clip of an ffmpeg lavfi source; further output options follow and override.
inline QString h264(const QString &fileName, const QString &source, const QStringList &options = {})
{
    return make(fileName, QStringList{"-f", "lavfi", "-i", source, "-c:v", "libx264", "-pix_fmt", "yuv420p"} + options);
}
// Two seconds of 160 x 120 at 25 frames a second, the left half red, the right half blue.
inline QString redBlue()
{
    return h264("redblue.mp4", "color=c=red:s=160x120:r=25:d=2,drawbox=x=80:y=0:w=80:h=120:color=blue:t=fill");
}
} // namespace TestClips
