// Which Windows NT the installer runs on.
#pragma once

// Windows NT 3.51 or later: major version above 3 or minor version above 50.
// (The minor number alone decides on 3.x, and 4.0 and later pass on the major.)
constexpr bool IsNt351OrLater(unsigned major, unsigned minor) {
    return major > 3 || minor > 50;
}
