// Bounded printf-style formatting into fixed-size text buffers.
// Every function here writes at most the buffer's size, always leaves the text
// terminated inside the buffer, and tells whether the whole text fitted.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <span>

#if defined(__MINGW32__)
#define POSTERN_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#elif defined(__GNUC__)
#define POSTERN_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define POSTERN_PRINTF(fmt, args)
#endif

namespace postern {

// Formats into out; returns true when the whole text fitted, false when it was
// cut (the cut text is still terminated). An empty span is left untouched.
bool FormatText(std::span<char> out, const char* format, ...) POSTERN_PRINTF(2, 3);
bool FormatTextV(std::span<char> out, const char* format, va_list args);

// Copies text (a null pointer counts as empty) into out; same result as FormatText.
bool CopyText(std::span<char> out, const char* text);

// Appends text to the terminated text already in out; same result as FormatText.
bool AppendText(std::span<char> out, const char* text);

// Length of a text that may lack its terminating zero inside the buffer.
std::size_t BoundedLength(std::span<const char> text);

} // namespace postern
