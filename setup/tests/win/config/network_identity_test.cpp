// The host name and the address list read from the prefix's TCP/IP
// configuration, seeded by each case (Wine writes its own Hostname and
// Domain when the session starts, so the cases seed them afterwards).
#include "config_test_support.h"

#include "common/suite_registry.h"
#include "setup/config/network_identity.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace config_test;
using namespace std::string_literals;

namespace {

constexpr const char* kParameters = postern::kTcpipParametersKey;
constexpr const char* kLinkage = postern::kTcpipLinkageKey;

std::string AdapterKey(const std::string& name) {
    return std::string(postern::kServicesKey) + "\\" + name + "\\Parameters\\TCPIP";
}

// A value to seed: absent (nullopt), or the bytes with or without their NUL.
struct Seed {
    enum Kind { Absent, Text, NoNul, Dword } kind = Absent;
    std::string text;
};
Seed Absent() {
    return {};
}
Seed Text(std::string text) {
    return {Seed::Text, std::move(text)};
}
Seed NoNul(std::string text) {
    return {Seed::NoNul, std::move(text)};
}

void Apply(const char* name, const Seed& seed) {
    switch (seed.kind) {
    case Seed::Absent:
        DeleteValue(kParameters, name);
        break;
    case Seed::Text:
        ASSERT_TRUE(SetText(kParameters, name, seed.text)) << name;
        break;
    case Seed::NoNul:
        ASSERT_TRUE(SetTextWithoutNul(kParameters, name, seed.text)) << name;
        ASSERT_EQ(StoredWideBytes(kParameters, name), static_cast<long>(seed.text.size() * 2))
            << name << " is stored without its NUL";
        break;
    case Seed::Dword:
        ASSERT_TRUE(SetValue(kParameters, name, REG_DWORD, "\x01\x02\x03\x04"s)) << name;
        break;
    }
}

class TcpipConfiguration : public ::testing::Test {
  protected:
    SavedValue hostname_{kParameters, "Hostname"};
    SavedValue domain_{kParameters, "Domain"};
    SavedValue bind_{kLinkage, "Bind"};
    ScratchKey net0_{std::string(postern::kServicesKey) + "\\PstTestNet0"};
    ScratchKey net1_{std::string(postern::kServicesKey) + "\\PstTestNet1"};
    ScratchKey net2_{std::string(postern::kServicesKey) + "\\PstTestNet2"};
    ScratchKey net3_{std::string(postern::kServicesKey) + "\\PstTestNet3"};
    ScratchKey net4_{std::string(postern::kServicesKey) + "\\PstTestNet4"};

    static void SetBind(const std::string& bytes) {
        ASSERT_TRUE(SetValue(kLinkage, "Bind", REG_MULTI_SZ, bytes));
    }
    static void SetAddresses(const char* adapter, const std::string& bytes) {
        ASSERT_TRUE(SetValue(AdapterKey(adapter), "IPAddress", REG_MULTI_SZ, bytes));
    }
    static std::string ReadList(int& length) {
        std::array<char, 256> list;
        list.fill('#');
        length = ReadAdapterAddresses(list);
        return list.data();
    }
};

} // namespace

TEST_F(TcpipConfiguration, HostNameJoinsHostAndDomain) {
    struct Case {
        const char* name;
        Seed host, domain;
        std::string before, expected;
    };
    const std::string host240(240, 'h');
    const Case cases[] = {
        {"host and domain", Text("pst-host"), Text("example.net"), "", "pst-host.example.net"},
        {"empty domain", Text("pst-host"), Text(""), "old", "pst-host"},
        {"no domain", Text("pst-host"), Absent(), "old", "pst-host"},
        {"no host keeps the text", Absent(), Text("example.net"), "kept.example", "kept.example"},
        {"an empty host is no host", Text(""), Text("example.net"), "kept", "kept"},
        {"a host of another type is no host", Seed{Seed::Dword, ""}, Text("x"), "kept", "kept"},
        {"stored without NULs", NoNul("nonul-host"), NoNul("nonul.example"), "",
         "nonul-host.nonul.example"},
        {"domain fills the room", Text(host240), Text(std::string(14, 'd')), "",
         host240 + "." + std::string(14, 'd')},
        {"domain one too long", Text(host240), Text(std::string(15, 'd')), "", host240},
        {"domain without NUL fills the room", Text(host240), NoNul(std::string(15, 'd')), "",
         host240},
        {"host of 255", Text(std::string(255, 'h')), Text("example.net"), "",
         std::string(255, 'h')},
        {"host of 256 does not fit", Text(std::string(256, 'h')), Text("x"), "kept", "kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Apply("Hostname", c.host);
        Apply("Domain", c.domain);
        std::array<char, 256> destination{};
        std::copy(c.before.begin(), c.before.end(), destination.begin());
        const int length = ReadTcpipHostName(destination);
        EXPECT_EQ(std::string(destination.data()), c.expected);
        EXPECT_EQ(length, static_cast<int>(c.expected.size()));
    }
}

TEST_F(TcpipConfiguration, AddressesOfTheBoundAdaptersInBindingOrder) {
    SetBind("\\Device\\PstTestNet1\0\\Device\\PstTestNet0\0\\Device\\PstTestNet2\0\0"s);
    SetAddresses("PstTestNet1", "192.0.2.5\0\0"s);
    SetAddresses("PstTestNet0", "0.0.0.0\000192.0.2.9\0\0"s);
    SetAddresses("PstTestNet2", "192.0.2.7\000192.0.2.8\0\0"s);
    int length = -1;
    EXPECT_EQ(ReadList(length), "192.0.2.5 192.0.2.7 192.0.2.8");
    EXPECT_EQ(length, 29);
}

TEST_F(TcpipConfiguration, DevicesThatGiveNothingAreSkipped) {
    // Wrong letter case, an adapter without a key, one without IPAddress, one
    // whose value is a number: none of them stops the walk.
    SetBind("\\DEVICE\\PstTestNet1\0\\Device\\PstTestMissing\0\\Device\\PstTestNet3\0"
            "\\Device\\PstTestNet4\0\\Device\\PstTestNet2\0\0"s);
    SetAddresses("PstTestNet1", "192.0.2.5\0\0"s);
    ASSERT_TRUE(SetText(AdapterKey("PstTestNet3"), "SubnetMask", "255.255.255.0"));
    ASSERT_TRUE(SetValue(AdapterKey("PstTestNet4"), "IPAddress", REG_DWORD, "\x01\x02\x03\x04"s));
    SetAddresses("PstTestNet2", "192.0.2.7\0\0"s);
    int length = -1;
    EXPECT_EQ(ReadList(length), "192.0.2.7");
    EXPECT_EQ(length, 9);
}

TEST_F(TcpipConfiguration, AnAdapterThatDoesNotFitTheRoomLeftAddsNothing) {
    // PstTestNet1 leaves a list of 239 characters: room for 15 more bytes.
    std::string many;
    std::string expected;
    for (int i = 100; i < 120; ++i) {
        const std::string address = "192.0.2." + std::to_string(i);
        many += address + '\0';
        expected += (expected.empty() ? "" : " ") + address;
    }
    ASSERT_EQ(expected.size(), 239u);
    SetBind("\\Device\\PstTestNet1\0\\Device\\PstTestNet2\0\\Device\\PstTestNet3\0"
            "\\Device\\PstTestNet4\0\0"s);
    SetAddresses("PstTestNet1", many + '\0');
    SetAddresses("PstTestNet2", "10.1.1.1\0\0"s);             // 10 bytes of 15: fits
    SetAddresses("PstTestNet3", "10.2.2.2\00010.3.3.3\0\0"s); // 19 bytes of 6: skipped
    SetAddresses("PstTestNet4", "1.2\0\0"s);                  // 5 bytes of 6: fits
    int length = -1;
    EXPECT_EQ(ReadList(length), expected + " 10.1.1.1 1.2");
    EXPECT_EQ(length, 252);
}

TEST_F(TcpipConfiguration, ABindValueLongerThan256BytesGivesAnEmptyList) {
    SetAddresses("PstTestNet1", "192.0.2.5\0\0"s);
    // 256 bytes exactly: read.
    std::string bind = "\\Device\\PstTestNet1"s + '\0';
    const std::string filler = "\\Device\\PstTestNone" + std::string(10, 'x');
    while (bind.size() + filler.size() + 1 + 1 < 256)
        bind += filler + '\0';
    bind += std::string(256 - bind.size() - 2, 'y') + '\0' + '\0';
    ASSERT_EQ(bind.size(), 256u);
    SetBind(bind);
    int length = -1;
    EXPECT_EQ(ReadList(length), "192.0.2.5") << "a Bind value of 256 bytes is read";

    SetBind(bind.substr(0, 254) + "z\0\0"s);
    ASSERT_EQ(bind.substr(0, 254).size() + 3, 257u);
    EXPECT_EQ(ReadList(length), "") << "one byte more is not";
    EXPECT_EQ(length, 0);
}

TEST_F(TcpipConfiguration, WithoutLinkageTheListIsStoredEmpty) {
    DeleteValue(kLinkage, "Bind");
    int length = -1;
    EXPECT_EQ(ReadList(length), "");
    EXPECT_EQ(length, 0);
}
