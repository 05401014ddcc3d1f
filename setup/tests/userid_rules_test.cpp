// The user-id rules of the add-user wizard and their messages.
#include "setup/userdb/userid_rules.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

struct IdCase {
    std::string id;
    const char* message; // "" when accepted
};

class UserIds : public ::testing::TestWithParam<IdCase> {};

std::string MessageFor(const std::string& id) {
    std::array<char, 256> message{};
    message.fill('x');
    EXPECT_TRUE(UserIdMessage(CheckUserId(id), message));
    return message.data();
}

} // namespace

TEST_P(UserIds, AreAcceptedOrRefusedWithTheirMessage) {
    EXPECT_EQ(MessageFor(GetParam().id), GetParam().message) << GetParam().id;
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, UserIds,
    ::testing::Values(IdCase{"", "UserID length error."}, IdCase{"a", "UserID length error."},
                      IdCase{"ab", "UserID length error."}, IdCase{"abc", ""}, IdCase{"abcd", ""},
                      IdCase{std::string(29, 'u'), ""},
                      IdCase{std::string(30, 'u'), "UserID length error."},
                      IdCase{std::string(200, 'u'), "UserID length error."},
                      // The length comes first: a short id with a bad character.
                      IdCase{"a@", "UserID length error."}));

INSTANTIATE_TEST_SUITE_P(
    Characters, UserIds,
    ::testing::Values(IdCase{"a b", "Invalid character ' ' in userid!"},
                      IdCase{"a,b", "Invalid character ',' in userid!"},
                      IdCase{"a-b", "Invalid character '-' in userid!"},
                      IdCase{"a=b", "Invalid character '=' in userid!"},
                      IdCase{"a<b", "Invalid character '<' in userid!"},
                      IdCase{"a>b", "Invalid character '>' in userid!"},
                      IdCase{"a!b", "Invalid character '!' in userid!"},
                      IdCase{"a#b", "Invalid character '#' in userid!"},
                      IdCase{"a@b", "Invalid character '@' in userid!"},
                      // The characters are searched for in their order, each over
                      // the whole id: the space is reported though '#' comes first.
                      IdCase{"a b#c", "Invalid character ' ' in userid!"},
                      IdCase{"a#b c", "Invalid character ' ' in userid!"},
                      IdCase{"@@@,", "Invalid character ',' in userid!"},
                      IdCase{"x@y!z", "Invalid character '!' in userid!"},
                      IdCase{"  leading", "Invalid character ' ' in userid!"}));

INSTANTIATE_TEST_SUITE_P(Accepted, UserIds,
                         ::testing::Values(IdCase{"mail.admin", ""}, IdCase{"Alice_01", ""},
                                           IdCase{"a.b.c", ""}, IdCase{"a\\b", ""},
                                           IdCase{"50%off", ""}, IdCase{"a+b$c~d", ""},
                                           IdCase{"quote'd", ""}, IdCase{"(x)", ""}));

TEST(UserIdMessages, AreCutInsideASmallBufferAndSayTheyDidNotFit) {
    std::array<char, 8> small{};
    EXPECT_FALSE(UserIdMessage(CheckUserId("ab"), small));
    EXPECT_STREQ(small.data(), "UserID ");
    std::array<char, 33> exact{}; // "Invalid character ' ' in userid!" has 32
    EXPECT_TRUE(UserIdMessage(CheckUserId("a b"), exact));
    EXPECT_FALSE(UserIdMessage(CheckUserId("a b"), std::span<char>(exact).first(32)));
}

TEST(UserIdChecks, NameTheRefusedCharacter) {
    const UserIdCheck check = CheckUserId("mail@host");
    EXPECT_EQ(check.problem, UserIdProblem::Character);
    EXPECT_EQ(check.character, '@');
    EXPECT_EQ(CheckUserId("ok_id").problem, UserIdProblem::None);
    EXPECT_EQ(CheckUserId("no").problem, UserIdProblem::Length);
}
