// The keys of converted old users: which ids have a key that may be deleted.
#include "setup/userdb/old_user_key.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

TEST(OldUserKeys, NameTheUsersOwnKeyOrNone) {
    const std::string Root = "SOFTWARE\\Corvane\\Postern\\";
    const std::string longest(486, 'u'); // the path fills 511 characters
    const std::pair<std::string, std::string> cases[] = {{"alice", Root + "alice"},
                                                         {"Globals", Root + "Globals"},
                                                         {"Glob", Root + "Glob"},
                                                         {"dom", Root + "dom"},
                                                         {longest, Root + longest},
                                                         {longest + "u", ""},
                                                         {"global", ""},
                                                         {"DOMAINS", ""},
                                                         {"_Aliases", ""},
                                                         {"", ""},
                                                         {"..\\Postern", ""},
                                                         {std::string("ab\0cd", 5), ""}};
    for (const auto& [userId, expected] : cases) {
        std::array<char, 512> path;
        path.fill('x');
        EXPECT_EQ(OldUserKeyPath(userId, path), !expected.empty()) << userId;
        EXPECT_EQ(std::string(path.data()), expected) << userId;
    }
}
