// Fuzzes the data-file reader's decode step and the debug log's dump with
// arbitrary files of any length, 0 to past 15920 bytes.
//
// The image starts without a single zero byte (as if earlier reads had filled
// every text to its end), on the heap and exactly its size, so the sanitizer
// sees any read past it.
//
// Checked: the file's first min(length, 15920) bytes land at the same offsets
// of the image and every later byte keeps its earlier value; the missing-file
// step changes only the status texts; each dump line fits the line buffer,
// ends in CR LF and matches an independent rendering of the image; the dump
// has one header, 14 service lines and one line per used address slot, the
// address entries before the denied addresses.
#include "common/fuzz_check.h"
#include "monitor/monitor_file.h"
#include "monitor/snapshot_dump.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace monitor;

namespace {

constexpr std::uint8_t kEarlier = 0xA5;

// A field's text without the dump's code: up to its first zero or its end.
std::string Field(const char* field, std::size_t size) {
    const auto* end = static_cast<const char*>(std::memchr(field, '\0', size));
    return std::string(field, end ? static_cast<std::size_t>(end - field) : size);
}

// Left-justified in width, cut to width.
std::string Column(const std::string& text, std::size_t width) {
    std::string column = text.substr(0, width);
    column.resize(width, ' ');
    return column;
}

std::string Right3(unsigned value) {
    std::string digits = std::to_string(value);
    return std::string(digits.size() < 3 ? 3 - digits.size() : 0, ' ') + digits;
}

std::string Hex8(std::uint32_t value) {
    static const char digits[] = "0123456789abcdef";
    std::string hex(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4)
        hex[static_cast<std::size_t>(i)] = digits[value & 15];
    return hex;
}

std::string Dotted(const Ipv4Address& a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." +
           std::to_string(a[3]);
}

std::vector<std::string> ReferenceDump(const MonitorFile& image) {
    std::vector<std::string> lines;
    lines.push_back("Time: " + Field(image.timeText.data(), image.timeText.size()) + " Monitor: " +
                    Hex8(image.monitorWord) + " Web: " + Hex8(image.webWord) + "\r\n");
    for (const ServiceEntry& e : image.services)
        lines.push_back(Column(Field(e.label.data(), e.label.size()), 8) + " " +
                        Column(Field(e.detail1.data(), e.detail1.size()), 15) + " " +
                        Column(Field(e.detail2.data(), e.detail2.size()), 15) + " " +
                        Column(Field(e.statusText.data(), e.statusText.size()), 24) + " " +
                        std::to_string(e.value1) + " " + std::to_string(e.state) + " " +
                        std::to_string(e.fault) + " " + Right3(e.value3) + " " + Right3(e.value4) +
                        "\r\n");
    for (const AddressEntry& e : image.addresses)
        if (e.address != Ipv4Address{})
            lines.push_back(Dotted(e.address) + "  " + Field(e.text.data(), e.text.size()) +
                            "\r\n");
    for (const Ipv4Address& a : image.denied)
        if (a != Ipv4Address{})
            lines.push_back(Dotted(a) + "  denied access\r\n");
    return lines;
}

void CheckDecode(const MonitorFile& image, const std::uint8_t* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&image);
    const std::size_t used = std::min(size, kMonitorFileSize);
    FUZZ_CHECK(std::memcmp(bytes, data, used) == 0,
               "the image differs from a file of " + std::to_string(size) + " bytes");
    for (std::size_t i = used; i < kMonitorFileSize; ++i)
        FUZZ_CHECK(bytes[i] == kEarlier, "byte " + std::to_string(i) +
                                             " past the end of a file of " + std::to_string(size) +
                                             " bytes changed");
}

void CheckNoData(const MonitorFile& before, MonitorFile& after) {
    for (std::size_t row = 0; row < kServiceCount; ++row) {
        FUZZ_CHECK(std::memcmp(after.services[row].statusText.data(), "No data", 8) == 0,
                   "status text of row " + std::to_string(row));
        after.services[row].statusText = before.services[row].statusText;
    }
    FUZZ_CHECK(std::memcmp(&after, &before, sizeof before) == 0,
               "the missing-file step changed more than the status texts");
}

void CheckDump(const MonitorFile& image) {
    std::vector<std::string> lines;
    WriteSnapshotLines(
        image,
        [](void* context, const char* line) {
            const std::size_t length = std::strlen(line);
            FUZZ_CHECK(length + 1 < kDumpLineSize,
                       "a line of " + std::to_string(length) + " characters fills the line buffer");
            FUZZ_CHECK(length >= 2 && line[length - 2] == '\r' && line[length - 1] == '\n',
                       "a line without CR LF");
            static_cast<std::vector<std::string>*>(context)->emplace_back(line, length);
        },
        &lines);
    const std::vector<std::string> expected = ReferenceDump(image);
    FUZZ_CHECK(lines.size() == expected.size(), std::to_string(lines.size()) + " lines, expected " +
                                                    std::to_string(expected.size()));
    for (std::size_t i = 0; i < lines.size(); ++i)
        FUZZ_CHECK(lines[i] == expected[i], "line " + std::to_string(i) + " \"" + lines[i] +
                                                "\", expected \"" + expected[i] + "\"");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto image = std::make_unique<MonitorFile>();
    std::memset(image.get(), kEarlier, sizeof(MonitorFile));
    DecodeMonitorFile(*image, std::span<const std::uint8_t>(data, size));
    CheckDecode(*image, data, size);
    CheckDump(*image);

    auto missing = std::make_unique<MonitorFile>(*image);
    MarkNoData(*missing);
    CheckNoData(*image, *missing);
    return 0;
}
