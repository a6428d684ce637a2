#pragma once
// Finding the attached sensors: every HID interface whose hardware id names one of the
// sensor's seven USB identities, real ones through hidapi and virtual ones from the bus.

#include <cstdint>
#include <string>
#include <vector>

#include "link/virtual_bus.h"

namespace quelmar::link {

constexpr std::uint32_t device_mode_unknown = 0;
constexpr std::uint32_t device_mode_bootloader = 1;
constexpr std::uint32_t device_mode_firmware = 2;

struct DeviceEntry {
    std::string path;        // ready for sensor_link_open
    std::uint32_t mode = 0;  // 0 not known, 1 bootloader, 2 firmware (from the device's kind)
};

using DeviceList = std::vector<DeviceEntry>;

// The accepted hardware id substrings, in the order they are tried.
const std::vector<std::string>& sensor_hardware_ids();

// Case-sensitive, anywhere in the text.
bool matches_sensor_hardware_id(const std::string& hardware_id);

// The entries for the interfaces that are sensors, in the order given.
DeviceList filter_sensor_interfaces(const std::vector<InterfaceInfo>& interfaces);

// Real interfaces first (in the system's order), then virtual ones. Every mode is 0.
DeviceList enumerate_devices();

// The display text of a device type code ("Stillmarsh %s"); only the low 16 bits count.
// Returns its own string, so callers on any thread may use it at once.
std::string device_type_name(std::uint32_t code);

}  // namespace quelmar::link
