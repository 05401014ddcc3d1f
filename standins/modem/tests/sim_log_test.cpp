// Log and record text.
#include "standins/modem/sim_log.h"

#include <gtest/gtest.h>

namespace modemsim {
namespace {

TEST(SimLog, ShowsControlBytesInDecimal) {
    EXPECT_EQ(ShowBytes("ATE0\r"), "ATE0<13>");
    EXPECT_EQ(ShowBytes(std::string_view("\0~\x7f\xc8 ", 5)), "<0>~<127><200> ");
    EXPECT_EQ(HexBytes(std::string_view("\x02\xff"
                                        "a",
                                        3)),
              "02ff61");
}

TEST(SimLog, TrafficAndEventLines) {
    EXPECT_EQ(TrafficLine(1234567, Direction::FromClient, "ATE0\r"), "  1234.567 DTE> ATE0<13>");
    EXPECT_EQ(TrafficLine(1236001, Direction::ToClient, "\r\nOK\r\n"),
              "  1236.001 <DCE <13><10>OK<13><10>");
    EXPECT_EQ(EventLine(5, "connect 1200"), "     0.005 EVENT connect 1200");
    EXPECT_EQ(EventLine(12345678901, "x"), "12345678.901 EVENT x");
}

TEST(SimLog, RecordLines) {
    AcceptedPage page{"123", "two\rlines", "pw",
                      "\x02"
                      "123\r"};
    EXPECT_EQ(PageRecord(page, 300),
              "page pager=123 message=two<13>lines password=pw speed=300 block_hex=023132330d");
    page.password.clear();
    EXPECT_NE(PageRecord(page, 1200).find(" message=two<13>lines password= speed=1200 "),
              std::string::npos);
    EXPECT_EQ(DialRecord("5551234,,1#", 2400), "dial number=5551234,,1# speed=2400");
}

} // namespace
} // namespace modemsim
