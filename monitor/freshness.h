// Whether the data file is fresh: StaleCount counts consecutive reads that found
// the file unchanged or missing, and the file counts as changed only through its
// last-write time.
#pragma once

#include <cstdint>

namespace monitor {

// StaleCount at program start.
inline constexpr std::int32_t kInitialStaleCount = 1;
// From this count on the file is stale.
inline constexpr std::int32_t kStaleFrom = 2;

constexpr bool IsFresh(std::int32_t staleCount) {
    return staleCount < kStaleFrom;
}

// A read that could not open the file: one more unchanged read.
void CountMissingRead(std::int32_t& staleCount);

// A read that got the file's last-write time: equal low 32 bits count one more
// unchanged read, different ones start the count again at 0; all 64 bits are
// then recorded. (A read whose time query fails changes neither.)
void CountWriteTime(std::int32_t& staleCount, std::uint64_t& lastWriteTime,
                    std::uint64_t newWriteTime);

} // namespace monitor
