// Registry helpers of usrvault: keys under HKEY_LOCAL_MACHINE held by RAII
// wrappers, and bounded reads of text, number and record values.
#pragma once

#include <windows.h>

#include "common/unique_handle.h"

#include <cstddef>
#include <span>

namespace usrvault {

postern::UniqueHkey OpenMachineKey(const char* path, REGSAM access = KEY_READ);
postern::UniqueHkey CreateMachineKey(const char* path);

enum class ValueRead { Read, Missing, WrongType, TooLong, Failed };

// A text value (REG_SZ or REG_EXPAND_SZ, not expanded) into out, terminated
// inside it; TooLong when the text does not fit (out is then emptied).
ValueRead ReadTextValue(HKEY key, const char* name, std::span<char> out);
// A REG_DWORD value.
ValueRead ReadNumberValue(HKEY key, const char* name, DWORD& number);
// A REG_BINARY value of exactly out.size() bytes; WrongType for another size.
ValueRead ReadRecordValue(HKEY key, const char* name, std::span<std::byte> out);
bool WriteRecordValue(HKEY key, const char* name, std::span<const std::byte> record);

const char* ReadResultText(ValueRead result);

} // namespace usrvault
