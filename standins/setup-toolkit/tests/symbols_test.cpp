// The symbol exports under Wine: values, lists, the installer's overflow
// check, bounds, which sets are logged, and FValidDir.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "setup_toolkit.h"
#include "toolkit_win_harness.h"

using namespace toolkit_test;

namespace {

class Symbols : public testing::Test {
  protected:
    void SetUp() override {
        std::string line = "/log \"" + dir_.File("run.log") + "\"";
        ASSERT_GT(InitializeFrame(line.data()), 0);
    }
    void TearDown() override { TerminateFrame(); }
    std::string Log() const { return dir_.File("run.log"); }

    TempDir dir_;
};

} // namespace

TEST_F(Symbols, ValueCopiesAreCutButReportTheFullLength) {
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "C:\\POSTERN"));
    std::array<char, 4> small{'x', 'x', 'x', 'x'};
    EXPECT_EQ(CbGetSymbolValue("edittextin", small.data(), 4), 10u);
    EXPECT_STREQ(small.data(), "C:\\");
    std::array<char, 11> exact{};
    EXPECT_EQ(CbGetSymbolValue("EditTextIn", exact.data(), 11), 10u);
    EXPECT_STREQ(exact.data(), "C:\\POSTERN");
    EXPECT_EQ(CbGetSymbolValue("EditTextIn", nullptr, 0), 10u);
    std::array<char, 8> unknown{'s', 't', 'a', 'l', 'e', 0};
    EXPECT_EQ(CbGetSymbolValue("NoSuchSymbol", unknown.data(), 8), 0u);
    EXPECT_STREQ(unknown.data(), "");
}

TEST_F(Symbols, ListsAndTheirItems) {
    ASSERT_TRUE(FAddListItem("OptionsGreyed", "2"));
    ASSERT_TRUE(FAddListItem("OptionsGreyed", " "));
    EXPECT_EQ(UsGetListLength("OptionsGreyed"), 2u);
    EXPECT_EQ(Symbol("OptionsGreyed"), "2, ");
    std::array<char, 8> item{};
    EXPECT_EQ(CbGetListItem("OptionsGreyed", 2, item.data(), 8), 1u);
    EXPECT_STREQ(item.data(), " ");
    EXPECT_EQ(CbGetListItem("OptionsGreyed", 3, item.data(), 8), 0u);
    EXPECT_STREQ(item.data(), "");
    EXPECT_EQ(UsGetListLength("Unknown"), 0u);
    ASSERT_TRUE(FSetSymbolValue("OptionsGreyed", ""));
    EXPECT_EQ(UsGetListLength("OptionsGreyed"), 0u);
}

TEST_F(Symbols, CallerSetsAreLoggedDialogWrittenOnesAreNot) {
    ASSERT_TRUE(FSetSymbolValue("RadioDefault", "1"));
    ASSERT_TRUE(FAddListItem("OptionsGreyed", " "));
    ASSERT_TRUE(FSetSymbolValue("ButtonChecked", "3"));
    ASSERT_TRUE(FSetSymbolValue("EditTextOut", "typed"));
    ASSERT_TRUE(FSetSymbolValue("DLGEVENT", "BACK"));
    EXPECT_TRUE(HasLine(Log(), "symbol RadioDefault=\"1\""));
    EXPECT_TRUE(HasLine(Log(), "list item OptionsGreyed+=\" \""));
    EXPECT_FALSE(HasLine(Log(), "ButtonChecked", true));
    EXPECT_FALSE(HasLine(Log(), "EditTextOut", true));
    EXPECT_FALSE(HasLine(Log(), "DLGEVENT", true));
    EXPECT_EQ(Symbol("ButtonChecked"), "3");
}

TEST_F(Symbols, BoundsFailWithALoggedReason) {
    const std::string longName(65, 'N');
    EXPECT_FALSE(FSetSymbolValue(longName.c_str(), "x"));
    EXPECT_TRUE(HasLine(Log(), "failed: FSetSymbolValue " + longName.substr(0, 64) +
                                   ": symbol name empty or longer than 64 characters"));
    EXPECT_FALSE(FSetSymbolValue(nullptr, "x"));
    EXPECT_FALSE(FSetSymbolValue("Big", std::string(1025, 'v').c_str()));
    EXPECT_TRUE(HasLine(Log(), "failed: FSetSymbolValue Big: value longer than 1024 characters"));
    EXPECT_EQ(CbGetSymbolValue("Big", nullptr, 0), 0u);
    for (int i = 0; i < 64; ++i)
        ASSERT_TRUE(FAddListItem("Many", "i"));
    EXPECT_FALSE(FAddListItem("Many", "i"));
    EXPECT_TRUE(HasLine(Log(), "failed: FAddListItem Many: more than 64 list items"));
    EXPECT_EQ(UsGetListLength("Many"), 64u);
}

TEST_F(Symbols, SymbolsLastOneRun) {
    ASSERT_TRUE(FSetSymbolValue("Leftover", "x"));
    TerminateFrame();
    std::string line = "/log \"" + Log() + "\"";
    ASSERT_GT(InitializeFrame(line.data()), 0);
    EXPECT_EQ(CbGetSymbolValue("Leftover", nullptr, 0), 0u);
    EXPECT_FALSE(Symbol("STF_SRCDIR").empty());
}

TEST(ValidDir, ExportFollowsTheDirectoryRule) {
    EXPECT_TRUE(FValidDir("C:\\POSTERN"));
    EXPECT_TRUE(FValidDir("\\\\server\\share\\postern\\"));
    EXPECT_FALSE(FValidDir("POSTERN"));
    EXPECT_FALSE(FValidDir("C:\\POST?RN"));
    EXPECT_FALSE(FValidDir("C:\\a\\..\\b"));
    EXPECT_FALSE(FValidDir(""));
    EXPECT_FALSE(FValidDir(nullptr));
}
