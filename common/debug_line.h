// One trace line to the debugger's output: a program's prefix, the formatted
// text and a line feed, cut to fit a 512-byte line. Shared by the programs'
// traces of failures that the operator is not told about.
#pragma once

#include "common/bounded_format.h"

#include <windows.h>

#include <array>
#include <cstdarg>

namespace postern {

inline void WriteDebugLine(const char* prefix, const char* format, va_list args) {
    std::array<char, 512> line{};
    CopyText(line, prefix);
    const std::size_t used = BoundedLength(line);
    // Room is kept for the line feed.
    FormatTextV(std::span<char>(line).subspan(used, line.size() - used - 1), format, args);
    AppendText(line, "\n");
    OutputDebugStringA(line.data());
}

} // namespace postern
