// The data file's layout as the reader sees it, short and long files, the
// missing-file step and texts without their terminator.
#include "file_bytes.h"
#include "monitor/monitor_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using namespace monitor;
using namespace monitor_test;

namespace {

// Each test works on its own heap image, as the reader works on one image.
std::unique_ptr<MonitorFile> FreshImage() {
    return std::make_unique<MonitorFile>(InitialMonitorFile());
}

std::string Text(std::span<const char> field) {
    return std::string(FieldText(field));
}

// An image whose every byte is 0xA5, so that any byte a read leaves alone shows.
std::unique_ptr<MonitorFile> PatternImage() {
    auto image = std::make_unique<MonitorFile>();
    std::memset(image.get(), 0xA5, sizeof(MonitorFile));
    return image;
}

const std::uint8_t* BytesOf(const MonitorFile& image) {
    return reinterpret_cast<const std::uint8_t*>(&image);
}

} // namespace

TEST(MonitorFileLayout, InitialImageIsZeroButTheTimeText) {
    const auto image = FreshImage();
    EXPECT_EQ(Text(image->timeText), "no data file");
    const std::uint8_t* bytes = BytesOf(*image);
    for (std::size_t i = 0; i < kFileSize; ++i) {
        if (i >= kTimeText && i < kTimeText + 12)
            continue;
        ASSERT_EQ(bytes[i], 0) << "byte " << i;
    }
}

TEST(MonitorFileLayout, FieldsComeFromTheirOffsets) {
    FileBytes file;
    file.Header(0x12345678, 0xCAFEBABE, "12:00 Monday")
        .ServiceText(13, kLabel, "Disks")
        .ServiceText(13, kDetail1, "detail one")
        .ServiceText(13, kDetail2, "detail two")
        .ServiceText(13, kStatusText, "Running")
        .ServiceU32(13, kValue1, 1)
        .ServiceU32(13, kFlags, 0x80000001)
        .ServiceU32(13, kState, 4)
        .ServiceU32(13, kFault, 7)
        .ServiceU32(13, kValue3, 0xFFFFFFFF)
        .U16(FileBytes::Service(13, kValue4), 0xBEEF)
        .Denied(79, 192, 168, 0, 1)
        .AddressEntry(63, 10, 1, 2, 3, "last slot");
    auto image = FreshImage();
    DecodeMonitorFile(*image, file.Bytes());

    EXPECT_EQ(image->monitorWord, 0x12345678u);
    EXPECT_EQ(image->webWord, 0xCAFEBABEu);
    EXPECT_EQ(Text(image->timeText), "12:00 Monday");
    const ServiceEntry& row = image->services[13];
    EXPECT_EQ(Text(row.label), "Disks");
    EXPECT_EQ(Text(row.detail1), "detail one");
    EXPECT_EQ(Text(row.detail2), "detail two");
    EXPECT_EQ(Text(row.statusText), "Running");
    EXPECT_EQ(row.value1, 1u);
    EXPECT_EQ(row.flags, 0x80000001u);
    EXPECT_EQ(row.state, 4u);
    EXPECT_EQ(row.fault, 7u);
    EXPECT_EQ(row.value3, 0xFFFFFFFFu);
    EXPECT_EQ(row.value4, 0xBEEF);
    EXPECT_EQ(image->denied[79], (Ipv4Address{192, 168, 0, 1}));
    EXPECT_EQ(image->addresses[63].address, (Ipv4Address{10, 1, 2, 3}));
    EXPECT_EQ(Text(image->addresses[63].text), "last slot");
    EXPECT_TRUE(IsEmptyAddress(image->denied[0]));
    EXPECT_TRUE(IsEmptyAddress(image->addresses[0].address));
    EXPECT_EQ(Text(image->services[12].label), "");
}

TEST(MonitorFileRead, ShortFilesOverwriteOnlyWhatTheyHold) {
    FileBytes file(kFileSize, 0x5A);
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4}, std::size_t{7},
                             std::size_t{88}, std::size_t{90}, std::size_t{6640}, std::size_t{6641},
                             std::size_t{6960}, std::size_t{15919}}) {
        auto image = PatternImage();
        const auto prefix = file.Prefix(size);
        DecodeMonitorFile(*image, prefix);
        const std::uint8_t* bytes = BytesOf(*image);
        for (std::size_t i = 0; i < kFileSize; ++i)
            ASSERT_EQ(bytes[i], i < size ? 0x5A : 0xA5) << "file of " << size << ", byte " << i;
    }
}

TEST(MonitorFileRead, FileOf88BytesChangesOnlyTheHeader) {
    FileBytes before;
    before.Header(1, 2, "earlier").ServiceText(0, kLabel, "OldLabel").Denied(0, 1, 1, 1, 1);
    auto image = FreshImage();
    DecodeMonitorFile(*image, before.Bytes());

    FileBytes after;
    after.Header(0xAAAA5555, 0x0000FFFF, "later").ServiceText(0, kLabel, "NewLabel");
    DecodeMonitorFile(*image, after.Prefix(88));
    EXPECT_EQ(image->monitorWord, 0xAAAA5555u);
    EXPECT_EQ(image->webWord, 0x0000FFFFu);
    EXPECT_EQ(Text(image->timeText), "later");
    EXPECT_EQ(Text(image->services[0].label), "OldLabel");
    EXPECT_EQ(image->denied[0], (Ipv4Address{1, 1, 1, 1}));
}

TEST(MonitorFileRead, BytesPastTheLayoutAreIgnored) {
    FileBytes file(kFileSize + 100, 0x33);
    auto image = FreshImage();
    DecodeMonitorFile(*image, file.Bytes());
    const std::uint8_t* bytes = BytesOf(*image);
    for (std::size_t i = 0; i < kFileSize; ++i)
        ASSERT_EQ(bytes[i], 0x33) << "byte " << i;
}

TEST(MonitorFileRead, MissingFileSetsEveryStatusTextAndNothingElse) {
    FileBytes file;
    file.Header(9, 9, "kept")
        .ServiceText(3, kLabel, "Kept")
        .ServiceText(3, kStatusText, "A long status text");
    auto image = FreshImage();
    DecodeMonitorFile(*image, file.Bytes());
    const MonitorFile before = *image;
    MarkNoData(*image);
    for (std::size_t row = 0; row < kServiceCount; ++row)
        EXPECT_EQ(Text(image->services[row].statusText), "No data") << "row " << row;
    // Apart from the status texts the image is as before.
    for (std::size_t row = 0; row < kServiceCount; ++row)
        image->services[row].statusText = before.services[row].statusText;
    EXPECT_EQ(std::memcmp(image.get(), &before, sizeof before), 0);
}

TEST(MonitorFileText, UnterminatedFieldEndsAtItsEnd) {
    const std::array<char, 4> full = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(FieldText(full), "abcd");
    const std::array<char, 4> shortText = {'a', 'b', '\0', 'd'};
    EXPECT_EQ(FieldText(shortText), "ab");

    FieldTextBuffer<4> copy;
    copy.fill('#');
    EXPECT_TRUE(CopyFieldText(full, copy));
    EXPECT_STREQ(copy.data(), "abcd");

    std::array<char, 3> small;
    EXPECT_FALSE(CopyFieldText(full, small));
    EXPECT_STREQ(small.data(), "ab");
    EXPECT_FALSE(CopyFieldText(full, std::span<char>()));
}

TEST(MonitorFileText, UnterminatedFileTextsStayInsideTheirFields) {
    // Every text of the file fills its field without a zero byte.
    FileBytes file(kFileSize, 'x');
    auto image = FreshImage();
    DecodeMonitorFile(*image, file.Bytes());
    EXPECT_EQ(Text(image->timeText), std::string(80, 'x'));
    EXPECT_EQ(Text(image->services[0].label), std::string(32, 'x'));
    EXPECT_EQ(Text(image->services[13].statusText), std::string(256, 'x'));
    EXPECT_EQ(Text(image->addresses[63].text), std::string(72, 'x'));
}
