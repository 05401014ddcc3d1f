// The colour rule; see panel_colours.h.
#include "monitor/panel_colours.h"

#include "monitor/freshness.h"
#include "monitor/res/pstview_rc.h"

namespace monitor {
namespace {

constexpr std::uint32_t kRunningState = 4;

} // namespace

PanelColour PanelColourFor(int controlId, const MonitorFile& image, std::int32_t staleCount) {
    const bool fresh = IsFresh(staleCount);
    if (controlId == IDC_TOPTEXT)
        return fresh ? PanelColour::Green : PanelColour::Red;
    const int row = controlId - IDC_LABEL_FIRST;
    if (row < 0 || row >= static_cast<int>(kServiceCount) || !fresh)
        return PanelColour::Default;
    const ServiceEntry& entry = image.services[static_cast<std::size_t>(row)];
    if ((entry.flags & 1u) == 0)
        return PanelColour::Default;
    return entry.state == kRunningState && entry.fault == 0 ? PanelColour::Green : PanelColour::Red;
}

} // namespace monitor
