// The path helpers with the system's character stepping (CharNextA).
#pragma once

#include "setup/path_text.h"
#include "setup/setup_session.h"

#include <windows.h>

inline const char* CharStep(const char* at) {
    return CharNextA(at);
}

inline bool TopDirFits(const char* destination) {
    return TopDirFits(destination, kMaxTopDirLength, CharStep);
}
