#pragma once
// Real sensors through hidapi's hidraw implementation.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/device_backend.h"
#include "link/virtual_bus.h"

namespace quelmar::link {

// Every HID interface present, with a hardware id text built like the system's
// ("HID\VID_04D8&PID_E968"), for the discovery filter.
std::vector<InterfaceInfo> list_hid_interfaces();

// The same, for the hot-plug monitor that lists them again and again: none when hidapi cannot
// be used at all, which is not an empty bus.
std::optional<std::vector<InterfaceInfo>> try_list_hid_interfaces();

std::string hardware_id_text(std::uint16_t vendor_id, std::uint16_t product_id);

// Takes the node's lock, then opens it through hidapi: in_use when another program holds it.
OpenOutcome open_hidapi_backend(const std::string& path, DeviceBackend& backend);

// The device calls a HID backend is built on, as hidapi gives them: write returns the bytes
// written or -1; read waits at most `timeout_ms` and returns the bytes read, 0 for none, -1
// on an error.
struct RawHidDevice {
    std::function<int(const std::uint8_t* data, std::size_t length)> write;
    std::function<int(std::uint8_t* data, std::size_t length, int timeout_ms)> read;
    std::function<void()> close;
};

// The backend over a raw device. `descriptor_report_id` is the id read from the device's
// report descriptor, -1 when it could not be read. Reads are laid out for the report id of
// the request last written, which is the one the link stamps, so a link that kept its id
// from before reads the replies the way it asked.
DeviceBackend make_hid_backend(RawHidDevice raw, int descriptor_report_id);

}  // namespace quelmar::link
