// Trace lines for failures that the operator is not told about: one line per
// failure, "pstview: " and the formatted text, to the debugger's output.
#pragma once

#include "common/bounded_format.h"

namespace monitor {

void TraceFailure(const char* format, ...) POSTERN_PRINTF(1, 2);

} // namespace monitor
