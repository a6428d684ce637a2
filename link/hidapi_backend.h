#pragma once
// Real sensors through hidapi's hidraw implementation.

#include <cstdint>
#include <string>
#include <vector>

#include "link/device_backend.h"
#include "link/virtual_bus.h"

namespace quelmar::link {

// Every HID interface present, with a hardware id text built like the system's
// ("HID\VID_04D8&PID_E968"), for the discovery filter.
std::vector<InterfaceInfo> list_hid_interfaces();

std::string hardware_id_text(std::uint16_t vendor_id, std::uint16_t product_id);

bool open_hidapi_backend(const std::string& path, DeviceBackend& backend);

}  // namespace quelmar::link
