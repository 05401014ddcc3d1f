// Registry helpers (see vault_registry.h).
#include "vault_registry.h"

#include <string>

namespace usrvault {

postern::UniqueHkey OpenMachineKey(const char* path, REGSAM access) {
    postern::UniqueHkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, key.put()) != ERROR_SUCCESS)
        key.release();
    return key;
}

postern::UniqueHkey CreateMachineKey(const char* path) {
    postern::UniqueHkey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        key.release();
    return key;
}

namespace {

// The value's type and size, without its data: Read, Missing or Failed.
ValueRead ProbeValue(HKEY key, const char* name, DWORD& type, DWORD& size) {
    type = 0;
    size = 0;
    const LONG status = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return ValueRead::Missing;
    return status == ERROR_SUCCESS ? ValueRead::Read : ValueRead::Failed;
}

} // namespace

ValueRead ReadTextValue(HKEY key, const char* name, std::span<char> out) {
    if (out.empty())
        return ValueRead::TooLong;
    out[0] = '\0';
    DWORD type = 0;
    DWORD size = 0;
    if (const ValueRead probe = ProbeValue(key, name, type, size); probe != ValueRead::Read)
        return probe;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ValueRead::WrongType;
    // The stored bytes may or may not end in a NUL: read them all and end the
    // text at the first NUL or after the last byte.
    std::string data(size + 1, '\0');
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (status != ERROR_SUCCESS)
        return ValueRead::Failed;
    data.resize(size);
    const std::size_t nul = data.find('\0');
    if (nul != std::string::npos)
        data.resize(nul);
    if (data.size() >= out.size())
        return ValueRead::TooLong;
    data.copy(out.data(), data.size());
    out[data.size()] = '\0';
    return ValueRead::Read;
}

ValueRead ReadNumberValue(HKEY key, const char* name, DWORD& number) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return ValueRead::Missing;
    if (status == ERROR_MORE_DATA)
        return ValueRead::WrongType;
    if (status != ERROR_SUCCESS)
        return ValueRead::Failed;
    if (type != REG_DWORD || size != sizeof value)
        return ValueRead::WrongType;
    number = value;
    return ValueRead::Read;
}

ValueRead ReadRecordValue(HKEY key, const char* name, std::span<std::byte> out) {
    DWORD type = 0;
    DWORD size = 0;
    if (const ValueRead probe = ProbeValue(key, name, type, size); probe != ValueRead::Read)
        return probe;
    if (type != REG_BINARY || size != out.size())
        return ValueRead::WrongType;
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(out.data()), &size);
    return status == ERROR_SUCCESS && size == out.size() ? ValueRead::Read : ValueRead::Failed;
}

bool WriteRecordValue(HKEY key, const char* name, std::span<const std::byte> record) {
    return RegSetValueExA(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(record.data()),
                          static_cast<DWORD>(record.size())) == ERROR_SUCCESS;
}

const char* ReadResultText(ValueRead result) {
    switch (result) {
    case ValueRead::Read:
        return "read";
    case ValueRead::Missing:
        return "missing";
    case ValueRead::WrongType:
        return "of the wrong type or size";
    case ValueRead::TooLong:
        return "too long";
    case ValueRead::Failed:
        return "unreadable";
    }
    return "unreadable";
}

} // namespace usrvault
