// Address texts of the monitor's settings.
#include "standins/services/address_list.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace standins;

TEST(AddressList, DottedAddressesAndWhatIsRefused) {
    Ipv4 a{};
    const char* good = "192.0.2.255";
    ASSERT_TRUE(ParseIpv4(good, good + std::strlen(good), a));
    EXPECT_EQ(std::memcmp(a.bytes, "\xc0\x00\x02\xff", 4), 0);
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", "1.2.3.4x",
                            "0001.2.3.4", "-1.2.3.4", "0.0.0.0", " 1.2.3.4"})
        EXPECT_FALSE(ParseIpv4(bad, bad + std::strlen(bad), a)) << "'" << bad << "'";

    Ipv4 out[3] = {};
    const AddressListResult r =
        ParseAddressList(" 10.0.0.1,,10.0.0.2 ;\tbogus 10.0.0.3 10.0.0.4", out);
    EXPECT_EQ(r.stored, 3);
    EXPECT_EQ(r.rejected, 2) << "one bogus, one beyond the three slots";
    EXPECT_EQ(out[2].bytes[3], 3);
}
