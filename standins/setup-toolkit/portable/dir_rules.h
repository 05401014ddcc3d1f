// The rule behind FValidDir: what a well-formed full directory path is.
#pragma once

#include <cstddef>
#include <string_view>

namespace stf {

inline constexpr std::size_t kMaxDirectoryLength = 247;

// Null when path is a well-formed full directory path, else why it is not.
// Well-formed: "X:\..." (drive letter) or "\\server\share\..."; at most 247
// characters; no control characters and none of < > " | * ?; no ':' but the
// drive's; no empty component except a final backslash; no component ending
// in a dot or a space (so "." and ".." are refused too).
const char* DirectoryFault(std::string_view path);

inline bool IsValidDirectory(std::string_view path) {
    return DirectoryFault(path) == nullptr;
}

} // namespace stf
