// The installer's registry layer against the prefix's registry, in a scratch
// key of its own: what the callers' tests do not show on their own (the two
// presence rules side by side, the status of a key that cannot be opened,
// the stored length of each text writer and its limit).
#include "config_test_support.h"

#include "setup/config/registry_values.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

using namespace config_test;
using namespace std::string_literals;

namespace {

const std::string Scratch = "SOFTWARE\\PstRegistryValuesTest";

class RegistryValues : public ::testing::Test {
  protected:
    void SetUp() override {
        LONG status = ERROR_INVALID_FUNCTION;
        key_ = CreateRegistryKey(HKEY_LOCAL_MACHINE, Scratch.c_str(), KEY_ALL_ACCESS, &status);
        ASSERT_TRUE(key_) << "error " << status;
        EXPECT_EQ(status, ERROR_SUCCESS);
    }

    ScratchKey scratch_{Scratch};
    postern::UniqueHkey key_;
};

} // namespace

TEST_F(RegistryValues, AMissingKeyIsEmptyWithItsStatus) {
    const std::string missing = Scratch + "\\Missing";
    LONG status = ERROR_SUCCESS;
    EXPECT_FALSE(OpenRegistryKey(HKEY_LOCAL_MACHINE, missing.c_str(), KEY_READ, &status));
    EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(CreateRegistryKey(key_.get(), "Missing", KEY_READ, &status));
    EXPECT_EQ(status, ERROR_SUCCESS);
    EXPECT_TRUE(OpenRegistryKey(HKEY_LOCAL_MACHINE, missing.c_str(), KEY_READ, &status));
    EXPECT_EQ(status, ERROR_SUCCESS);
}

// A value fits in N bytes when its data (a text with its NUL) take at most N;
// it exists whatever its size.
TEST_F(RegistryValues, FittingAndExistingDifferOnlyOnALargerValue) {
    const struct {
        const char* what;
        bool stored;
        DWORD type;
        std::string data;
        DWORD room;
        bool fits;
    } cases[] = {
        {"absent", false, REG_SZ, "", 10, false},
        {"a text that just fits", true, REG_SZ, std::string(9, 't') + '\0', 10, true},
        {"a text one byte longer", true, REG_EXPAND_SZ, std::string(10, 't') + '\0', 10, false},
        {"a text far longer", true, REG_SZ, std::string(300, 't') + '\0', 10, false},
        {"a number", true, REG_DWORD, "\x01\x02\x03\x04"s, 4, true},
        {"a number in 3 bytes", true, REG_DWORD, "\x01\x02\x03\x04"s, 3, false},
    };
    for (const auto& c : cases) {
        DeleteValue(Scratch, "Value");
        if (c.stored) {
            ASSERT_TRUE(SetValue(Scratch, "Value", c.type, c.data)) << c.what;
        }
        EXPECT_EQ(ValueFitsIn(key_.get(), "Value", c.room), c.fits) << c.what;
        EXPECT_EQ(ValueExists(key_.get(), "Value"), c.stored) << c.what;
    }
}

// Each writer's stored length as the wide call reports it, and the text read
// back terminated; a text without its NUL longer than 255 characters is not
// written at all.
TEST_F(RegistryValues, TextsAreStoredWithOrWithoutTheirNul) {
    const struct {
        const char* what;
        void (*write)(HKEY, const char*, const char*);
        std::string text;
        long storedBytes; // -1: not written
    } cases[] = {
        {"with its NUL", SetRegistryText, "mail.example.com", 34},
        {"without it", SetRegistryTextWithoutNul, "127.0.0.1", 18},
        {"without it, 255 characters", SetRegistryTextWithoutNul, std::string(255, 'w'), 510},
        {"without it, 256 characters", SetRegistryTextWithoutNul, std::string(256, 'w'), -1},
    };
    for (const auto& c : cases) {
        DeleteValue(Scratch, "Text");
        c.write(key_.get(), "Text", c.text.c_str());
        EXPECT_EQ(StoredWideBytes(Scratch, "Text"), c.storedBytes) << c.what;
        std::array<char, 300> read;
        read.fill('#');
        EXPECT_EQ(QueryRegistryText(key_.get(), "Text", read), c.storedBytes >= 0) << c.what;
        EXPECT_EQ(std::string(read.data()), c.storedBytes >= 0 ? c.text : "") << c.what;
    }
}
