// Trailing-backslash helpers for directory texts. The last character is found
// by stepping through the text with a character-stepping function (CharNextA
// on Windows), so the trail byte of a double-byte character is never taken for
// a backslash.
#pragma once

#include <cstddef>
#include <span>

// Returns the position of the character after `at` (never past the terminator).
using CharStepFunction = const char* (*)(const char* at);

// Steps one byte; right for single-byte character sets.
const char* StepSingleByte(const char* at);

// Appends one backslash unless the last character is a single-byte backslash;
// an empty text becomes "\". Returns false, leaving the text unchanged, when
// the buffer has no room for the backslash and its terminator.
bool AddTrailingBackslash(std::span<char> text, CharStepFunction step);

// Replaces a final single-byte backslash with the terminator; any other text,
// the empty text included, stays as it is.
void StripTrailingBackslash(std::span<char> text, CharStepFunction step);

// The number of characters of `directory` without one final backslash.
std::size_t LengthWithoutTrailingBackslash(const char* directory, CharStepFunction step);

// True when the top directory that `destination` names (the text without one
// final backslash) has at most `maxLength` characters.
bool TopDirFits(const char* destination, std::size_t maxLength, CharStepFunction step);
