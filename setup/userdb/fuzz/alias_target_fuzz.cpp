// Fuzzes the old alias entries. Input: the host name up to the first NUL, then
// the entry. Both outputs must end inside their buffers; the alias, '=' and
// the target as read must give the entry back; and the target handed over
// must be the one a plain string rebuild gives, or the one read when that
// rebuild exceeds 511 characters.
#include "setup/userdb/alias_target.h"

#include "common/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// The roster rewrite with unbounded strings, as the reference.
std::string Rebuilt(std::string_view target, std::string_view host) {
    const std::size_t roster = target.find("roster");
    if (roster == std::string_view::npos)
        return std::string(target);
    const std::size_t space = target.find(' ', roster);
    std::string out(target.substr(0, space));
    out += ' ';
    out += host;
    if (space != std::string_view::npos) {
        std::string_view rest = target.substr(space + 1);
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        if (!rest.empty())
            out += ' ' + std::string(rest);
    }
    return out;
}

bool Terminated(const AliasText& text) {
    return std::memchr(text.data(), '\0', text.size()) != nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    if (nul == std::string_view::npos)
        return 0;
    const std::string_view host = input.substr(0, nul);
    const std::string_view entry = input.substr(nul + 1);

    AliasText alias;
    AliasText target;
    alias.fill('x');
    target.fill('x');
    const AliasEntryResult result = RewriteAliasEntry(entry, host, alias, target);
    FUZZ_CHECK(Terminated(alias) && Terminated(target), "the outputs end inside their buffers");

    const std::size_t equals = entry.find('=');
    if (entry.size() > MaxAliasText || equals == std::string_view::npos) {
        FUZZ_CHECK(result == AliasEntryResult::NotAnAlias, "no entry, nothing handed over");
        FUZZ_CHECK(alias[0] == '\0' && target[0] == '\0', "a skipped entry leaves both empty");
        return 0;
    }
    FUZZ_CHECK(result != AliasEntryResult::NotAnAlias, "an entry with '=' is an alias");
    if (entry.find('\0') != std::string_view::npos)
        return 0; // a text ends at its NUL; the rest cannot be compared as text
    const std::string_view given = entry.substr(equals + 1);
    FUZZ_CHECK(std::string_view(alias.data()) == entry.substr(0, equals),
               "the alias is the text before the first '='");
    const std::string expected = Rebuilt(given, host);
    const std::string_view handed(target.data());
    if (given.find("roster") == std::string_view::npos) {
        FUZZ_CHECK(result == AliasEntryResult::Unchanged, "no roster, no rewrite");
        FUZZ_CHECK(handed == given, "the target is handed over as read");
    } else if (expected.size() > MaxAliasText) {
        FUZZ_CHECK(result == AliasEntryResult::KeptTooLong,
                   "a rebuild of " + std::to_string(expected.size()) + " characters is kept");
        FUZZ_CHECK(handed == given, "an over-long rebuild hands over the target as read");
    } else {
        FUZZ_CHECK(result == AliasEntryResult::Rewritten, "a roster target is rewritten");
        FUZZ_CHECK(handed == expected,
                   "rebuilt \"" + std::string(handed) + "\", expected \"" + expected + "\"");
    }
    return 0;
}
