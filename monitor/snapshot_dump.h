// The debug log's text: the whole image as lines, each ending in CR LF.
//
//   Time: <timeText> Monitor: <monitorWord, 8 hex digits> Web: <webWord, 8 hex digits>
//   one line per service entry, row 0 first, used or not:
//     label, detail1, detail2 and statusText padded or cut to 8, 15, 15 and 24
//     characters, then value1, state, fault, value3 and value4 (flags not shown)
//   one line "a.b.c.d  text" per address entry whose address is not 0
//   one line "a.b.c.d  denied access" per denied address that is not 0
//
// Address entries come before the denied addresses, the reverse of their order
// in the file.
#pragma once

#include "monitor/monitor_file.h"

#include <array>
#include <cstddef>

namespace monitor {

// Ample for the longest line (the header, 120 characters with a time text that
// fills its field).
inline constexpr std::size_t kDumpLineSize = 500;
using DumpLine = std::array<char, kDumpLineSize>;

// Each formatter writes one terminated line and returns true when it fitted.
bool FormatHeaderLine(const MonitorFile& image, DumpLine& line);
bool FormatServiceLine(const ServiceEntry& entry, DumpLine& line);
bool FormatAddressLine(const AddressEntry& entry, DumpLine& line);
bool FormatDeniedLine(const Ipv4Address& address, DumpLine& line);

// Receives each line of a dump, in order.
using DumpSink = void (*)(void* context, const char* line);

// Formats the whole dump and hands each line to sink.
void WriteSnapshotLines(const MonitorFile& image, DumpSink sink, void* context);

} // namespace monitor
