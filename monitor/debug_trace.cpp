// Failure trace; see debug_trace.h.
#include "monitor/debug_trace.h"

#include "common/debug_line.h"

namespace monitor {

void TraceFailure(const char* format, ...) {
    va_list args;
    va_start(args, format);
    postern::WriteDebugLine("pstview: ", format, args);
    va_end(args);
}

} // namespace monitor
