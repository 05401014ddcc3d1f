// Trace lines to the debugger output; see setup_trace.h.
#include "setup/setup_trace.h"

#include "common/debug_line.h"

void SetupTrace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    postern::WriteDebugLine("pstsetup: ", format, args);
    va_end(args);
}
