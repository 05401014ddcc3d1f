// Old alias entries split at their first '=' and roster targets rewritten for
// the host's domain, up to the 511 characters a target holds.
#include "setup/userdb/alias_target.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct AliasCase {
    const char* what;
    std::string entry;
    std::string host;
    AliasEntryResult result;
    std::string alias;
    std::string target;
};

class AliasEntries : public ::testing::TestWithParam<AliasCase> {};

const std::string LongHost(504, 'h'); // "roster " and this host: exactly 511

} // namespace

TEST_P(AliasEntries, SplitAndRewriteAsTheConversionHandsThemOver) {
    const AliasCase& c = GetParam();
    AliasText alias;
    AliasText target;
    alias.fill('x'); // both must end inside their buffers whatever they held
    target.fill('x');
    EXPECT_EQ(RewriteAliasEntry(c.entry, c.host, alias, target), c.result) << c.what;
    EXPECT_EQ(std::string(alias.data()), c.alias) << c.what;
    EXPECT_EQ(std::string(target.data()), c.target) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Roster, AliasEntries,
    ::testing::Values(AliasCase{"program and list", "staff=roster mylist", "H",
                                AliasEntryResult::Rewritten, "staff", "roster H mylist"},
                      AliasCase{"piped program path", "staff=|c:\\pst\\roster.exe mylist", "H",
                                AliasEntryResult::Rewritten, "staff",
                                "|c:\\pst\\roster.exe H mylist"},
                      AliasCase{"program alone", "staff=roster", "H", AliasEntryResult::Rewritten,
                                "staff", "roster H"},
                      AliasCase{"spaces before the rest are dropped, inner ones kept",
                                "staff=roster   mylist  extra", "mail.example.com",
                                AliasEntryResult::Rewritten, "staff",
                                "roster mail.example.com mylist  extra"},
                      AliasCase{"a trailing space leaves no rest", "staff=roster ", "H",
                                AliasEntryResult::Rewritten, "staff", "roster H"},
                      AliasCase{"only spaces after the program", "staff=roster    ", "H",
                                AliasEntryResult::Rewritten, "staff", "roster H"},
                      AliasCase{"text before roster stays", "staff=run roster list", "H",
                                AliasEntryResult::Rewritten, "staff", "run roster H list"},
                      AliasCase{"the word runs on to the space", "staff=rosters list", "H",
                                AliasEntryResult::Rewritten, "staff", "rosters H list"},
                      AliasCase{"the first roster counts", "staff=roster roster", "H",
                                AliasEntryResult::Rewritten, "staff", "roster H roster"},
                      AliasCase{"a tab is no space", "staff=roster\tlist", "H",
                                AliasEntryResult::Rewritten, "staff", "roster\tlist H"}));

INSTANTIATE_TEST_SUITE_P(
    Split, AliasEntries,
    ::testing::Values(
        AliasCase{"no roster", "bob=bob@example.com", "H", AliasEntryResult::Unchanged, "bob",
                  "bob@example.com"},
        AliasCase{"letter case counts", "staff=Roster mylist", "H", AliasEntryResult::Unchanged,
                  "staff", "Roster mylist"},
        AliasCase{"the first '=' splits", "a=b=roster", "H", AliasEntryResult::Rewritten, "a",
                  "b=roster H"},
        AliasCase{"an empty target", "staff=", "H", AliasEntryResult::Unchanged, "staff", ""},
        AliasCase{"an empty alias", "=roster", "H", AliasEntryResult::Rewritten, "", "roster H"},
        AliasCase{"no '='", "roster mylist", "H", AliasEntryResult::NotAnAlias, "", ""},
        AliasCase{"empty", "", "H", AliasEntryResult::NotAnAlias, "", ""}));

INSTANTIATE_TEST_SUITE_P(
    Limits, AliasEntries,
    ::testing::Values(AliasCase{"a rebuilt target of 511", "a=roster", LongHost,
                                AliasEntryResult::Rewritten, "a", "roster " + LongHost},
                      AliasCase{"a rebuilt target of 512 is kept", "a=roster", LongHost + "h",
                                AliasEntryResult::KeptTooLong, "a", "roster"},
                      AliasCase{"the rest pushes it over", "a=roster " + std::string(400, 'r'),
                                std::string(110, 'h'), AliasEntryResult::KeptTooLong, "a",
                                "roster " + std::string(400, 'r')},
                      AliasCase{"an entry of 511", "a=" + std::string(509, 't'), "H",
                                AliasEntryResult::Unchanged, "a", std::string(509, 't')},
                      AliasCase{"an entry of 512 is no entry", "a=" + std::string(510, 't'), "H",
                                AliasEntryResult::NotAnAlias, "", ""}));
