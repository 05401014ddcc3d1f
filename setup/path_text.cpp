// Trailing-backslash helpers (see path_text.h).
#include "setup/path_text.h"

#include <cstring>

namespace {

// The start of the last character of a terminated text, or null when it is
// empty. Stepping stops at the terminator or the end of the buffer.
const char* LastCharacter(std::span<const char> text, CharStepFunction step) {
    const char* end = text.data() + text.size();
    const char* last = nullptr;
    for (const char* at = text.data(); at < end && *at != '\0';) {
        last = at;
        const char* next = step(at);
        if (next <= at) // a stepper that does not advance ends the walk
            break;
        at = next;
    }
    return last;
}

} // namespace

const char* StepSingleByte(const char* at) {
    return *at != '\0' ? at + 1 : at;
}

bool AddTrailingBackslash(std::span<char> text, CharStepFunction step) {
    if (text.empty())
        return false;
    const std::size_t length = strnlen(text.data(), text.size());
    if (length == text.size())
        return false; // not terminated inside its buffer
    const char* last = LastCharacter(text, step);
    if (last != nullptr && *last == '\\' && last + 1 == text.data() + length)
        return true;
    if (length + 2 > text.size())
        return false;
    text[length] = '\\';
    text[length + 1] = '\0';
    return true;
}

void StripTrailingBackslash(std::span<char> text, CharStepFunction step) {
    const char* last = LastCharacter(text, step);
    if (last == nullptr || *last != '\\')
        return;
    const std::size_t at = static_cast<std::size_t>(last - text.data());
    if (at + 1 < text.size() && text[at + 1] == '\0')
        text[at] = '\0';
}

std::size_t LengthWithoutTrailingBackslash(const char* directory, CharStepFunction step) {
    const std::size_t length = std::strlen(directory);
    const char* last = LastCharacter(std::span<const char>(directory, length + 1), step);
    if (last != nullptr && *last == '\\' && last + 1 == directory + length)
        return length - 1;
    return length;
}

bool TopDirFits(const char* destination, std::size_t maxLength, CharStepFunction step) {
    return LengthWithoutTrailingBackslash(destination, step) <= maxLength;
}
