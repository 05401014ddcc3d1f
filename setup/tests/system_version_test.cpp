// Which versions count as Windows NT 3.51 or later.
#include "setup/system_version.h"

#include <gtest/gtest.h>

TEST(SystemVersion, Nt351AndLaterAreRecognised) {
    EXPECT_FALSE(IsNt351OrLater(3, 50)); // also what an unreadable version is taken as
    EXPECT_FALSE(IsNt351OrLater(3, 10));
    EXPECT_TRUE(IsNt351OrLater(3, 51));
    EXPECT_TRUE(IsNt351OrLater(4, 0));
    EXPECT_TRUE(IsNt351OrLater(5, 1));
    EXPECT_TRUE(IsNt351OrLater(10, 0));
}
