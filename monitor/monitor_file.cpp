// Decoding the data file into the image; see monitor_file.h.
#include "monitor/monitor_file.h"

#include <algorithm>
#include <cstring>

namespace monitor {
namespace {

struct FileRead {
    std::size_t offset;
    std::size_t size;
};

// The six reads of one poll, in the order they are made.
constexpr std::array<FileRead, 6> kFileReads = {{
    {offsetof(MonitorFile, monitorWord), sizeof(MonitorFile::monitorWord)},
    {offsetof(MonitorFile, webWord), sizeof(MonitorFile::webWord)},
    {offsetof(MonitorFile, timeText), sizeof(MonitorFile::timeText)},
    {offsetof(MonitorFile, services), sizeof(MonitorFile::services)},
    {offsetof(MonitorFile, denied), sizeof(MonitorFile::denied)},
    {offsetof(MonitorFile, addresses), sizeof(MonitorFile::addresses)},
}};

// The reads follow one another without gaps and cover the whole image.
constexpr bool ReadsCoverTheImage() {
    std::size_t next = 0;
    for (const FileRead& read : kFileReads) {
        if (read.offset != next)
            return false;
        next += read.size;
    }
    return next == kMonitorFileSize;
}
static_assert(ReadsCoverTheImage());

} // namespace

void DecodeMonitorFile(MonitorFile& image, std::span<const std::uint8_t> file) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(&image);
    std::size_t at = 0;
    for (const FileRead& read : kFileReads) {
        const std::size_t delivered = std::min(read.size, file.size() - at);
        if (delivered > 0)
            std::memcpy(bytes + read.offset, file.data() + at, delivered);
        at += delivered;
    }
}

void MarkNoData(MonitorFile& image) {
    // The text and its terminator; the bytes after it are never read.
    for (ServiceEntry& entry : image.services) {
        std::copy(kNoDataText.begin(), kNoDataText.end(), entry.statusText.begin());
        entry.statusText[kNoDataText.size()] = '\0';
    }
}

std::string_view FieldText(std::span<const char> field) {
    const void* zero = std::memchr(field.data(), '\0', field.size());
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field.data())
             : field.size();
    return {field.data(), length};
}

bool CopyFieldText(std::span<const char> field, std::span<char> out) {
    if (out.empty())
        return false;
    const std::string_view text = FieldText(field);
    const std::size_t length = std::min(text.size(), out.size() - 1);
    std::memcpy(out.data(), text.data(), length);
    out[length] = '\0';
    return length == text.size();
}

} // namespace monitor
