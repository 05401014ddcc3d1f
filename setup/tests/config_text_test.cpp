// Section keys of the configuration writer and the installation date text.
#include "setup/config/config_text.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

std::string KeyOf(const char* section, std::size_t room = 300) {
    std::array<char, 300> path{};
    path.fill('x');
    const std::size_t length = SectionKeyPath(section, std::span<char>(path.data(), room));
    EXPECT_EQ(length, std::string(path.data()).size()) << (section ? section : "(null)");
    return path.data();
}

} // namespace

TEST(SectionKeyPath, KnownSectionsInAnyCaseAndOthersUnderTheRoot) {
    const struct {
        const char* section;
        const char* key;
    } cases[] = {
        {"_smtp", "SYSTEM\\CurrentControlSet\\Services\\RELAYSVC\\Parameters"},
        {"_SMTP", "SYSTEM\\CurrentControlSet\\Services\\RELAYSVC\\Parameters"},
        {"_Pop", "SYSTEM\\CurrentControlSet\\Services\\DROPSVC\\Parameters"},
        {"_GLOBAL", "SOFTWARE\\Corvane\\Postern\\Global"},
        {"_smtpx", "SOFTWARE\\Corvane\\Postern\\_smtpx"},
        {"_smt", "SOFTWARE\\Corvane\\Postern\\_smt"},
        {"Domains", "SOFTWARE\\Corvane\\Postern\\Domains"},
        {"", "SOFTWARE\\Corvane\\Postern\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyOf(c.section), c.key) << c.section;
}

TEST(SectionKeyPath, NullOrTooLongGivesAnEmptyPath) {
    EXPECT_EQ(KeyOf(nullptr), "");
    const std::string longName(300, 'n');
    EXPECT_EQ(KeyOf(longName.c_str()), "");
    // Exactly filling the room still fits; one more character does not.
    const std::string root = "SOFTWARE\\Corvane\\Postern\\";
    EXPECT_EQ(KeyOf("abc", root.size() + 4), root + "abc");
    EXPECT_EQ(KeyOf("abcd", root.size() + 4), "");
    EXPECT_EQ(KeyOf("_global", 10), "");
}

TEST(InstDate, ThirteenCharactersPaddedWithZeros) {
    std::array<char, 39> text{};
    ASSERT_TRUE(FormatInstDate({1996, 3, 7, 9, 5}, text));
    EXPECT_EQ(std::string(text.data()), "19960307-0905");
    ASSERT_TRUE(FormatInstDate({2026, 12, 31, 23, 59}, text));
    EXPECT_EQ(std::string(text.data()), "20261231-2359");
    std::array<char, 13> tooSmall{};
    EXPECT_FALSE(FormatInstDate({2026, 12, 31, 23, 59}, tooSmall));
}
