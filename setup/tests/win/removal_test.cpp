// Emptying the suite's registry tree on a removal.
#include "config/config_test_support.h"
#include "delivery_windows.h"

#include "common/suite_registry.h"
#include "setup/removal.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace config_test;

namespace {

const std::string Root = postern::kSuiteRootKey;

long SubkeyCount(const std::string& keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD subkeys = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return static_cast<long>(subkeys);
}

// Creates the chain of keys one level at a time (a whole path that long is
// more than one call takes) and stores a value in the last.
bool MakeChain(const std::string& parent, const std::vector<std::string>& names) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, parent.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool made = true;
    for (const std::string& name : names) {
        HKEY child = nullptr;
        made = made && RegCreateKeyExA(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                       &child, nullptr) == ERROR_SUCCESS;
        RegCloseKey(key);
        key = child;
        if (!made)
            return false;
    }
    made = RegSetValueExA(key, "Leaf", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2) ==
           ERROR_SUCCESS;
    RegCloseKey(key);
    return made;
}

} // namespace

// Paths far longer than 256 characters, several branches, values kept in the
// named key, and a neighbour whose name begins like the suite's key.
TEST(RegistryTree, DeepLongTreesAreEmptiedAndNothingBesideThemIsTouched) {
    ScratchKey suite(Root);
    ScratchKey neighbour(Root + "Sibling");
    std::vector<std::string> levels;
    for (char level = 'a'; level <= 'e'; ++level)
        levels.push_back(std::string(120, level));
    ASSERT_TRUE(MakeChain(Root, levels)) << "a path of over 600 characters";
    ASSERT_TRUE(SetText(Root + "\\Global\\Nested", "Value", "1"));
    ASSERT_TRUE(SetText(Root + "\\Flat", "Value", "1"));
    ASSERT_TRUE(SetText(Root, "Kept", "yes"));
    ASSERT_TRUE(SetText(Root + "Sibling\\Child", "Value", "1"));

    EXPECT_EQ(DeleteRegistryTree(Root.c_str()), 1);
    EXPECT_EQ(SubkeyCount(Root), 0);
    EXPECT_EQ(ValueCount(Root), 1);
    EXPECT_TRUE(KeyExists(Root + "Sibling\\Child"));

    // Nothing to open: failure, and nothing made.
    EXPECT_EQ(DeleteRegistryTree((Root + "\\Missing").c_str()), 0);
    EXPECT_FALSE(KeyExists(Root + "\\Missing"));
}

// Only the exact class names, in their letter case, are the delivery
// program's. (Class names that differ only in case share one name in the
// system's table while both exist, so the look-alikes come without the real
// ones; the walk itself is seen closing several windows in the work step's
// removal test.)
TEST(DeliveryWindowsClosed, OnlyTheExactClassNamesCount) {
    setup_test::DeliveryWindows windows({"relaywnd", "RelayOut", "RELAYWND2", "XRELAYOUT"});
    CloseDeliveryWindows();
    for (const auto& close : windows.Closes())
        EXPECT_FALSE(close.closed);
}
