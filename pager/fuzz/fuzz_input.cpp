// Field reader and failure report for the fuzzers; see fuzz_input.h.
#include "fuzz_input.h"

#include <algorithm>
#include <cstdio>

std::string Shown(const std::string& text) {
    std::string shown;
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && c != '\\') {
            shown += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(b));
            shown += hex;
        }
    }
    return shown;
}

std::uint8_t FuzzInput::Byte() {
    return AtEnd() ? 0 : data_[at_++];
}

std::uint32_t FuzzInput::U32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
    return value;
}

std::string FuzzInput::Bytes(std::size_t count) {
    const std::size_t n = AtEnd() ? 0 : std::min(count, size_ - at_);
    std::string bytes(reinterpret_cast<const char*>(data_ + at_), n);
    at_ += n;
    return bytes;
}

std::optional<std::string> FuzzInput::Text(std::size_t maxLength) {
    const std::uint8_t length = Byte();
    if (length == 0xFF)
        return std::nullopt;
    const unsigned copies = Byte() + 1u;
    const std::string content = Bytes(length);
    std::string text;
    for (unsigned i = 0; i < copies && text.size() < maxLength && !content.empty(); ++i)
        text += content;
    if (text.size() > maxLength)
        text.resize(maxLength);
    // A C text ends at its first zero byte.
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}
