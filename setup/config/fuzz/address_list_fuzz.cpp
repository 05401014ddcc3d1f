// Fuzzes the multi-string walk, the adapter key and the address join. Input:
// one byte giving the length of the list already built (its bytes follow, NULs
// made 'x'), then an adapter's value as read from the registry.
#include "setup/config/address_list.h"

#include "common/fuzz_check.h"
#include "common/suite_registry.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data) + 1;
    const std::size_t listLength = std::min<std::size_t>(data[0], size - 1);
    std::array<char, kAddressListSize> list{};
    for (std::size_t i = 0; i < listLength; ++i)
        list[i] = bytes[i] == '\0' ? 'x' : bytes[i];
    const std::string before(list.data());
    const std::span<const char> value(bytes + listLength, size - 1 - listLength);

    // The walk: texts without NULs, offsets inside the data, the texts in order.
    std::string joined;
    std::size_t offset = 0;
    std::size_t texts = 0;
    for (std::string_view text = NextMultiText(value, offset); !text.empty();
         text = NextMultiText(value, offset)) {
        FUZZ_CHECK(offset <= value.size(), "the walk stays inside the data");
        FUZZ_CHECK(text.find('\0') == std::string_view::npos, "a text holds no NUL");
        FUZZ_CHECK(text.data() >= value.data() &&
                       text.data() + text.size() <= value.data() + value.size(),
                   "a text lies inside the data");
        joined += (texts++ > 0 ? " " : "") + std::string(text);
        std::array<char, 256> key;
        if (AdapterKeyPath(key, text)) {
            const std::string path(key.data());
            FUZZ_CHECK(path.rfind(postern::kServicesKey, 0) == 0, "the key is a service's");
            constexpr std::string_view tail = "\\Parameters\\TCPIP";
            FUZZ_CHECK(path.size() >= tail.size() && path.substr(path.size() - tail.size()) == tail,
                       "the key ends in \\Parameters\\TCPIP: " + path);
        } else {
            FUZZ_CHECK(key[0] == '\0', "no key is left behind");
        }
    }

    const AdapterJoin result = AppendAdapterAddresses(list, value);
    FUZZ_CHECK(std::memchr(list.data(), '\0', list.size()) != nullptr, "the list stays terminated");
    const std::string after(list.data());
    if (result == AdapterJoin::Added) {
        const std::string expected = before + (before.empty() ? "" : " ") + joined;
        FUZZ_CHECK(after == expected, "added: '" + after + "', expected '" + expected + "'");
        FUZZ_CHECK(after.size() <= kAddressListLimit, "the list holds at most 254 characters");
    } else {
        FUZZ_CHECK(after == before, "a refused value leaves the list as it was");
        FUZZ_CHECK(result != AdapterJoin::Unassigned || joined.rfind("0.0.0.0", 0) == 0,
                   "only a first address of 0.0.0.0 counts as unassigned");
    }
    return 0;
}
