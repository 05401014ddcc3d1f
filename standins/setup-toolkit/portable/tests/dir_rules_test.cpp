// The directory rule behind FValidDir.
#include "dir_rules.h"

#include <gtest/gtest.h>

#include <string>

using namespace stf;

TEST(DirRules, AcceptsFullPaths) {
    for (const char* good :
         {"C:\\", "C:\\POSTERN", "c:\\postern\\", "Z:\\a b\\c.d\\e", "\\\\server\\share",
          "\\\\server\\share\\", "\\\\srv\\sh\\dir\\sub", "C:\\.hidden", "C:\\a..b"}) {
        EXPECT_EQ(DirectoryFault(good), nullptr) << good;
        EXPECT_TRUE(IsValidDirectory(good)) << good;
    }
}

TEST(DirRules, RefusesWithAReason) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "empty path"},
        {"POSTERN", "not a full path (X:\\... or \\\\server\\share\\...)"},
        {"C:", "not a full path (X:\\... or \\\\server\\share\\...)"},
        {"C:POSTERN", "not a full path (X:\\... or \\\\server\\share\\...)"},
        {"1:\\x", "not a full path (X:\\... or \\\\server\\share\\...)"},
        {"\\POSTERN", "not a full path (X:\\... or \\\\server\\share\\...)"},
        {"\\\\server", "a network path needs \\\\server\\share"},
        {"\\\\server\\", "a network path needs \\\\server\\share"},
        {"\\\\\\share", "empty path component"},
        {"C:\\a\\\\b", "empty path component"},
        {"C:\\\\", "empty path component"},
        {"C:\\a\\.", "a path component ends in a dot or a space"},
        {"C:\\a\\..\\b", "a path component ends in a dot or a space"},
        {"C:\\dir.", "a path component ends in a dot or a space"},
        {"C:\\dir \\x", "a path component ends in a dot or a space"},
        {"C:\\a:b", "':' other than after the drive letter"},
        {"C:\\a\tb", "control character in the path"},
        // Windows takes '/' for a separator: no way around the component rules.
        {"C:\\foo/../bar", "one of < > \" | * ? / in the path"},
        {"C:\\a//b", "one of < > \" | * ? / in the path"},
    };
    for (const auto& [path, reason] : cases) {
        const char* fault = DirectoryFault(path);
        ASSERT_NE(fault, nullptr) << path;
        EXPECT_EQ(std::string(fault), reason) << path;
    }
    for (char c : std::string("<>\"|*?")) {
        std::string path = "C:\\a";
        path += c;
        EXPECT_FALSE(IsValidDirectory(path)) << path;
    }
}

TEST(DirRules, LengthLimitIs247) {
    std::string path = "C:\\";
    while (path.size() < kMaxDirectoryLength)
        path += (path.size() % 10 == 9) ? '\\' : 'x';
    ASSERT_EQ(path.size(), 247u);
    EXPECT_TRUE(IsValidDirectory(path)) << path;
    path.back() = 'y';
    path += 'z';
    EXPECT_EQ(std::string(DirectoryFault(path)), "path longer than 247 characters");
}
