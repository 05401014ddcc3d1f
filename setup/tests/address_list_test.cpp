// The address list from multi-string values: the walk, the adapter keys, the
// room rule, the "0.0.0.0" rule and the joining with single spaces.
#include "setup/config/address_list.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

std::vector<std::string> Walk(const std::string& data) {
    std::vector<std::string> texts;
    std::size_t offset = 0;
    for (std::string_view text = NextMultiText(data, offset); !text.empty();
         text = NextMultiText(data, offset))
        texts.emplace_back(text);
    return texts;
}

std::string KeyOf(const std::string& device) {
    std::array<char, 128> key;
    key.fill('#');
    const bool made = AdapterKeyPath(key, device);
    EXPECT_EQ(made, key[0] != '\0') << "the result says whether a key was made";
    return made ? std::string(key.data()) : "(none)";
}

struct JoinCase {
    const char* name;
    std::string list;  // before
    std::string value; // the adapter's value as read
    AdapterJoin result;
    std::string after;
};

} // namespace

TEST(AddressList, TheWalkStopsAtTheEmptyTextOrTheEndOfTheData) {
    EXPECT_EQ(Walk("\\Device\\A\0\\Device\\B\0\0"s),
              (std::vector<std::string>{"\\Device\\A", "\\Device\\B"}));
    EXPECT_EQ(Walk("a\0\0b\0\0"s), std::vector<std::string>{"a"}) << "the empty text ends it";
    EXPECT_EQ(Walk("a\0b"s), (std::vector<std::string>{"a", "b"})) << "no NUL at the end";
    EXPECT_EQ(Walk("abc"s), std::vector<std::string>{"abc"});
    EXPECT_EQ(Walk(""s), std::vector<std::string>{});
    EXPECT_EQ(Walk("\0a\0\0"s), std::vector<std::string>{}) << "an empty first text";
}

TEST(AddressList, TheWalkNeverReadsPastTheData) {
    const std::string data = "abcdef";
    std::size_t offset = 0;
    EXPECT_EQ(NextMultiText(std::span<const char>(data.data(), 3), offset), "abc");
    EXPECT_EQ(offset, 3u);
    EXPECT_EQ(NextMultiText(std::span<const char>(data.data(), 3), offset), "");
    offset = 99;
    EXPECT_EQ(NextMultiText(data, offset), "") << "an offset past the end";
}

TEST(AddressList, BoundDevicesNameTheirAdapterKeys) {
    EXPECT_EQ(KeyOf("\\Device\\NetCard1"),
              "SYSTEM\\CurrentControlSet\\Services\\NetCard1\\Parameters\\TCPIP");
    EXPECT_EQ(KeyOf("\\Device\\E100B1"),
              "SYSTEM\\CurrentControlSet\\Services\\E100B1\\Parameters\\TCPIP");
    EXPECT_EQ(KeyOf("\\DEVICE\\NetCard1"), "(none)") << "letter case is significant";
    EXPECT_EQ(KeyOf("\\Devic"), "(none)");
    EXPECT_EQ(KeyOf("NetCard1"), "(none)");
    EXPECT_EQ(KeyOf(""), "(none)");
    // The text after "\Device" is used as it is, backslash or not.
    EXPECT_EQ(KeyOf("\\DeviceX"), "SYSTEM\\CurrentControlSet\\ServicesX\\Parameters\\TCPIP");
    EXPECT_EQ(KeyOf("\\Device\\" + std::string(100, 'n')), "(none)") << "too long for 128";
}

TEST(AddressList, TheRoomIs254LessTheListLength) {
    EXPECT_EQ(AdapterValueRoom(""), 254u);
    EXPECT_EQ(AdapterValueRoom("192.0.2.5"), 245u);
    EXPECT_EQ(AdapterValueRoom(std::string(254, '1').c_str()), 0u);
    EXPECT_EQ(AdapterValueRoom(std::string(255, '1').c_str()), 0u);
}

TEST(AddressList, AdaptersJoinTheListSeparatedBySingleSpaces) {
    const JoinCase cases[] = {
        {"first adapter", "", "192.0.2.5\0\0"s, AdapterJoin::Added, "192.0.2.5"},
        {"second adapter", "192.0.2.5", "192.0.2.7\0\0"s, AdapterJoin::Added,
         "192.0.2.5 192.0.2.7"},
        {"two addresses", "192.0.2.5", "192.0.2.7\000192.0.2.8\0\0"s, AdapterJoin::Added,
         "192.0.2.5 192.0.2.7 192.0.2.8"},
        {"three into an empty list", "", "10.0.0.1\00010.0.0.2\00010.0.0.3\0\0"s,
         AdapterJoin::Added, "10.0.0.1 10.0.0.2 10.0.0.3"},
        {"value without its NULs", "192.0.2.5", "192.0.2.7\000192.0.2.8"s, AdapterJoin::Added,
         "192.0.2.5 192.0.2.7 192.0.2.8"},
        {"a single-text value", "", "192.0.2.9"s, AdapterJoin::Added, "192.0.2.9"},
        {"unassigned adapter", "192.0.2.5", "0.0.0.0\0\0"s, AdapterJoin::Unassigned, "192.0.2.5"},
        {"unassigned first, others dropped with it", "", "0.0.0.0\000192.0.2.9\0\0"s,
         AdapterJoin::Unassigned, ""},
        {"0.0.0.0 after a real address stays", "", "192.0.2.9\0000.0.0.0\0\0"s, AdapterJoin::Added,
         "192.0.2.9 0.0.0.0"},
        {"0.0.0.0 as a prefix is an address", "", "0.0.0.01\0\0"s, AdapterJoin::Added, "0.0.0.01"},
        {"empty value", "192.0.2.5", "\0\0"s, AdapterJoin::NoAddress, "192.0.2.5"},
        {"no data", "192.0.2.5", ""s, AdapterJoin::NoAddress, "192.0.2.5"},
        {"exactly 254", std::string(240, '1'), std::string(13, '2') + "\0\0"s, AdapterJoin::Added,
         std::string(240, '1') + " " + std::string(13, '2')},
        {"255 is too long", std::string(240, '1'), std::string(14, '2') + "\0\0"s,
         AdapterJoin::TooLong, std::string(240, '1')},
        {"too long by its second address", std::string(200, '1'),
         std::string(30, '2') + "\0"s + std::string(30, '3') + "\0\0"s, AdapterJoin::TooLong,
         std::string(200, '1')},
    };
    for (const JoinCase& c : cases) {
        std::array<char, kAddressListSize> list{};
        std::copy(c.list.begin(), c.list.end(), list.begin());
        EXPECT_EQ(AppendAdapterAddresses(list, c.value), c.result) << c.name;
        EXPECT_EQ(std::string(list.data()), c.after) << c.name;
    }
}

TEST(AddressList, TheListNeverOutgrowsItsBuffer) {
    // A small buffer: the join refuses what would not fit with its terminator.
    std::array<char, 12> list{};
    EXPECT_EQ(AppendAdapterAddresses(list, "1.2.3.4\0\0"s), AdapterJoin::Added);
    EXPECT_EQ(AppendAdapterAddresses(list, "5.6.7\0\0"s), AdapterJoin::TooLong);
    EXPECT_STREQ(list.data(), "1.2.3.4");
    EXPECT_EQ(AppendAdapterAddresses(list, "5.6\0\0"s), AdapterJoin::Added);
    EXPECT_STREQ(list.data(), "1.2.3.4 5.6");
    // A list without a terminator in its buffer takes nothing.
    std::array<char, 4> full = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(AppendAdapterAddresses(full, "1\0\0"s), AdapterJoin::TooLong);
    EXPECT_EQ(std::string(full.data(), full.size()), "abcd");
}
