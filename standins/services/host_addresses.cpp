// Address entries of the snapshot; see host_addresses.h.
#include "standins/services/host_addresses.h"

#include "standins/services/address_list.h"

#include "common/bounded_format.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

namespace standins {

namespace {

// Winsock for the life of one collection.
class WinsockSession {
  public:
    WinsockSession() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockSession() {
        if (started_)
            WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool started() const { return started_; }

  private:
    bool started_ = false;
};

class AddressInfo {
  public:
    AddressInfo() = default;
    ~AddressInfo() {
        if (list_ != nullptr)
            freeaddrinfo(list_);
    }
    AddressInfo(const AddressInfo&) = delete;
    AddressInfo& operator=(const AddressInfo&) = delete;
    addrinfo** put() { return &list_; }
    const addrinfo* get() const { return list_; }

  private:
    addrinfo* list_ = nullptr;
};

struct Collector {
    std::span<AddressEntry> entries;
    int count;

    void Add(const Ipv4& address, const char* name, const char* text) {
        if (static_cast<std::size_t>(count) >= entries.size())
            return;
        for (int i = 0; i < count; ++i)
            if (std::memcmp(entries[i].address.bytes, address.bytes, 4) == 0)
                return;
        AddressEntry& entry = entries[static_cast<std::size_t>(count++)];
        entry = AddressEntry{};
        entry.address = address;
        postern::CopyText(entry.name, name);
        postern::CopyText(entry.text, text);
    }
};

void AddOwnAddresses(Collector& collector) {
    WinsockSession winsock;
    if (!winsock.started())
        return;
    char host[64] = "";
    if (gethostname(host, sizeof host) != 0)
        return;
    host[sizeof host - 1] = '\0';
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    AddressInfo found;
    if (getaddrinfo(host, nullptr, &hints, found.put()) != 0)
        return;
    char text[72];
    postern::FormatText(text, "this host (%s)", host);
    for (const addrinfo* a = found.get(); a != nullptr; a = a->ai_next) {
        if (a->ai_family != AF_INET || a->ai_addrlen < sizeof(sockaddr_in))
            continue;
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        Ipv4 address{};
        std::memcpy(address.bytes, &in->sin_addr, 4); // already in network order
        collector.Add(address, host, text);
    }
}

} // namespace

int CollectHostAddresses(std::span<AddressEntry> entries, const char* logHost) {
    Collector collector{entries, 0};
    collector.Add(Ipv4{{127, 0, 0, 1}}, "localhost", "local host");
    AddOwnAddresses(collector);
    Ipv4 log{};
    if (logHost != nullptr && ParseIpv4(logHost, logHost + std::strlen(logHost), log))
        collector.Add(log, logHost, "syslog host (LogHost)");
    return collector.count;
}

} // namespace standins
