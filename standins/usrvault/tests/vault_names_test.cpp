// The user database's text rules and fresh records.
#include "vault_names.h"
#include "vault_records.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

using namespace usrvault;

namespace {

struct KeyCase {
    const char* name;
    bool ok;
    const char* key;
};

class KeyNames : public ::testing::TestWithParam<KeyCase> {};

} // namespace

TEST_P(KeyNames, BecomeRegistryKeyNames) {
    const KeyCase& c = GetParam();
    std::array<char, 256> key{};
    key.fill('x');
    EXPECT_EQ(KeyNameFor(c.name, key), c.ok) << c.name;
    EXPECT_EQ(std::string(key.data()), c.key) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, KeyNames,
                         ::testing::Values(KeyCase{"example.com", true, "example.com"},
                                           KeyCase{"mail.admin", true, "mail.admin"},
                                           KeyCase{"a\\b", true, "a%5Cb"},
                                           KeyCase{"50%", true, "50%25"},
                                           KeyCase{"%5C", true, "%255C"},
                                           KeyCase{"\\", true, "%5C"}, KeyCase{"", false, ""}));

TEST(KeyNamesLimits, TheRegistrysLimitOf255CharactersHolds) {
    std::array<char, 300> key{};
    const std::string longest(255, 'a');
    EXPECT_TRUE(KeyNameFor(longest, key));
    EXPECT_EQ(std::string(key.data()), longest);
    EXPECT_FALSE(KeyNameFor(longest + "a", key));
    EXPECT_EQ(key[0], '\0');
    // An escape that would cross the limit does not fit either.
    EXPECT_FALSE(KeyNameFor(std::string(253, 'a') + "\\", key));
    EXPECT_TRUE(KeyNameFor(std::string(252, 'a') + "\\", key));
}

TEST(KeyNamesLimits, TheBufferIsTheOtherLimit) {
    std::array<char, 6> key{};
    EXPECT_TRUE(KeyNameFor("a\\b", key)); // "a%5Cb" and its terminator
    EXPECT_STREQ(key.data(), "a%5Cb");
    EXPECT_FALSE(KeyNameFor("a\\bc", key));
    EXPECT_EQ(key[0], '\0');
}

TEST(OldUserKeys, TheSuitesOwnKeysAreNoUsers) {
    for (const char* name :
         {"Global", "GLOBAL", "global", "Domains", "DOMAINS", "_aliases", "_ALIASES", ""})
        EXPECT_FALSE(IsOldUserKey(name)) << name;
    for (const char* name : {"alice", "Globals", "Domain", "aliases", "_aliases2", "Glob"})
        EXPECT_TRUE(IsOldUserKey(name)) << name;
}

namespace {

struct AliasCase {
    const char* alias;
    const char* target;
    bool ok;
    const char* entry;
};

class AliasEntries : public ::testing::TestWithParam<AliasCase> {};

} // namespace

TEST_P(AliasEntries, AreAliasEqualsTarget) {
    const AliasCase& c = GetParam();
    std::array<char, 512> entry{};
    entry.fill('x');
    EXPECT_EQ(FormatAliasEntry(c.alias, c.target, entry), c.ok) << c.alias;
    EXPECT_STREQ(entry.data(), c.entry) << c.alias;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AliasEntries,
    ::testing::Values(AliasCase{"sales", "alice", true, "sales=alice"},
                      AliasCase{"list", "roster mylist", true, "list=roster mylist"},
                      AliasCase{"empty", "", true, "empty="},
                      AliasCase{"x", "a=b", true, "x=a=b"}, // the reader splits at the first '='
                      AliasCase{"a=b", "x", false, ""}, AliasCase{"", "x", false, ""}));

TEST(AliasEntryLimits, AnEntryHoldsAtMost511Characters) {
    std::array<char, 512> entry{};
    const std::string target(509, 't'); // "a=" and 509 characters: 511
    EXPECT_TRUE(FormatAliasEntry("a", target, entry));
    EXPECT_EQ(std::strlen(entry.data()), 511u);
    EXPECT_FALSE(FormatAliasEntry("a", target + "t", entry));
    EXPECT_EQ(entry[0], '\0');
    // A larger buffer does not lift the limit of the installer's reader.
    std::array<char, 1024> large{};
    EXPECT_FALSE(FormatAliasEntry("a", target + "t", large));
    std::array<char, 8> small{};
    EXPECT_FALSE(FormatAliasEntry("sales", "alice", small));
}

TEST(Records, AFreshDomainKeepsTheCallersDescription) {
    DomainData domain;
    std::memset(&domain, 0x5A, sizeof domain);
    ASSERT_TRUE(StartDomain(domain, "example.com", "SOFTWARE\\Corvane\\Postern"));
    EXPECT_STREQ(domain.Name.data(), "example.com");
    EXPECT_EQ(domain.Name.back(), '\0');
    EXPECT_STREQ(domain.OldDatabase.data(), "SOFTWARE\\Corvane\\Postern");
    EXPECT_EQ(domain.OldDatabase.back(), '\0');
    EXPECT_EQ(domain.Flags, 0u);
    for (const char c : domain.Reserved)
        ASSERT_EQ(c, '\0');
    for (const char c : domain.Description)
        ASSERT_EQ(c, 0x5A);
}

TEST(Records, ADomainNameThatDoesNotFitLeavesTheRecordNameless) {
    DomainData domain;
    std::memset(&domain, 0x5A, sizeof domain);
    EXPECT_FALSE(StartDomain(domain, std::string(256, 'd').c_str(), "OLD"));
    EXPECT_EQ(domain.Name[0], '\0');
    EXPECT_STREQ(domain.OldDatabase.data(), "OLD");
    EXPECT_FALSE(StartDomain(domain, "", "OLD"));
    EXPECT_FALSE(StartDomain(domain, nullptr, "OLD"));
    EXPECT_TRUE(StartDomain(domain, std::string(255, 'd').c_str(), "OLD"));
}

TEST(Records, AFreshUserHasTheLibrarysDefaultFlags) {
    UserData user;
    std::memset(&user, 0x5A, sizeof user);
    ASSERT_TRUE(StartUser(user, "alice"));
    EXPECT_STREQ(user.UserId.data(), "alice");
    EXPECT_EQ(user.Flags, kNewUserFlags);
    EXPECT_EQ(user.Password[0], '\0');
    EXPECT_EQ(user.FullName[0], '\0');
    for (const char c : user.Reserved2)
        ASSERT_EQ(c, '\0');
    EXPECT_TRUE(StartUser(user, std::string(31, 'u').c_str()));
    EXPECT_FALSE(StartUser(user, std::string(32, 'u').c_str()));
    EXPECT_EQ(user.UserId[0], '\0');
    EXPECT_FALSE(StartUser(user, ""));
}
