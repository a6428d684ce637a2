#pragma once
// The main window's state as every view sees it, the rules that follow from it (which menu
// items are offered) and the texts of the caption and the status bar.

#include <cstdint>
#include <optional>
#include <string>

#include "common/version.h"
#include "protocol/device_records.h"

namespace quelmar::ui {

namespace shell {
constexpr unsigned connected = 1u << 0;
constexpr unsigned running = 1u << 1;  // the sensor's state machine runs
}  // namespace shell

inline bool is_connected(unsigned state) { return state & shell::connected; }
inline bool is_running(unsigned state) { return (state & shell::running) != 0; }

// Menu items fall into three groups by when they are offered.
enum class MenuGroup {
    always,         // About, Sensor Port Pins, the offline processing items, Exit ...
    connected,      // Disconnect, the output views, the configuration log ...
    configuration,  // items that change the sensor's setup: only while connected and idle
};
bool menu_item_enabled(MenuGroup group, unsigned state);

constexpr const char* not_connected_caption = "not connected";
// "name (type)", at most 55 characters; the name is cut to 20 characters.
std::string connected_caption(const std::string& name, const std::string& type);

constexpr int status_part_count = 5;
// Status bar texts without the leading tab (the bar centres them instead).
std::string connected_part_text(const std::string& name);  // "%s connected"
constexpr const char* not_connected_part_text = "not connected";
constexpr const char* comms_ok_text = "USB Comms OK";
constexpr const char* comms_error_text = "USB Comms Error";
std::string sensor_mode_text(std::uint8_t mode);
// The file part: "File: %s" while operating or sleeping and the name is known, else empty.
std::string file_part_text(std::uint8_t mode, const std::optional<std::string>& file_name);
// "%.1fV/%.1f°C" from the status record.
std::string supply_part_text(const protocol::SensorStatusRecord& status);

constexpr const char* sensor_port_pins_text =
    "Communication Port\n\n  PIN 1: 12-16 VDC\n  PIN 2: GND\n  PIN 3: USB VBus/5V\n  PIN 4: NC\n"
    "  PIN 5: USB DP\n  PIN 6: USB DM\n  PIN 7: RS232 SENSOR-RX\n  PIN 8: RS232 SENSOR-TX\n\n"
    "Mating plug type: SubConn MCIL8F\nwith MCDLS-F locking sleeve\n";
constexpr const char* gui_version = common::program_version;
std::string about_text(const std::string& device_type, const std::string& firmware_version);

}  // namespace quelmar::ui
