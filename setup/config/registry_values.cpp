// The installer's registry layer; see registry_values.h.
#include "setup/config/registry_values.h"

#include "setup/setup_trace.h"

#include <array>
#include <cstring>
#include <optional>
#include <string>

namespace {

// Reads the value into the buffer when it has one of the two types and fits;
// its byte count, or nothing (the buffer then holds the empty text).
std::optional<DWORD> QueryTyped(HKEY key, const char* name, std::span<char> buffer, DWORD oneType,
                                DWORD otherType) {
    if (buffer.empty())
        return std::nullopt;
    DWORD type = REG_NONE;
    DWORD bytes = static_cast<DWORD>(buffer.size());
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status != ERROR_SUCCESS || (type != oneType && type != otherType) ||
        bytes > buffer.size()) {
        buffer[0] = '\0';
        return std::nullopt;
    }
    return bytes;
}

void TraceWrite(const char* name, LONG status) {
    if (status != ERROR_SUCCESS)
        SetupTrace("value %s not written (error %ld)", name, status);
}

} // namespace

postern::UniqueHkey OpenRegistryKey(HKEY parent, const char* path, REGSAM access, LONG* status) {
    postern::UniqueHkey key;
    const LONG opened = RegOpenKeyExA(parent, path, 0, access, key.put());
    if (opened != ERROR_SUCCESS)
        key.release(); // whatever a failed call left there is no key
    if (status != nullptr)
        *status = opened;
    return key;
}

postern::UniqueHkey CreateRegistryKey(HKEY parent, const char* path, REGSAM access, LONG* status) {
    postern::UniqueHkey key;
    const LONG created =
        RegCreateKeyExA(parent, path, 0, nullptr, 0, access, nullptr, key.put(), nullptr);
    if (created != ERROR_SUCCESS)
        key.release();
    if (status != nullptr)
        *status = created;
    return key;
}

bool ValueFitsIn(HKEY key, const char* name, DWORD bytes) {
    // Read into a buffer of exactly that size, so that the registry itself
    // decides (ERROR_MORE_DATA), on a text as the ANSI call converts it.
    std::string data(bytes, '\0');
    DWORD size = bytes;
    return RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                            &size) == ERROR_SUCCESS;
}

bool ValueExists(HKEY key, const char* name) {
    return RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool QueryRegistryText(HKEY key, const char* name, std::span<char> buffer) {
    const std::optional<DWORD> bytes = QueryTyped(key, name, buffer, REG_SZ, REG_EXPAND_SZ);
    if (!bytes)
        return false;
    if (*bytes > 0 && buffer[*bytes - 1] == '\0')
        return true;
    if (*bytes == buffer.size()) { // full, and no room for the terminator
        buffer[0] = '\0';
        return false;
    }
    buffer[*bytes] = '\0';
    return true;
}

std::span<const char> QueryRegistryMultiText(HKEY key, const char* name, std::span<char> buffer) {
    const std::optional<DWORD> bytes = QueryTyped(key, name, buffer, REG_MULTI_SZ, REG_SZ);
    if (!bytes)
        return {};
    if (*bytes < buffer.size())
        buffer[*bytes] = '\0';
    return buffer.first(*bytes);
}

void SetRegistryText(HKEY key, const char* name, const char* text) {
    const DWORD bytes = static_cast<DWORD>(std::strlen(text) + 1);
    TraceWrite(name, RegSetValueExA(key, name, 0, REG_EXPAND_SZ,
                                    reinterpret_cast<const BYTE*>(text), bytes));
}

// The registry stores a terminator whenever one follows the counted data in
// memory, so the text goes through the wide call with the byte count of the
// text and a non-zero character in place of its terminator.
void SetRegistryTextWithoutNul(HKEY key, const char* name, const char* text) {
    std::array<wchar_t, 64> wideName{};
    std::array<wchar_t, 256> wideText{};
    const int nameLength = MultiByteToWideChar(CP_ACP, 0, name, -1, wideName.data(),
                                               static_cast<int>(wideName.size()));
    const int textLength = MultiByteToWideChar(CP_ACP, 0, text, -1, wideText.data(),
                                               static_cast<int>(wideText.size()));
    if (nameLength == 0 || textLength == 0) {
        SetupTrace("value %s not written: its text does not convert", name);
        return;
    }
    wideText[static_cast<std::size_t>(textLength - 1)] = L'?';
    const DWORD bytes = static_cast<DWORD>((textLength - 1) * sizeof(wchar_t));
    TraceWrite(name, RegSetValueExW(key, wideName.data(), 0, REG_EXPAND_SZ,
                                    reinterpret_cast<const BYTE*>(wideText.data()), bytes));
}

void SetRegistryDword(HKEY key, const char* name, DWORD value) {
    TraceWrite(name, RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                    sizeof value));
}
