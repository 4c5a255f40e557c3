#include "playback/LiveSource.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace LiveSource {

namespace {
QString firstLine(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readLine(256)).trimmed() : QString();
}

int number(const QString &node)
{
    return node.mid(5).toInt(); // "video12" -> 12
}
} // namespace

bool isStreamAddress(const QString &text)
{
    static const QStringList schemes{"udp", "rtp", "rtsp", "srt", "http", "https"};
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && schemes.contains(url.scheme().toLower()) && !url.host().isEmpty();
}

bool isCameraPath(const QString &text)
{
    static const QRegularExpression camera(QStringLiteral("^/dev/video(0|[1-9][0-9]{0,2})$"));
    return camera.match(text).hasMatch();
}

QList<Camera> cameras(const QString &classFolder)
{
    QStringList nodes = QDir(classFolder).entryList({QStringLiteral("video*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    nodes.removeIf([](const QString &node) { return !isCameraPath(QStringLiteral("/dev/") + node); });
    std::sort(nodes.begin(), nodes.end(), [](const QString &a, const QString &b) { return number(a) < number(b); });
    QList<Camera> found;
    for (const QString &node : nodes) {
        const QString folder = classFolder + u'/' + node;
        // A missing index is an old kernel's single node.
        if (const QString index = firstLine(folder + QStringLiteral("/index")); !index.isEmpty() && index != u'0')
            continue;
        const QString name = firstLine(folder + QStringLiteral("/name"));
        found.append({name.isEmpty() ? node : name, QStringLiteral("/dev/") + node});
    }
    return found;
}

} // namespace LiveSource
