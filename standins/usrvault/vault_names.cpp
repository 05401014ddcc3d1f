// Text rules of the user database (see vault_names.h).
#include "vault_names.h"

#include "common/letter_case.h"
#include "common/bounded_format.h"

#include <algorithm>
#include <cstring>

namespace usrvault {

namespace {

bool SameNameAZ(std::string_view a, std::string_view b) {
    return postern::SameTextAZ(a, b);
}

constexpr std::size_t kMaxKeyName = 255;

} // namespace

bool KeyNameFor(std::string_view name, std::span<char> key) {
    if (key.empty())
        return false;
    key[0] = '\0';
    if (name.empty())
        return false;
    const std::size_t room = std::min(key.size() - 1, kMaxKeyName);
    std::size_t at = 0;
    for (const char c : name) {
        const char* piece = c == '%' ? "%25" : c == '\\' ? "%5C" : nullptr;
        const std::size_t length = piece ? 3 : 1;
        if (at + length > room) {
            key[0] = '\0';
            return false;
        }
        if (piece)
            std::memcpy(key.data() + at, piece, 3);
        else
            key[at] = c;
        at += length;
    }
    key[at] = '\0';
    return true;
}

bool IsOldUserKey(std::string_view keyName) {
    return !keyName.empty() && !SameNameAZ(keyName, "Global") && !SameNameAZ(keyName, "Domains") &&
           !SameNameAZ(keyName, "_aliases");
}

bool FormatAliasEntry(std::string_view alias, std::string_view target, std::span<char> out) {
    if (out.empty())
        return false;
    out[0] = '\0';
    if (alias.empty() || alias.find('=') != std::string_view::npos)
        return false;
    const std::size_t length = alias.size() + 1 + target.size();
    if (length > kMaxListEntry || length >= out.size())
        return false;
    std::memcpy(out.data(), alias.data(), alias.size());
    out[alias.size()] = '=';
    std::memcpy(out.data() + alias.size() + 1, target.data(), target.size());
    out[length] = '\0';
    return true;
}

} // namespace usrvault
