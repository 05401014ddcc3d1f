// Old alias entries and their roster targets (see alias_target.h).
#include "setup/userdb/alias_target.h"

#include <cstring>

namespace {

// Copies `text` to `out` and returns the position after it. Callers have
// checked that it fits.
char* Put(char* out, std::string_view text) {
    if (!text.empty())
        std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

void Store(AliasText& out, std::string_view text) {
    *Put(out.data(), text.substr(0, kMaxAliasText)) = '\0';
}

} // namespace

AliasEntryResult RewriteAliasEntry(std::string_view entry, std::string_view hostName,
                                   AliasText& alias, AliasText& target) {
    alias[0] = '\0';
    target[0] = '\0';
    const std::size_t equals = entry.find('=');
    if (entry.size() > kMaxAliasText || equals == std::string_view::npos)
        return AliasEntryResult::NotAnAlias;
    const std::string_view given = entry.substr(equals + 1);
    Store(alias, entry.substr(0, equals));
    Store(target, given);

    const std::size_t roster = given.find("roster");
    if (roster == std::string_view::npos)
        return AliasEntryResult::Unchanged;
    // The program ends at the first space from "roster" on; the rest of the
    // command line starts after that space.
    const std::size_t space = given.find(' ', roster);
    const std::string_view program = given.substr(0, space);
    std::string_view rest =
        space == std::string_view::npos ? std::string_view() : given.substr(space + 1);
    const std::size_t restStart = rest.find_first_not_of(' ');
    rest = restStart == std::string_view::npos ? std::string_view() : rest.substr(restStart);

    const std::size_t length =
        program.size() + 1 + hostName.size() + (rest.empty() ? 0 : 1 + rest.size());
    if (length > kMaxAliasText)
        return AliasEntryResult::KeptTooLong;
    char* out = Put(target.data(), program);
    *out++ = ' ';
    out = Put(out, hostName);
    if (!rest.empty()) {
        *out++ = ' ';
        out = Put(out, rest);
    }
    *out = '\0';
    return AliasEntryResult::Rewritten;
}
