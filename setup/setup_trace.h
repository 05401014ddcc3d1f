// Trace lines of the installer's steps that go on after a failure without
// telling the operator (a service that does not install, a HOSTS file that
// cannot be written): one line each to the system debugger output, prefixed
// "pstsetup: ".
#pragma once

#include "common/bounded_format.h"

// Formats one trace line (cut to fit 511 characters with its prefix) and sends it.
void SetupTrace(const char* format, ...) POSTERN_PRINTF(1, 2);
