// The status panel's colour rule: which colour a static control of the panel
// takes, from the image and StaleCount at the moment it is painted.
#pragma once

#include "monitor/monitor_file.h"

#include <cstdint>

namespace monitor {

enum class PanelColour {
    Default, // the system's own static colours
    Green,   // red 0, green 255, blue 0
    Red,     // red 255, green 0, blue 0
};

// The top text is green while the file is fresh and red once it is stale. A
// row's label is coloured only while the file is fresh and bit 0 of its flags
// is set: green when the service runs (state 4) without fault, red otherwise.
// Every other control keeps the default colours.
PanelColour PanelColourFor(int controlId, const MonitorFile& image, std::int32_t staleCount);

} // namespace monitor
