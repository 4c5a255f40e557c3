#include "review/MemoryBudget.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <limits>

namespace MemoryBudget {
namespace {

std::optional<qint64> &override()
{
    static std::optional<qint64> value;
    return value;
}

// A text from /proc or /sys. Their files report a size of 0, so the file is read until
// it ends rather than for its size.
QByteArray readSystemText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    QByteArray text;
    for (QByteArray line = file.readLine(); !line.isEmpty() && text.size() < (1 << 20); line = file.readLine())
        text += line;
    return text;
}

std::optional<qint64> wholeNumber(const QByteArray &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok && value >= 0 ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<qint64> smaller(std::optional<qint64> a, std::optional<qint64> b)
{
    if (!a || !b)
        return a ? a : b;
    return std::min(*a, *b);
}

// The least headroom of the group and each group above it: a limit set higher up
// binds as well.
std::optional<qint64> groupHeadroom(const QString &mount, QByteArray path, bool unified)
{
    const QString limitFile = unified ? QStringLiteral("/memory.max") : QStringLiteral("/memory.limit_in_bytes");
    const QString usageFile = unified ? QStringLiteral("/memory.current") : QStringLiteral("/memory.usage_in_bytes");
    std::optional<qint64> least;
    for (;;) {
        const QString dir = mount + QString::fromUtf8(path);
        if (QDir(dir).exists()) {
            least = smaller(least, headroom(readSystemText(dir + limitFile), readSystemText(dir + usageFile),
                                            readSystemText(dir + QStringLiteral("/memory.stat")), unified));
        }
        if (path.isEmpty() || path == "/")
            return least;
        path.truncate(std::max<qsizetype>(0, path.lastIndexOf('/')));
    }
}

} // namespace

std::optional<qint64> field(const QByteArray &text, const QByteArray &name)
{
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        const QByteArray line = text.mid(start, end - start);
        start = end + 1;
        if (!line.startsWith(name) || line.size() == name.size() || !QChar::isSpace(line.at(name.size())))
            continue;
        const QList<QByteArray> parts = line.mid(name.size()).simplified().split(' ');
        const std::optional<qint64> value = wholeNumber(parts.value(0));
        const bool kib = parts.value(1).compare("kB", Qt::CaseInsensitive) == 0;
        if (value && kib && *value > std::numeric_limits<qint64>::max() / 1024)
            return std::nullopt;
        return value && kib ? std::optional<qint64>(*value * 1024) : value;
    }
    return std::nullopt;
}

std::optional<qint64> limit(const QByteArray &text)
{
    const std::optional<qint64> value = wholeNumber(text);
    // Without a limit, version 1 reports the largest page-aligned number.
    if (!value || *value >= (qint64(1) << 60))
        return std::nullopt;
    return value;
}

std::optional<QByteArray> groupPath(const QByteArray &procSelfCgroup, bool unified)
{
    for (const QByteArray &line : procSelfCgroup.split('\n')) {
        const qsizetype first = line.indexOf(':');
        const qsizetype second = line.indexOf(':', first + 1);
        if (first < 0 || second < 0)
            continue;
        const QByteArray controllers = line.mid(first + 1, second - first - 1);
        const bool match = unified ? line.left(first) == "0" && controllers.isEmpty()
                                   : controllers.split(',').contains("memory");
        if (match)
            return line.mid(second + 1).trimmed();
    }
    return std::nullopt;
}

std::optional<qint64> headroom(const QByteArray &limitText, const QByteArray &usageText, const QByteArray &statText,
                               bool unified)
{
    const std::optional<qint64> most = limit(limitText);
    if (!most)
        return std::nullopt;
    const qint64 droppable = field(statText, unified ? "inactive_file" : "total_inactive_file").value_or(0);
    const qint64 used = std::max<qint64>(0, wholeNumber(usageText).value_or(0) - droppable);
    return std::max<qint64>(0, *most - used);
}

std::optional<qint64> availableBytes()
{
    if (override())
        return override();
    std::optional<qint64> available = field(readSystemText(QStringLiteral("/proc/meminfo")), "MemAvailable:");
    const QByteArray groups = readSystemText(QStringLiteral("/proc/self/cgroup"));
    if (const auto path = groupPath(groups, true))
        available = smaller(available, groupHeadroom(QStringLiteral("/sys/fs/cgroup"), *path, true));
    if (const auto path = groupPath(groups, false))
        available = smaller(available, groupHeadroom(QStringLiteral("/sys/fs/cgroup/memory"), *path, false));
    return available;
}

qint64 forRing(qint64 bytesHeld)
{
    const std::optional<qint64> available = availableBytes();
    return available ? *available + bytesHeld - kReserveBytes : std::numeric_limits<qint64>::max();
}

void setAvailableOverride(std::optional<qint64> bytes)
{
    override() = bytes;
}

} // namespace MemoryBudget
