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

TEST(PstpageArgs, NumericWithTypedValues) {
    PageRequest r;
    std::string error;
    ASSERT_EQ(Parse({"numeric", "--port", "2", "--wait", "1500", "ATDT%s,,,%lu#", "5551234",
                     "42"},
                    r, error),
              0)
        << error;
    EXPECT_TRUE(r.numeric);
    EXPECT_EQ(r.port, 2u);
    EXPECT_EQ(r.speed, 1); // 1200 bit/s unless told
    EXPECT_FALSE(r.haveInit);
    EXPECT_EQ(r.waitMs, 1500u);
    EXPECT_EQ(r.dialFormat, "ATDT%s,,,%lu#");
    ASSERT_EQ(r.values.size(), 2u);
    EXPECT_EQ(r.values[0].kind, DialValueKind::Text);
    EXPECT_EQ(r.values[0].text, "5551234");
    EXPECT_EQ(r.values[1].kind, DialValueKind::Number);
    EXPECT_EQ(r.values[1].number, 42u);
}

TEST(PstpageArgs, NumericFormatsWithoutValues) {
    PageRequest r;
    std::string error;
    ASSERT_EQ(Parse({"numeric", "--port", "1", "--init", "ATZ", "ATDT555,,100%%"}, r, error), 0)
        << error;
    EXPECT_TRUE(r.values.empty());
    EXPECT_TRUE(r.haveInit);
    EXPECT_EQ(r.initString, "ATZ");
}

TEST(PstpageArgs, DialFormatConversionsAreTyped) {
    std::vector<DialValueKind> kinds;
    std::string error;
    EXPECT_TRUE(DialFormatConversions("ATDT%-8s%05d", kinds, error));
    EXPECT_EQ(kinds, (std::vector<DialValueKind>{DialValueKind::Text, DialValueKind::Number}));
    EXPECT_TRUE(DialFormatConversions("%x%%", kinds, error));
    EXPECT_EQ(kinds.size(), 1u);
    for (const char* bad : {"%s%s%s", "%*d", "%f", "%n", "ATDT%"}) {
        EXPECT_FALSE(DialFormatConversions(bad, kinds, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST(PstpageArgs, NumericUsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {"numeric", "--port", "1"},                            // no format
        {"numeric", "--port", "1", "ATDT%s"},                  // value missing
        {"numeric", "--port", "1", "ATDT%s", "1", "2"},        // one too many
        {"numeric", "--port", "1", "ATDT%d", "twelve"},        // not a number
        {"numeric", "--port", "1", "ATDT%d", "99999999999"},   // not 32 bits
        {"numeric", "--port", "1", "ATDT%s%s%s", "a", "b", "c"},
        {"numeric", "--port", "1", "--pager", "1", "ATDT5"},   // alpha-only option
        {"alpha", "--port", "1", "--phone", "1", "--pager", "2", "--wait", "5", "m"},
        {"numeric", "--port", "1", "--wait", "-1", "ATDT5"},
    };
    for (const auto& args : bad) {
        PageRequest r;
        std::string error;
        EXPECT_EQ(Parse(args, r, error), kUsageError) << testing::PrintToString(args);
        EXPECT_FALSE(error.empty());
    }
}
