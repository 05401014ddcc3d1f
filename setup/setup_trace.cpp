// Trace lines and warnings of the installer; see setup_trace.h.
#include "setup/setup_trace.h"

#include "common/debug_line.h"
#include "setup/toolkit_binding.h"

#include <array>

namespace {

// The warning's text on one line, as the run log keeps it.
void FlattenLineBreaks(std::span<char> text) {
    for (char& c : text) {
        if (c == '\0')
            break;
        if (c == '\r' || c == '\n')
            c = ' ';
    }
}

} // namespace

void SetupTrace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    postern::WriteDebugLine("pstsetup: ", format, args);
    va_end(args);
}

void SetupWarning(const char* format, ...) {
    std::array<char, 512> text{};
    va_list args;
    va_start(args, format);
    postern::FormatTextV(text, format, args);
    va_end(args);
    FlattenLineBreaks(text);
    SetupTrace("warning: %s", text.data());
    HandWarningToToolkit(text.data());
}

void ShowFailureBox(HWND owner, const char* text, const char* caption) {
    SetupWarning("%s: %s", caption, text);
    MessageBoxA(owner, text, caption, MB_ICONSTOP | MB_OK);
}
