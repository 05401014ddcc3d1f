// How a trace line appears in the trace window: control bytes other than CR and
// LF, and bytes above 0x7F, are shown as their decimal value in angle brackets
// ("<27>" for ESC, "<02>" for STX), so the window shows exactly what went over
// the line.
#pragma once

#include <array>
#include <cstddef>
#include <span>

namespace pager {

inline constexpr std::size_t kTraceLineSize = 1024;
using TraceLine = std::array<char, kTraceLineSize>;

// Expands text into out, always terminated; a line that would not fit is cut
// before the first byte (or bracketed value) that does not fit whole.
// Returns the length written.
std::size_t ExpandTraceText(const char* text, std::span<char> out);

} // namespace pager
