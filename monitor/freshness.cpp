// StaleCount and LastWriteTime rules; see freshness.h.
#include "monitor/freshness.h"

#include <limits>

namespace monitor {
namespace {

// Stays at the largest count instead of wrapping to a negative, fresh-looking one.
void CountUnchanged(std::int32_t& staleCount) {
    if (staleCount < std::numeric_limits<std::int32_t>::max())
        ++staleCount;
}

} // namespace

void CountMissingRead(std::int32_t& staleCount) {
    CountUnchanged(staleCount);
}

void CountWriteTime(std::int32_t& staleCount, std::uint64_t& lastWriteTime,
                    std::uint64_t newWriteTime) {
    if (static_cast<std::uint32_t>(newWriteTime) == static_cast<std::uint32_t>(lastWriteTime))
        CountUnchanged(staleCount);
    else
        staleCount = 0;
    lastWriteTime = newWriteTime;
}

} // namespace monitor
