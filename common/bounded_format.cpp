// Bounded formatting helpers; see bounded_format.h.
#include "common/bounded_format.h"

#include <cstdio>
#include <cstring>

namespace postern {

bool FormatTextV(std::span<char> out, const char* format, va_list args) {
    if (out.empty())
        return false;
    int n = std::vsnprintf(out.data(), out.size(), format, args);
    if (n < 0) {
        out[0] = '\0';
        return false;
    }
    return static_cast<std::size_t>(n) < out.size();
}

bool FormatText(std::span<char> out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    bool fitted = FormatTextV(out, format, args);
    va_end(args);
    return fitted;
}

bool CopyText(std::span<char> out, const char* text) {
    if (out.empty())
        return false;
    if (text == nullptr)
        text = "";
    std::size_t len = std::strlen(text);
    std::size_t n = len < out.size() ? len : out.size() - 1;
    std::memcpy(out.data(), text, n);
    out[n] = '\0';
    return n == len;
}

bool AppendText(std::span<char> out, const char* text) {
    std::size_t used = BoundedLength(out);
    if (used >= out.size())
        return false;
    return CopyText(out.subspan(used), text);
}

std::size_t BoundedLength(std::span<const char> text) {
    const void* zero = std::memchr(text.data(), '\0', text.size());
    return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text.data())
                : text.size();
}

} // namespace postern
