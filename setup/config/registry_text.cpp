// Registry text reads; see registry_text.h.
#include "setup/config/registry_text.h"

namespace {

// RegQueryValueExA into the buffer; the status, with the type and byte count.
LONG QueryValue(HKEY key, const char* name, std::span<char> buffer, DWORD& type, DWORD& bytes) {
    type = REG_NONE;
    bytes = static_cast<DWORD>(buffer.size());
    return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                            &bytes);
}

} // namespace

bool QueryRegistryText(HKEY key, const char* name, std::span<char> buffer) {
    if (buffer.empty())
        return false;
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    const LONG status = QueryValue(key, name, buffer, type, bytes);
    const bool text = type == REG_SZ || type == REG_EXPAND_SZ;
    if (status != ERROR_SUCCESS || !text || bytes > buffer.size()) {
        buffer[0] = '\0';
        return false;
    }
    if (bytes > 0 && buffer[bytes - 1] == '\0')
        return true;
    if (bytes == buffer.size()) { // full, and no room for the terminator
        buffer[0] = '\0';
        return false;
    }
    buffer[bytes] = '\0';
    return true;
}

std::span<const char> QueryRegistryMultiText(HKEY key, const char* name, std::span<char> buffer) {
    if (buffer.empty())
        return {};
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    const LONG status = QueryValue(key, name, buffer, type, bytes);
    const bool text = type == REG_MULTI_SZ || type == REG_SZ;
    if (status != ERROR_SUCCESS || !text || bytes > buffer.size()) {
        buffer[0] = '\0';
        return {};
    }
    if (bytes < buffer.size())
        buffer[bytes] = '\0';
    return buffer.first(bytes);
}

bool RegistryValuePresent(HKEY key, const char* name, std::span<char> buffer) {
    if (buffer.empty())
        return false;
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    const LONG status = QueryValue(key, name, buffer, type, bytes);
    if (status == ERROR_SUCCESS)
        buffer[bytes < buffer.size() ? bytes : buffer.size() - 1] = '\0';
    else
        buffer[0] = '\0';
    return status == ERROR_SUCCESS || status == ERROR_MORE_DATA;
}
