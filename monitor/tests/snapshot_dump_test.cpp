// The debug log's text: exact lines, their order and the lines left out.
#include "file_bytes.h"
#include "monitor/snapshot_dump.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace monitor;
using namespace monitor_test;

namespace {

std::vector<std::string> DumpOf(const MonitorFile& image) {
    std::vector<std::string> lines;
    WriteSnapshotLines(
        image,
        [](void* context, const char* line) {
            static_cast<std::vector<std::string>*>(context)->push_back(line);
        },
        &lines);
    return lines;
}

std::unique_ptr<MonitorFile> ImageOf(const FileBytes& file) {
    auto image = std::make_unique<MonitorFile>(InitialMonitorFile());
    DecodeMonitorFile(*image, file.Bytes());
    return image;
}

const std::string kEmptyRowStart =
    std::string(8, ' ') + " " + std::string(15, ' ') + " " + std::string(15, ' ') + " ";

} // namespace

TEST(SnapshotDump, NoDataFileEverFound) {
    auto image = std::make_unique<MonitorFile>(InitialMonitorFile());
    MarkNoData(*image);
    const auto lines = DumpOf(*image);
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[0], "Time: no data file Monitor: 00000000 Web: 00000000\r\n");
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], kEmptyRowStart + "No data                  0 0 0   0   0\r\n")
            << "line " << i;
}

TEST(SnapshotDump, ServiceLineColumnsArePaddedAndCut) {
    FileBytes file;
    file.Header(0xABCD, 0xDEADBEEF, "Mon 12:00")
        .ServiceText(0, kLabel, "SMTP")
        .ServiceText(0, kDetail1, "a very long detail text")
        .ServiceText(0, kDetail2, "d2")
        .ServiceText(0, kStatusText, "Running fine and well, thanks")
        .ServiceU32(0, kValue1, 12)
        .ServiceU32(0, kFlags, 0xFFFFFFFF)
        .ServiceU32(0, kState, 4)
        .ServiceU32(0, kFault, 0)
        .ServiceU32(0, kValue3, 5)
        .U16(FileBytes::Service(0, kValue4), 65535)
        .ServiceText(1, kLabel, "LongLabelName")
        .ServiceU32(1, kValue1, 4294967295u)
        .ServiceU32(1, kState, 1)
        .ServiceU32(1, kFault, 1060)
        .ServiceU32(1, kValue3, 1234);
    const auto lines = DumpOf(*ImageOf(file));
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[0], "Time: Mon 12:00 Monitor: 0000abcd Web: deadbeef\r\n");
    EXPECT_EQ(
        lines[1],
        "SMTP     a very long det d2              Running fine and well, t 12 4 0   5 65535\r\n");
    EXPECT_EQ(lines[2], "LongLabe " + std::string(15, ' ') + " " + std::string(15, ' ') + " " +
                            std::string(24, ' ') + " 4294967295 1 1060 1234   0\r\n");
}

TEST(SnapshotDump, AddressesBeforeDeniedAndEmptySlotsLeftOut) {
    FileBytes file;
    file.Header(0, 0, "t")
        .Denied(0, 192, 168, 0, 1)
        .Denied(40, 0, 0, 0, 9)
        .Denied(79, 255, 255, 255, 255)
        .AddressEntry(0, 10, 1, 2, 3, "text")
        .AddressEntry(5, 0, 0, 0, 0, "an empty slot's text is not shown")
        .AddressEntry(63, 172, 16, 0, 254, "");
    const auto lines = DumpOf(*ImageOf(file));
    ASSERT_EQ(lines.size(), 15u + 2 + 3);
    EXPECT_EQ(lines[15], "10.1.2.3  text\r\n");
    EXPECT_EQ(lines[16], "172.16.0.254  \r\n");
    EXPECT_EQ(lines[17], "192.168.0.1  denied access\r\n");
    EXPECT_EQ(lines[18], "0.0.0.9  denied access\r\n");
    EXPECT_EQ(lines[19], "255.255.255.255  denied access\r\n");
}

TEST(SnapshotDump, UnterminatedTextsEndAtTheirFields) {
    // No zero byte anywhere: every text fills its field.
    FileBytes file(kFileSize, 'x');
    // Keep only address slot 0 and denied slot 0 in use.
    for (std::size_t slot = 0; slot < 80; ++slot)
        file.Denied(slot, 0, 0, 0, 0);
    for (std::size_t slot = 1; slot < 64; ++slot)
        file.Address(kAddresses + slot * kAddressSize + 64, 0, 0, 0, 0);
    const auto lines = DumpOf(*ImageOf(file));
    ASSERT_EQ(lines.size(), 16u);
    const std::string words = "78787878";
    EXPECT_EQ(lines[0],
              "Time: " + std::string(80, 'x') + " Monitor: " + words + " Web: " + words + "\r\n");
    EXPECT_EQ(lines[0].size(), 120u);
    EXPECT_EQ(lines[1], "xxxxxxxx " + std::string(15, 'x') + " " + std::string(15, 'x') + " " +
                            std::string(24, 'x') +
                            " 2021161080 2021161080 2021161080 2021161080 30840\r\n");
    EXPECT_EQ(lines[15], "120.120.120.120  " + std::string(72, 'x') + "\r\n");
}

TEST(SnapshotDump, LongestLinesFitTheLineBuffer) {
    FileBytes file(kFileSize, 0xFF);
    auto image = ImageOf(file);
    DumpLine line;
    EXPECT_TRUE(FormatHeaderLine(*image, line));
    EXPECT_TRUE(FormatServiceLine(image->services[0], line));
    EXPECT_TRUE(FormatAddressLine(image->addresses[0], line));
    EXPECT_TRUE(FormatDeniedLine(image->denied[0], line));
    const auto lines = DumpOf(*image);
    EXPECT_EQ(lines.size(), 15u + 64 + 80);
    std::size_t total = 0;
    for (const auto& l : lines) {
        EXPECT_LT(l.size(), kDumpLineSize);
        total += l.size();
    }
    EXPECT_LT(total, 11000u);
}
