#pragma once
// Device arrival and removal. Real sensors report through the system's hot-plug monitor, the
// virtual sensor through its bus; both reach the same listeners with the same event numbers.

#include <cstdint>
#include <functional>
#include <string>

namespace quelmar::link {

constexpr int device_event_arrival = 1;
constexpr int device_event_removal = 5;

struct DeviceChange {
    int event = 0;     // 1 arrival, 5 removal complete
    std::string path;  // the interface path that arrived or left
};

// Maps a device-change notification code 0x8000..0x8005 to 1..6; 0 for any other code.
int device_change_event(std::uint32_t code);

using DeviceListener = std::function<void(const DeviceChange&)>;

// Listeners are called on the thread that noticed the change (the hot-plug monitor thread or
// the thread that attached a virtual sensor): a user interface must marshal to its own thread.
// The system's hot-plug monitor runs while at least one listener is registered.
int add_device_listener(DeviceListener listener);
void remove_device_listener(int id);

// Announces a change to every listener (used by the virtual bus and the hot-plug monitor).
void raise_device_change(const DeviceChange& change);

// True when two interface paths name the same interface (letter case ignored, whole length).
bool same_interface_path(const std::string& a, const std::string& b);

}  // namespace quelmar::link
