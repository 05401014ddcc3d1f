// The keys of converted old users: which ids have a key that may be deleted,
// and its path.
#include "setup/userdb/old_user_key.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

struct KeyCase {
    std::string userId;
    std::string path; // empty when nothing may be deleted
};

class OldUserKeys : public ::testing::TestWithParam<KeyCase> {};

} // namespace

TEST_P(OldUserKeys, NameTheUsersOwnKeyOrNone) {
    std::array<char, 512> path;
    path.fill('x');
    const bool deletable = OldUserKeyPath(GetParam().userId, path);
    EXPECT_EQ(deletable, !GetParam().path.empty()) << GetParam().userId;
    EXPECT_EQ(std::string(path.data()), GetParam().path) << GetParam().userId;
}

INSTANTIATE_TEST_SUITE_P(
    Users, OldUserKeys,
    ::testing::Values(KeyCase{"alice", "SOFTWARE\\Corvane\\Postern\\alice"},
                      KeyCase{"Globals", "SOFTWARE\\Corvane\\Postern\\Globals"},
                      KeyCase{"domain", "SOFTWARE\\Corvane\\Postern\\domain"},
                      KeyCase{"aliases", "SOFTWARE\\Corvane\\Postern\\aliases"},
                      // 25 characters of root and backslash leave 486 for the id.
                      KeyCase{std::string(486, 'u'),
                              "SOFTWARE\\Corvane\\Postern\\" + std::string(486, 'u')}));

INSTANTIATE_TEST_SUITE_P(
    Kept, OldUserKeys,
    ::testing::Values(KeyCase{"Global", ""}, KeyCase{"global", ""}, KeyCase{"GLOBAL", ""},
                      KeyCase{"Domains", ""}, KeyCase{"dOMAINS", ""}, KeyCase{"_aliases", ""},
                      KeyCase{"_ALIASES", ""}, KeyCase{"", ""},
                      // These would reach another key than the user's own.
                      KeyCase{"a\\b", ""}, KeyCase{"..\\Postern", ""}, KeyCase{"Global\\", ""},
                      KeyCase{std::string("ab\0cd", 5), ""}, KeyCase{std::string(487, 'u'), ""}));
