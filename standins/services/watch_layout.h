// The monitor service's snapshot file watchsvc.dat: the in-memory snapshot and
// its encoding into the file's fixed 15920-byte little-endian layout.
// Portable (no <windows.h>).
//
//   offset  size  field
//        0     4  monitorWord      bit 0 quiet, bit 1 the file is not in TopDir, bit 2 the last
//                                  write kept the old file (see kMonitor* below)
//        4     4  webWord          always 0: the suite has no web server
//        8    80  timeText
//       88  6552  14 service rows of 468 bytes (ServiceRow)
//     6640   320  denied           80 IPv4 addresses in network order; 0 = empty slot
//     6960  8960  64 address entries of 140 bytes (AddressEntry)
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace standins {

inline constexpr std::size_t kSnapshotFileSize = 15920;
inline constexpr int kServiceRowCount = 14;
inline constexpr int kDeniedCount = 80;
inline constexpr int kAddressEntryCount = 64;

inline constexpr std::uint32_t kMonitorQuiet = 0x1;
inline constexpr std::uint32_t kMonitorNotInTopDir = 0x2;
inline constexpr std::uint32_t kMonitorWriteKeptOld = 0x4;

// Flags bit 0: the row's service is installed (its label is coloured).
inline constexpr std::uint32_t kRowInstalled = 0x1;

// An IPv4 address, first number of the dotted form first; all zero = empty.
struct Ipv4 {
    std::uint8_t bytes[4];
};

// One row of the panel; texts are cut to fit their field with its terminator.
struct ServiceRow {
    char label[32];
    char detail1[128]; // the service name
    char detail2[28];  // start type, or the monitor's disk root
    char statusText[256];
    std::uint32_t value1; // process id
    std::uint32_t flags;
    std::uint32_t state;  // the control manager's current state; 4 = running
    std::uint32_t fault;  // 0 = no fault
    std::uint32_t value3; // Win32 exit code; the monitor's own row: snapshot number
    std::uint16_t value4; // check point; the monitor's own row: poll seconds
};

struct AddressEntry {
    char name[64]; // the host name the address belongs to
    Ipv4 address;
    char text[72];
};

struct Snapshot {
    std::uint32_t monitorWord;
    std::uint32_t webWord;
    char timeText[80];
    ServiceRow rows[kServiceRowCount];
    Ipv4 denied[kDeniedCount];
    AddressEntry addresses[kAddressEntryCount];
};

// Writes the snapshot in the file's layout. Every text field ends with a zero
// byte inside the field and is zero-filled after it, whatever the snapshot
// holds; the reserved bytes of each row are zero.
void EncodeSnapshot(const Snapshot& snapshot, std::span<std::uint8_t, kSnapshotFileSize> out);

} // namespace standins
