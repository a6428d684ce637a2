#pragma once
// The system's hot-plug source for real sensors: a thread that reports an arrival or removal
// for every HID interface that comes or goes. On Linux it listens to libudev; the portable
// build, which has no such source of its own, lists the interfaces through hidapi once a
// second instead. The build chooses which one is compiled.

#include <functional>
#include <string>

#include "link/device_events.h"

namespace quelmar::link {

struct HotplugMonitor {
    std::string source;  // what it watches: "libudev" or "hidapi enumeration"
    // Ends the thread without waiting out a period and returns once it has ended; may be
    // called again. Empty when the monitor could not start (the device list is then only
    // rebuilt on demand).
    std::function<void()> stop;
};

// Starts the monitor; `report` is called on the monitor's thread with every change.
HotplugMonitor make_hotplug_monitor(DeviceListener report);

}  // namespace quelmar::link
