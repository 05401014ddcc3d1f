// The setup program's command line.
#include "command_line.h"

#include <gtest/gtest.h>

using namespace stf;

TEST(SetupCommandLine, SplitsQuotedWords) {
    EXPECT_EQ(SplitCommandLine("  /log  \"C:\\my logs\\a.log\"\t/src x"),
              (std::vector<std::string>{"/log", "C:\\my logs\\a.log", "/src", "x"}));
    EXPECT_EQ(SplitCommandLine("a\"b c\"d \"say \"\"hi\"\"\""),
              (std::vector<std::string>{"ab cd", "say \"hi\""}));
    EXPECT_EQ(SplitCommandLine("\"\""), (std::vector<std::string>{""}));
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(SetupCommandLine, ReadsEveryOption) {
    SetupOptions o;
    std::string error;
    ASSERT_TRUE(ParseSetupCommandLine("/answers a.ini -LOG \"C:\\x y\\s.log\" /Src D:\\ "
                                      "/record r.ini /NoExit",
                                      o, error))
        << error;
    EXPECT_EQ(o.answers, "a.ini");
    EXPECT_EQ(o.log, "C:\\x y\\s.log");
    EXPECT_EQ(o.source, "D:\\");
    EXPECT_EQ(o.record, "r.ini");
    EXPECT_TRUE(o.noExit);
    ASSERT_TRUE(ParseSetupCommandLine("", o, error));
    EXPECT_TRUE(o.answers.empty() && o.log.empty() && o.source.empty() && o.record.empty() &&
                !o.noExit);
}

TEST(SetupCommandLine, Errors) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"/quiet", "unknown option /quiet (options: /answers FILE, /log FILE, /src DIR, "
                   "/record FILE, /noexit)"},
        {"stray", "unexpected argument \"stray\" (options: /answers FILE, /log FILE, /src DIR, "
                  "/record FILE, /noexit)"},
        {"/answers /noexit", "option /answers needs a value"},
        {"/noexit -NOEXIT", "option -NOEXIT given twice"},
        {"/log", "option /log needs a value"},
        {"/log \"\"", "option /log needs a value"},
        {"/log /answers a.ini", "option /log needs a value"},
        {"/src a /src b", "option /src given twice"},
    };
    for (const auto& [line, expected] : cases) {
        SetupOptions o;
        std::string error;
        EXPECT_FALSE(ParseSetupCommandLine(line, o, error)) << line;
        EXPECT_EQ(error, expected) << line;
    }
}
