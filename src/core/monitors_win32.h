// The monitors of the desktop as the system reports them now.
#pragma once

#include <vector>

#include "core/monitors.h"

namespace petariko {

// Every monitor's rectangle in screen pixels, the primary first (so it wins ties).
std::vector<Rect> DisplayMonitors();

// The effective dots per inch of the monitor that shows `screen` (nearest when none does).
int MonitorDpi(Point screen);

}  // namespace petariko
