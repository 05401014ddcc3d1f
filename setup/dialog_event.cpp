// Dialog-event classification by the sum of the first two character codes.
#include "setup/dialog_event.h"

#include <cstdint>

DialogEvent ClassifyDialogEvent(const char* word) {
    if (word == nullptr)
        return DialogEvent::Other;
    const std::int16_t first = static_cast<std::int8_t>(word[0]);
    // The second character is only read when the first isn't the terminator.
    const std::int16_t second = first != 0 ? static_cast<std::int8_t>(word[1]) : 0;
    const auto sum = static_cast<std::int16_t>(first + second);
    switch (sum) {
    case 146:
        return DialogEvent::Continue;
    case 131:
        return DialogEvent::Back;
    case 132:
        return DialogEvent::Cancel;
    case 157:
        return DialogEvent::Exit;
    default:
        return DialogEvent::Other;
    }
}
