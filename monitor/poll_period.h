// The poll period: PollTime seconds from the profile, bounded so that the timer
// neither spins (0 s) nor wraps its 32-bit millisecond interval.
#pragma once

#include <cstdint>

namespace monitor {

// PollTime when the value or the profile file is absent.
inline constexpr std::uint32_t kDefaultPollSeconds = 60;
inline constexpr std::uint32_t kMinPollSeconds = 1;
// The largest whole number of seconds whose milliseconds fit in 32 bits.
inline constexpr std::uint32_t kMaxPollSeconds = UINT32_MAX / 1000;

// PollTime as configured, brought into kMinPollSeconds..kMaxPollSeconds.
constexpr std::uint32_t BoundedPollSeconds(std::uint32_t configured) {
    return configured < kMinPollSeconds   ? kMinPollSeconds
           : configured > kMaxPollSeconds ? kMaxPollSeconds
                                          : configured;
}

// The timer interval for a bounded period.
constexpr std::uint32_t PollIntervalMs(std::uint32_t boundedSeconds) {
    return boundedSeconds * 1000u;
}

static_assert(PollIntervalMs(kMaxPollSeconds) >= PollIntervalMs(kMaxPollSeconds - 1),
              "the longest interval must not wrap");

} // namespace monitor
