#pragma once
// How much memory the snapshot ring may still take. Memory here is overcommitted: an
// allocation that can never be backed succeeds and the program is killed later, so
// the ring asks before it allocates.

#include <QtGlobal>

#include <optional>

namespace MemoryBudget {

// Bytes the system could still hand out without swapping (MemAvailable), or the
// amount a test set; nullopt when it cannot be told.
std::optional<qint64> availableBytes();

// Tests put a fixed amount in place of the system's figure; nullopt restores it.
void setAvailableOverride(std::optional<qint64> bytes);

// Memory kept free for the rest of the program and the system.
constexpr qint64 kReserveBytes = 256ll * 1024 * 1024;

} // namespace MemoryBudget
