#pragma once
// How much memory the snapshot ring may still take. Memory here is overcommitted: an
// allocation that can never be backed succeeds and the program is killed later, so
// the ring asks before it allocates. Both the machine's free memory and the limit of
// the control group the program runs in (a container, a user session) count.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace MemoryBudget {

// Bytes the program could still be given without swapping or being killed, or the
// amount a test set; nullopt when it cannot be told.
std::optional<qint64> availableBytes();

// Tests put a fixed amount in place of the system's figure; nullopt restores it.
void setAvailableOverride(std::optional<qint64> bytes);

// Memory kept free for the rest of the program and the system.
constexpr qint64 kReserveBytes = 256ll * 1024 * 1024;

// What the ring may take: what the system can still give, plus what the ring holds now
// and gives back as it goes, less the reserve; unlimited when nothing can be told.
qint64 forRing(qint64 bytesHeld);

// The readers of the system's texts, apart so that they can be tried on real samples.
// The whole number after a "name" at the start of a line of a /proc/meminfo or
// memory.stat text, in bytes (a "kB" unit is taken into account).
std::optional<qint64> field(const QByteArray &text, const QByteArray &name);
// A control group's memory limit in bytes; nullopt for "max" or a limit so large that
// it means none.
std::optional<qint64> limit(const QByteArray &text);
// The memory control group of the program from /proc/self/cgroup: for the unified
// hierarchy (v2) the "0::" path, else the path of the hierarchy holding "memory".
std::optional<QByteArray> groupPath(const QByteArray &procSelfCgroup, bool unified);
// What a group may still take: its limit less what it uses, not counting file pages
// that the kernel can drop; nullopt without a limit.
std::optional<qint64> headroom(const QByteArray &limitText, const QByteArray &usageText, const QByteArray &statText,
                               bool unified);

} // namespace MemoryBudget
