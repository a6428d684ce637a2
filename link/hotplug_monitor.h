#pragma once
// The system's hot-plug source for real sensors (libudev on Linux): a thread that raises an
// arrival or removal for every hidraw interface that comes or goes.

namespace quelmar::link {

void start_hotplug_monitor();
void stop_hotplug_monitor();

}  // namespace quelmar::link
