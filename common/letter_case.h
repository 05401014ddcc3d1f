// Letter case of the letters A to Z alone: the suite's names (sections, keys,
// user ids, INF entries) compare without regard to case in that range only,
// whatever the code page says of other bytes.
#pragma once

#include <string_view>

namespace postern {

constexpr char LowerAZ(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char UpperAZ(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Equal texts once A to Z are folded; every other byte must match as it is.
constexpr bool SameTextAZ(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAZ(a[i]) != LowerAZ(b[i]))
            return false;
    }
    return true;
}

} // namespace postern
