// The text rules of the user database: how domain names and user ids become
// registry key names, which keys of the old single-domain database are users,
// and the "alias=target" entries of the old aliases.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace usrvault {

// A registry key name for a domain name or user id: '%' becomes "%25" and
// '\' (which a key name cannot hold) "%5C"; everything else stays. False when
// the name is empty or its key name does not fit `key` (at most 255
// characters, the registry's limit).
bool KeyNameFor(std::string_view name, std::span<char> key);

// Keys directly under the suite's root that are not users of the old
// database: "Global", "Domains" and "_aliases" (A to Z compared without
// regard to case).
bool IsOldUserKey(std::string_view keyName);

// Longest entry the installer reads back from a list box (its buffer has 512
// bytes).
constexpr std::size_t kMaxListEntry = 511;

// "alias=target" into out. False when the alias is empty or holds '=' (the
// reader splits at the first one) or when the entry does not fit
// kMaxListEntry characters and out.
bool FormatAliasEntry(std::string_view alias, std::string_view target, std::span<char> out);

} // namespace usrvault
