#include "link/enumeration_monitor.h"
#include "link/hidapi_backend.h"
#include "link/hotplug_monitor.h"

namespace quelmar::link {

HotplugMonitor make_hotplug_monitor(DeviceListener report) {
    return {"hidapi enumeration", start_enumeration_monitor(try_list_hid_interfaces, std::move(report))};
}

}  // namespace quelmar::link
