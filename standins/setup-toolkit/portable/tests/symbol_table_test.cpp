// The toolkit's symbol table and its bounds.
#include "symbol_table.h"

#include <gtest/gtest.h>

#include <string>

using namespace stf;

TEST(SymbolTable, SetGetAndCaseInsensitiveNames) {
    SymbolTable t;
    EXPECT_FALSE(t.Has("DLGEVENT"));
    EXPECT_EQ(t.Value("DLGEVENT"), "");
    ASSERT_EQ(t.Set("DlgEvent", "CONTINUE"), SymbolResult::Ok);
    EXPECT_TRUE(t.Has("DLGEVENT"));
    EXPECT_EQ(t.Value("dlgevent"), "CONTINUE");
    EXPECT_EQ(t.ValueLength("DLGEVENT"), 8u);
    EXPECT_EQ(t.ItemCount("DLGEVENT"), 1u);
    ASSERT_EQ(t.Set("DLGEVENT", "BACK"), SymbolResult::Ok);
    EXPECT_EQ(t.Value("DLGEVENT"), "BACK");
    EXPECT_EQ(t.Count(), 1u);
    ASSERT_EQ(t.Set("DLGEVENT", ""), SymbolResult::Ok); // empties, still known
    EXPECT_TRUE(t.Has("DLGEVENT"));
    EXPECT_EQ(t.ItemCount("DLGEVENT"), 0u);
    EXPECT_EQ(t.ValueLength("DLGEVENT"), 0u);
}

TEST(SymbolTable, ListsJoinWithCommas) {
    SymbolTable t;
    ASSERT_EQ(t.AddItem("OptionsGreyed", "2"), SymbolResult::Ok);
    ASSERT_EQ(t.AddItem("OptionsGreyed", " "), SymbolResult::Ok);
    ASSERT_EQ(t.AddItem("optionsgreyed", "3"), SymbolResult::Ok);
    EXPECT_EQ(t.Value("OptionsGreyed"), "2, ,3");
    EXPECT_EQ(t.ValueLength("OptionsGreyed"), 5u);
    EXPECT_EQ(t.ItemCount("OptionsGreyed"), 3u);
    std::string item;
    ASSERT_TRUE(t.Item("OptionsGreyed", 2, item));
    EXPECT_EQ(item, " ");
    EXPECT_FALSE(t.Item("OptionsGreyed", 0, item));
    EXPECT_FALSE(t.Item("OptionsGreyed", 4, item));
    EXPECT_FALSE(t.Item("Unknown", 1, item));
    ASSERT_EQ(t.Set("OptionsGreyed", "1"), SymbolResult::Ok); // a set replaces the list
    EXPECT_EQ(t.ItemCount("OptionsGreyed"), 1u);
    EXPECT_EQ(t.Value("OptionsGreyed"), "1");
}

TEST(SymbolTable, BoundsAreRefusedWithoutChange) {
    SymbolTable t;
    EXPECT_EQ(t.Set("", "x"), SymbolResult::BadName);
    EXPECT_EQ(t.Set(std::string(65, 'n'), "x"), SymbolResult::BadName);
    EXPECT_EQ(t.Set(std::string(64, 'n'), "x"), SymbolResult::Ok);
    EXPECT_EQ(t.Set("v", std::string(1024, 'v')), SymbolResult::Ok);
    EXPECT_EQ(t.Set("v", std::string(1025, 'w')), SymbolResult::ValueTooLong);
    EXPECT_EQ(t.Value("v"), std::string(1024, 'v'));
    EXPECT_EQ(t.AddItem("v", ""), SymbolResult::ValueTooLong); // the comma would not fit

    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(t.AddItem("list", "i"), SymbolResult::Ok) << i;
    EXPECT_EQ(t.AddItem("list", "i"), SymbolResult::TooManyItems);
    EXPECT_EQ(t.ItemCount("list"), 64u);

    while (t.Count() < kMaxSymbols)
        ASSERT_EQ(t.Set("s" + std::to_string(t.Count()), "x"), SymbolResult::Ok);
    EXPECT_EQ(t.Set("one more", "x"), SymbolResult::TooManySymbols);
    EXPECT_EQ(t.AddItem("one more", "x"), SymbolResult::TooManySymbols);
    EXPECT_FALSE(t.Has("one more"));
    EXPECT_EQ(t.Set("LIST", "still settable"), SymbolResult::Ok); // existing names still work
    EXPECT_STREQ(SymbolResultText(SymbolResult::TooManyItems), "more than 64 list items");
    t.Clear();
    EXPECT_EQ(t.Count(), 0u);
}
