// Folding A to Z only.
#include "common/letter_case.h"

#include <gtest/gtest.h>

TEST(LetterCase, OnlyAToZFold) {
    EXPECT_TRUE(postern::SameTextAZ("Global", "gLOBAL"));
    EXPECT_TRUE(postern::SameTextAZ("AZaz", "azAZ"));
    // The neighbours of the letters, and a byte above 127, stay as they are.
    EXPECT_FALSE(postern::SameTextAZ("@[", "`{"));
    EXPECT_FALSE(postern::SameTextAZ("\xC4", "\xE4"));
    EXPECT_FALSE(postern::SameTextAZ("dom", "Domains"));
    EXPECT_EQ(postern::UpperAZ('z'), 'Z');
    EXPECT_EQ(postern::LowerAZ('Z'), 'z');
}
