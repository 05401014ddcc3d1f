// The call log of usrvault: one line per call with its arguments and result,
// appended to "usrvault.log" beside the DLL (or in the temporary folder when
// that folder cannot be written). A test reads what the installer asked for,
// the paths of ordinal 521 ("reg_init", "reg_term") among them.
#pragma once

#include <windows.h>

#include "common/bounded_format.h"

namespace usrvault {

// The DLL's own module, whose folder holds the log (set by DllMain).
void SetLogModule(HMODULE module);
// Appends "HH:MM:SS <text>" and a line break; a log that cannot be written is
// passed over (the call itself does not fail for it).
void LogCall(const char* format, ...) POSTERN_PRINTF(1, 2);

} // namespace usrvault
