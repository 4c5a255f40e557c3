#include "review/MemoryBudget.h"

#include <QFile>

namespace MemoryBudget {
namespace {
std::optional<qint64> &override()
{
    static std::optional<qint64> value;
    return value;
}
} // namespace

std::optional<qint64> availableBytes()
{
    if (override())
        return override();
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return std::nullopt;
    while (!meminfo.atEnd()) {
        const QByteArray line = meminfo.readLine();
        if (line.startsWith("MemAvailable:")) {
            bool ok = false;
            const qint64 kib = line.mid(13).trimmed().split(' ').value(0).toLongLong(&ok);
            if (ok)
                return kib * 1024;
        }
    }
    return std::nullopt;
}

void setAvailableOverride(std::optional<qint64> bytes)
{
    override() = bytes;
}

} // namespace MemoryBudget
