// Trace lines to the debugger output; see setup_trace.h.
#include "setup/setup_trace.h"

#include <windows.h>

#include <array>
#include <cstdarg>

void SetupTrace(const char* format, ...) {
    std::array<char, 512> line;
    const int prefix = 10; // "pstsetup: "
    postern::CopyText(line, "pstsetup: ");
    va_list args;
    va_start(args, format);
    postern::FormatTextV(std::span<char>(line).subspan(prefix, line.size() - prefix - 1), format,
                         args);
    va_end(args);
    postern::AppendText(line, "\n");
    OutputDebugStringA(line.data());
}
