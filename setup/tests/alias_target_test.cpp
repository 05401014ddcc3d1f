// Old alias entries split at their first '=' and roster targets rewritten for
// the host's domain, up to the 511 characters a target holds.
#include "setup/userdb/alias_target.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct AliasCase {
    std::string entry;
    std::string host;
    AliasEntryResult result;
    std::string alias;
    std::string target;
};

class AliasEntries : public ::testing::TestWithParam<AliasCase> {};

using R = AliasEntryResult;
const std::string Host504(504, 'h'); // "roster " and this host: exactly 511

} // namespace

TEST_P(AliasEntries, SplitAndRewriteAsTheConversionHandsThemOver) {
    const AliasCase& c = GetParam();
    AliasText alias;
    AliasText target;
    alias.fill('x'); // both must end inside their buffers whatever they held
    target.fill('x');
    EXPECT_EQ(RewriteAliasEntry(c.entry, c.host, alias, target), c.result) << c.entry;
    EXPECT_EQ(std::string(alias.data()), c.alias) << c.entry;
    EXPECT_EQ(std::string(target.data()), c.target) << c.entry;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, AliasEntries,
    ::testing::Values(AliasCase{"s=roster mylist", "H", R::Rewritten, "s", "roster H mylist"},
                      AliasCase{"s=|c:\\pst\\roster.exe mylist", "H", R::Rewritten, "s",
                                "|c:\\pst\\roster.exe H mylist"},
                      AliasCase{"s=roster", "H", R::Rewritten, "s", "roster H"},
                      AliasCase{"s=roster   my  list", "H", R::Rewritten, "s", "roster H my  list"},
                      AliasCase{"s=roster   ", "H", R::Rewritten, "s", "roster H"},
                      AliasCase{"s=run rosters list", "H", R::Rewritten, "s", "run rosters H list"},
                      AliasCase{"s=roster\tlist", "H", R::Rewritten, "s", "roster\tlist H"},
                      AliasCase{"s=Roster mylist", "H", R::Unchanged, "s", "Roster mylist"},
                      AliasCase{"a=b=roster", "H", R::Rewritten, "a", "b=roster H"},
                      AliasCase{"=bob@example.com", "H", R::Unchanged, "", "bob@example.com"},
                      AliasCase{"roster mylist", "H", R::NotAnAlias, "", ""},
                      AliasCase{"a=roster", Host504, R::Rewritten, "a", "roster " + Host504},
                      AliasCase{"a=roster", Host504 + "h", R::KeptTooLong, "a", "roster"},
                      AliasCase{"a=roster " + std::string(400, 'r'), std::string(110, 'h'),
                                R::KeptTooLong, "a", "roster " + std::string(400, 'r')},
                      AliasCase{"a=" + std::string(509, 't'), "H", R::Unchanged, "a",
                                std::string(509, 't')},
                      AliasCase{"a=" + std::string(510, 't'), "H", R::NotAnAlias, "", ""}));
