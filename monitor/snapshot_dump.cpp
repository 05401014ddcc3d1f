// Formatting the debug log's lines; see snapshot_dump.h.
#include "monitor/snapshot_dump.h"

#include "common/bounded_format.h"

namespace monitor {

using postern::FormatText;

bool FormatHeaderLine(const MonitorFile& image, DumpLine& line) {
    FieldTextBuffer<sizeof(MonitorFile::timeText)> time;
    CopyFieldText(image.timeText, time);
    return FormatText(line, "Time: %s Monitor: %08x Web: %08x\r\n", time.data(),
                      static_cast<unsigned>(image.monitorWord),
                      static_cast<unsigned>(image.webWord));
}

bool FormatServiceLine(const ServiceEntry& entry, DumpLine& line) {
    // The precisions are below every field's size, so no text is read past its
    // field even without its terminator.
    static_assert(8 < sizeof(ServiceEntry::label) && 15 < sizeof(ServiceEntry::detail1) &&
                  15 < sizeof(ServiceEntry::detail2) && 24 < sizeof(ServiceEntry::statusText));
    return FormatText(line, "%-8.8s %-15.15s %-15.15s %-24.24s %u %u %u %3u %3u\r\n",
                      entry.label.data(), entry.detail1.data(), entry.detail2.data(),
                      entry.statusText.data(), static_cast<unsigned>(entry.value1),
                      static_cast<unsigned>(entry.state), static_cast<unsigned>(entry.fault),
                      static_cast<unsigned>(entry.value3), static_cast<unsigned>(entry.value4));
}

bool FormatAddressLine(const AddressEntry& entry, DumpLine& line) {
    FieldTextBuffer<sizeof(AddressEntry::text)> text;
    CopyFieldText(entry.text, text);
    const Ipv4Address& a = entry.address;
    return FormatText(line, "%u.%u.%u.%u  %s\r\n", unsigned{a[0]}, unsigned{a[1]}, unsigned{a[2]},
                      unsigned{a[3]}, text.data());
}

bool FormatDeniedLine(const Ipv4Address& a, DumpLine& line) {
    return FormatText(line, "%u.%u.%u.%u  denied access\r\n", unsigned{a[0]}, unsigned{a[1]},
                      unsigned{a[2]}, unsigned{a[3]});
}

void WriteSnapshotLines(const MonitorFile& image, DumpSink sink, void* context) {
    DumpLine line;
    FormatHeaderLine(image, line);
    sink(context, line.data());
    for (const ServiceEntry& entry : image.services) {
        FormatServiceLine(entry, line);
        sink(context, line.data());
    }
    for (const AddressEntry& entry : image.addresses) {
        if (IsEmptyAddress(entry.address))
            continue;
        FormatAddressLine(entry, line);
        sink(context, line.data());
    }
    for (const Ipv4Address& address : image.denied) {
        if (IsEmptyAddress(address))
            continue;
        FormatDeniedLine(address, line);
        sink(context, line.data());
    }
}

} // namespace monitor
