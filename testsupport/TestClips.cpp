#include "TestClips.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace TestClips {

QString folder()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/replixa-clips-XXXXXX"));
    return dir.path();
}

QString make(const QString &fileName, const QStringList &ffmpegArguments)
{
    const QString path = folder() + QLatin1Char('/') + fileName;
    if (QFileInfo::exists(path))
        return path;
    QString ffmpeg = qEnvironmentVariable("REPLIXA_FFMPEG");
    if (ffmpeg.isEmpty())
        ffmpeg = QStringLiteral("ffmpeg");
    QStringList args{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                     QStringLiteral("-y")};
    args << ffmpegArguments << path;
    QProcess p;
    p.start(ffmpeg, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("ffmpeg failed for %s: %s", qPrintable(fileName), p.readAllStandardError().constData());
        QFile::remove(path);
        return {};
    }
    return path;
}

QString solid(const QString &fileName, const QString &colour, int width, int height, double seconds, int fps)
{
    return make(fileName, {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                           QStringLiteral("color=c=%1:s=%2x%3:r=%4:d=%5")
                               .arg(colour).arg(width).arg(height).arg(fps).arg(seconds),
                           QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-c:v"),
                           QStringLiteral("libx264"), QStringLiteral("-g"), QStringLiteral("1")});
}

} // namespace TestClips
