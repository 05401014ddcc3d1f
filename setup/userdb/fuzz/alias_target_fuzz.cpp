// Fuzzes the old alias entries. Input: the host name up to the first NUL, then
// the entry. The outputs end inside their buffers, the alias is the text
// before the first '=', and the target is the one a plain string rebuild
// gives, or the one read when the rebuild exceeds 511 characters.
#include "setup/userdb/alias_target.h"

#include "common/fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

std::string Rebuilt(std::string_view target, std::string_view host) {
    const std::size_t space = target.find(' ', target.find("roster"));
    std::string out = std::string(target.substr(0, space)) + ' ' + std::string(host);
    std::string_view rest = space == std::string_view::npos ? "" : target.substr(space + 1);
    while (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    return rest.empty() ? out : out + ' ' + std::string(rest);
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
    FUZZ_CHECK(std::memchr(alias.data(), '\0', alias.size()) &&
                   std::memchr(target.data(), '\0', target.size()),
               "the outputs end inside their buffers");

    const std::size_t equals = entry.find('=');
    if (entry.size() > kMaxAliasText || equals == std::string_view::npos) {
        FUZZ_CHECK(result == AliasEntryResult::NotAnAlias && !alias[0] && !target[0],
                   "a skipped entry hands over nothing");
        return 0;
    }
    if (entry.find('\0') != std::string_view::npos)
        return 0; // a text ends at its NUL; the rest cannot be compared as text
    const std::string_view given = entry.substr(equals + 1);
    FUZZ_CHECK(alias.data() == entry.substr(0, equals), "the alias is the text before '='");
    const bool roster = given.find("roster") != std::string_view::npos;
    const std::string expected = roster ? Rebuilt(given, host) : std::string(given);
    const AliasEntryResult wanted = !roster ? AliasEntryResult::Unchanged
                                    : expected.size() > kMaxAliasText
                                        ? AliasEntryResult::KeptTooLong
                                        : AliasEntryResult::Rewritten;
    FUZZ_CHECK(result == wanted, "the result for \"" + std::string(given) + "\"");
    const std::string_view handed = target.data();
    FUZZ_CHECK(handed == (wanted == AliasEntryResult::KeptTooLong ? given : expected),
               "handed over \"" + std::string(handed) + "\", expected \"" + expected + "\"");
    return 0;
}
