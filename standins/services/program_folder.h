// The folder of the running service program: the suite's top directory when
// the installer registered it from there.
#pragma once

#include <windows.h>

namespace standins {

// The folder of the running program, without a trailing backslash (but for a
// drive root, "C:\\"); false (and an empty text) when its path cannot be read.
bool ProgramFolder(char (&folder)[MAX_PATH]);

} // namespace standins
