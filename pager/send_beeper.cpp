// The exported numeric page: claim the slot, open the port at 8N1, run the
// conversation, close the port, free the slot.
#include "pager/pagelink.h"

#include "pager/beeper_session.h"
#include "pager/com_line.h"
#include "pager/port_claim.h"

#include <shlwapi.h>

#include <cstdarg>

using namespace pager;

namespace {

// The caller's format follows the conventions of the system's wsprintf; the
// bounded variant of that formatter needs a va_list, made here from the two values.
void FormatWithValues(std::span<char> out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    wvnsprintfA(out.data(), static_cast<int>(out.size()), format, args);
    va_end(args);
    out[out.size() - 1] = '\0';
}

void FormatDialCommand(std::span<char> out, const char* format, std::uintptr_t first,
                       std::uintptr_t second) {
    FormatWithValues(out, format, first, second);
}

} // namespace

extern "C" int WINAPI SendBeeperMessage(HWND traceWindow, DWORD_PTR firstValue,
                                        const char* initString, const char* dialFormat,
                                        DWORD_PTR secondValue, unsigned portNumber,
                                        int speedSelector, DWORD extraWaitMs) {
    ComLine line(traceWindow);
    if (!ClaimPort(line, kNumericTransaction))
        return 0;
    int result = 0;
    if (line.OpenModemPort(portNumber, speedSelector, PageKind::Numeric)) {
        result = BeeperSession(line, initString, dialFormat, firstValue, secondValue,
                               extraWaitMs, FormatDialCommand);
        line.ClosePort();
    }
    ReleasePort();
    return result;
}
