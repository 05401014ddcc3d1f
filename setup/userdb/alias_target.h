// The old aliases as the conversion to virtual domains moves them: an entry
// "alias=target" split at its first '=', and a target that runs the roster
// program rewritten so that it names the host's domain ("roster mylist"
// becomes "roster H mylist" for host H).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// An entry read from the alias list and a rebuilt target each have 512 bytes:
// at most 511 characters.
constexpr std::size_t kAliasTextSize = 512;
constexpr std::size_t kMaxAliasText = kAliasTextSize - 1;
using AliasText = std::array<char, kAliasTextSize>;

enum class AliasEntryResult {
    NotAnAlias,  // no '=', or longer than an entry holds: the entry is skipped
    Unchanged,   // the target has no "roster": handed over as it is
    Rewritten,   // the host name was put after the roster program
    KeptTooLong, // the rebuilt target would exceed 511 characters: handed over as it is
};

// Splits `entry` into `alias` (the text before the first '=') and `target`
// (the text after it). A target holding "roster" (letter case significant) is
// cut at the first space from that "roster" on; the host name follows it
// after one space, and what came after that space, without its leading
// spaces, follows after one more space when anything is left. Both outputs
// are terminated texts on every result; for NotAnAlias they are empty.
AliasEntryResult RewriteAliasEntry(std::string_view entry, std::string_view hostName,
                                   AliasText& alias, AliasText& target);
