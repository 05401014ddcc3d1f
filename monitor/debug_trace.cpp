// Failure trace; see debug_trace.h.
#include "monitor/debug_trace.h"

#include <windows.h>

#include <array>
#include <cstdarg>

namespace monitor {

void TraceFailure(const char* format, ...) {
    std::array<char, 320> line{};
    postern::CopyText(line, "pstview: ");
    const std::size_t prefix = postern::BoundedLength(line);
    va_list args;
    va_start(args, format);
    postern::FormatTextV(std::span<char>(line).subspan(prefix, line.size() - prefix - 2), format,
                         args);
    va_end(args);
    postern::AppendText(line, "\n");
    OutputDebugStringA(line.data());
}

} // namespace monitor
