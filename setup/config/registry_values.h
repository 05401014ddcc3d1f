// The installer's registry layer: every key it opens or creates and every
// value it tests, reads or writes goes through here (key paths come from
// common/suite_registry.h; deleting keys and values stays with the removal and
// the conversion, which walk and trace it in their own way). Keys are owned
// handles; texts are read into fixed-size buffers and always terminated inside
// them; each write that fails leaves a trace line naming the value.
#pragma once

#include "common/unique_handle.h"

#include <windows.h>

#include <span>

// Keys. Both are empty when the call fails; its status goes to *status when
// one is given (the callers trace it in their own words).

// Opens the existing key `path` under `parent` with `access`.
postern::UniqueHkey OpenRegistryKey(HKEY parent, const char* path, REGSAM access,
                                    LONG* status = nullptr);
// Opens the key `path` under `parent` with `access`, creating it and its
// missing parents.
postern::UniqueHkey CreateRegistryKey(HKEY parent, const char* path, REGSAM access,
                                      LONG* status = nullptr);

// Presence. The two rules differ on a value larger than the caller's buffer.

// True when the value `name` exists and its data fit in `bytes` bytes (a text
// with its NUL, as the ANSI call gives it): a larger value counts as absent,
// so that it is replaced.
bool ValueFitsIn(HKEY key, const char* name, DWORD bytes);
// True when the value `name` exists, whatever its size and type.
bool ValueExists(HKEY key, const char* name);

// Reads.

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

// Writes. Texts are stored as REG_EXPAND_SZ, the type of every text the
// suite keeps in its Global key.

// The text with its terminating NUL counted in the data length.
void SetRegistryText(HKEY key, const char* name, const char* text);
// The text without a NUL: the data length is the text's alone. A text longer
// than 255 characters or a name longer than 63 is not written.
void SetRegistryTextWithoutNul(HKEY key, const char* name, const char* text);
void SetRegistryDword(HKEY key, const char* name, DWORD value);
