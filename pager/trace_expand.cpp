// Expansion of trace text for the trace window.
#include "pager/trace_expand.h"

#include <cstdio>
#include <cstring>

namespace pager {

std::size_t ExpandTraceText(const char* text, std::span<char> out) {
    if (out.empty())
        return 0;
    std::size_t at = 0;
    const std::size_t limit = out.size() - 1; // keep room for the zero byte
    for (const char* p = text ? text : ""; *p; ++p) {
        auto b = static_cast<unsigned char>(*p);
        if (b == '\r' || b == '\n' || (b >= 0x20 && b <= 0x7F)) {
            if (at + 1 > limit)
                break;
            out[at++] = *p;
        } else {
            char shown[8];
            int n = std::snprintf(shown, sizeof shown, "<%02u>", static_cast<unsigned>(b));
            if (n < 0 || at + static_cast<std::size_t>(n) > limit)
                break;
            std::memcpy(&out[at], shown, static_cast<std::size_t>(n));
            at += static_cast<std::size_t>(n);
        }
    }
    out[at] = '\0';
    return at;
}

} // namespace pager
