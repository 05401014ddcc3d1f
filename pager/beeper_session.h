// The numeric (beeper) page conversation on an open, configured line: prepare
// the modem, write one dial command that carries the page, wait while the
// modem dials and pauses at its commas, hang up.
#pragma once

#include "pager/modem_line.h"

#include <cstdint>
#include <span>

namespace pager {

// The whole numeric transaction runs under these time-outs.
inline constexpr LineTimeouts kBeeperTimeouts{0, 2000, 10000};

// The line buffer holds the dial command, what the modem sends after dialling
// and the hang-up commands.
inline constexpr std::size_t kBeeperLineSize = 120;

// Formats the caller's dial format with its two values into out (bounded,
// always terminated). The values are pointer-sized: a text pointer or a number,
// as the format's conversions require.
using DialFormatter = void (*)(std::span<char> out, const char* format, std::uintptr_t first,
                               std::uintptr_t second);

// Returns 1 when the dial command was written, else 0.
int BeeperSession(ModemLine& line, const char* initString, const char* dialFormat,
                  std::uintptr_t firstValue, std::uintptr_t secondValue,
                  std::uint32_t extraWaitMs, DialFormatter formatDial);

// The pause the modem needs for a dial command: 2000 ms per comma and 1000 ms.
std::uint32_t DialPauseMs(const char* dialCommand);

} // namespace pager
