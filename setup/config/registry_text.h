// Reading registry texts into fixed-size buffers, always terminated inside the
// buffer whether or not the stored data had its NUL.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>

// Reads the text value `name` (REG_SZ or REG_EXPAND_SZ, not expanded) into
// `buffer`, offering the registry buffer.size() bytes. A text stored without
// its NUL is terminated after its last byte; one that fills the whole buffer
// without a NUL does not fit, like a longer one. True when the text was read;
// otherwise the buffer holds the empty text.
bool QueryRegistryText(HKEY key, const char* name, std::span<char> buffer);

// Reads the multi-string value `name` (REG_MULTI_SZ; REG_SZ as one text) into
// `buffer`, offering buffer.size() bytes. Returns the bytes read, the data to
// walk; empty when the value is missing, of another type or longer than the
// buffer. The byte after the data, when there is room, is set to NUL.
std::span<const char> QueryRegistryMultiText(HKEY key, const char* name, std::span<char> buffer);

// True when the value `name` exists, tested by reading it into `buffer`; a
// value longer than the buffer exists too. The buffer's text is terminated.
bool RegistryValuePresent(HKEY key, const char* name, std::span<char> buffer);
