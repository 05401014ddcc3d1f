// pstpage's command line.
#include "pager/pstpage_args.h"

#include <gtest/gtest.h>

using namespace pager;

namespace {
int Parse(std::vector<std::string> args, PageRequest& r, std::string& error) {
    return ParsePageArguments(args, r, error);
}
} // namespace

TEST(PstpageArgs, AlphaWithDefaults) {
    PageRequest r;
    std::string error;
    ASSERT_EQ(Parse({"alpha", "--port", "1", "--phone", "5551234", "--pager", "123", "disk",
                     "full"},
                    r, error),
              0)
        << error;
    EXPECT_EQ(r.port, 1u);
    EXPECT_EQ(r.phoneNumber, "5551234");
    EXPECT_EQ(r.pagerId, "123");
    EXPECT_EQ(r.initString, "ATE0");
    EXPECT_EQ(r.speed, 0);
    EXPECT_EQ(r.message, "disk full");
}

TEST(PstpageArgs, OptionsAnywhereAndEndOfOptions) {
    PageRequest r;
    std::string error;
    ASSERT_EQ(Parse({"alpha", "hello", "--speed", "4", "--init", "ATZ", "--port", "2", "--phone",
                     "1", "--pager", "9", "--", "--not-an-option"},
                    r, error),
              0)
        << error;
    EXPECT_EQ(r.message, "hello --not-an-option");
    EXPECT_EQ(r.speed, 4);
    EXPECT_EQ(r.initString, "ATZ");
}

TEST(PstpageArgs, UsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"beep"},
        {"alpha", "--phone", "1", "--pager", "2", "m"},
        {"alpha", "--port", "1", "--pager", "2", "m"},
        {"alpha", "--port", "1", "--phone", "1", "m"},
        {"alpha", "--port", "1", "--phone", "1", "--pager", "2"},
        {"alpha", "--port", "x", "--phone", "1", "--pager", "2", "m"},
        {"alpha", "--port", "0", "--phone", "1", "--pager", "2", "m"},
        {"alpha", "--port", "1", "--phone", "1", "--pager", "2", "--speed", "-1", "m"},
        {"alpha", "--port", "1", "--phone", "1", "--pager", "2", "--colour", "red", "m"},
        {"alpha", "--port", "1", "--phone", "1", "--pager"},
    };
    for (const auto& args : bad) {
        PageRequest r;
        std::string error;
        EXPECT_EQ(Parse(args, r, error), kUsageError) << testing::PrintToString(args);
        EXPECT_FALSE(error.empty());
    }
}

TEST(PstpageArgs, MessageFromInputKeepsLinesAsCarriageReturns) {
    EXPECT_EQ(MessageFromInput("disk full\n"), "disk full");
    EXPECT_EQ(MessageFromInput("line one\r\nline two\nthree\r\n\r\n"),
              "line one\rline two\rthree");
    EXPECT_EQ(MessageFromInput(""), "");
}
