#include "link/device_events.h"

#include <cctype>
#include <map>
#include <mutex>
#include <vector>

#include "link/hotplug_monitor.h"

namespace quelmar::link {

namespace {
std::mutex& listeners_mutex() {
    static std::mutex m;
    return m;
}
std::map<int, DeviceListener>& listeners() {
    static std::map<int, DeviceListener> l;
    return l;
}
int next_listener_id = 1;

// The system's hot-plug monitor, running while anybody listens.
std::mutex monitor_mutex;
HotplugMonitor monitor;

void start_monitor() {
    std::lock_guard lock(monitor_mutex);
    if (!monitor.stop) monitor = make_hotplug_monitor(raise_device_change);
}

void stop_monitor() {
    std::lock_guard lock(monitor_mutex);
    if (monitor.stop) monitor.stop();
    monitor = {};
}
}  // namespace

int device_change_event(std::uint32_t code) {
    if (code >= 0x8000 && code <= 0x8005) return static_cast<int>(code - 0x8000) + 1;
    return 0;
}

int add_device_listener(DeviceListener listener) {
    bool first;
    int id;
    {
        std::lock_guard lock(listeners_mutex());
        first = listeners().empty();
        id = next_listener_id++;
        listeners().emplace(id, std::move(listener));
    }
    if (first) start_monitor();
    return id;
}

void remove_device_listener(int id) {
    bool last;
    {
        std::lock_guard lock(listeners_mutex());
        if (listeners().erase(id) == 0) return;
        last = listeners().empty();
    }
    if (last) stop_monitor();
}

void raise_device_change(const DeviceChange& change) {
    std::vector<DeviceListener> copy;
    {
        std::lock_guard lock(listeners_mutex());
        for (auto& [id, l] : listeners()) copy.push_back(l);
    }
    for (auto& l : copy) l(change);
}

bool same_interface_path(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace quelmar::link
