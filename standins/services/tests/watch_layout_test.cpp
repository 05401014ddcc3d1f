// Texts that do not fit their field of the snapshot file (the Wine-run service
// tests check the offsets in files the service wrote).
#include "standins/services/watch_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using namespace standins;

namespace {

// Encodes over stale bytes and returns the file as a string.
std::string Encode(const Snapshot& s) {
    static std::uint8_t bytes[kSnapshotFileSize];
    std::memset(bytes, 0xEE, sizeof bytes);
    EncodeSnapshot(s, bytes);
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

} // namespace

TEST(WatchLayout, TextsThatFillTheirFieldAreCutBeforeItsLastByte) {
    auto s = std::make_unique<Snapshot>();
    std::memset(s->timeText, 'T', sizeof s->timeText);
    std::memset(s->rows[0].label, 'L', sizeof s->rows[0].label);
    std::memset(s->rows[0].statusText, 'S', sizeof s->rows[0].statusText);
    std::memset(s->addresses[0].text, 'X', sizeof s->addresses[0].text);
    const std::string file = Encode(*s);
    EXPECT_EQ(file.substr(8, 80), std::string(79, 'T') + '\0');
    EXPECT_EQ(file.substr(88, 33), std::string(31, 'L') + '\0' + '\0');
    EXPECT_EQ(file.substr(88 + 188, 256), std::string(255, 'S') + '\0');
    EXPECT_EQ(file.substr(6960 + 68, 72), std::string(71, 'X') + '\0');
}
