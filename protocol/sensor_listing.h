#pragma once
// The rows of the sensor list: every attached sensor is opened briefly and asked what it is.

#include <cstddef>
#include <string>
#include <vector>

#include "link/discovery.h"
#include "link/sensor_link.h"

namespace quelmar::protocol {

constexpr std::uint32_t probe_timeout_ms = 500;

struct SensorRow {
    std::size_t entry = 0;  // index into the device list
    std::string name;       // at most 20 characters, or "Unknown device"
    std::string serial_number;
    std::string state;  // "Bootloader (v%u)" or "Firmware"
    std::string type;   // the device type name, or the in-use text in the list's wide column
    bool in_use = false;  // another program holds it: not asked anything, cannot be connected
};

// What the list shows for a sensor that another program holds open.
constexpr const char* in_use_text = "in use by another program";

// Opens each entry with a 500 ms time-out (an entry that does not open gets no row, one held
// by another program an "Unknown device" row that says so, mode 0), reads its identity and
// its kind (each tried twice), sets the entry's mode and closes the link.
// `link` must be closed on entry and is closed on return.
std::vector<SensorRow> build_sensor_rows(link::DeviceList& devices, link::SensorLink& link);

}  // namespace quelmar::protocol
