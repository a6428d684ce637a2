#include "ui/shell_state.h"

#include "common/text.h"

namespace quelmar::ui {

bool menu_item_enabled(MenuGroup group, unsigned state) {
    switch (group) {
        case MenuGroup::always: return true;
        case MenuGroup::connected: return is_connected(state);
        case MenuGroup::configuration: return is_connected(state) && !is_running(state);
    }
    return false;
}

std::string connected_caption(const std::string& name, const std::string& type) {
    std::string caption =
        common::format_text("%.20s (%s)", name.c_str(), type.c_str());
    if (caption.size() > 55) caption.resize(55);
    return caption;
}

std::string connected_part_text(const std::string& name) {
    return common::format_text("%s connected", name.c_str());
}

std::string sensor_mode_text(std::uint8_t mode) {
    switch (mode) {
        case 0: return "Sensor Mode: Operating";
        case 1: return "Sensor Mode: Sleeping";
        case 2: return "Sensor Mode: Idle";
        case 3: return "Sensor Mode: Hibernating";
        default: return common::format_text("Sensor Mode: Unknown (%u)", mode);
    }
}

std::string file_part_text(std::uint8_t mode, const std::optional<std::string>& file_name) {
    if ((mode == 0 || mode == 1) && file_name)
        return common::format_text("File: %s", file_name->c_str());
    return {};
}

std::string supply_part_text(const protocol::SensorStatusRecord& status) {
    return common::format_text("%.1fV/%.1f\u00b0C", status.supply_mv / 1000.0,
                               status.temperature_mdegc / 1000.0);
}

std::string about_text(const std::string& device_type, const std::string& firmware_version) {
    return common::format_text("Device: %s\nFirmware Version: %s\nGUI Version: %s",
                               device_type.c_str(), firmware_version.c_str(), gui_version);
}

}  // namespace quelmar::ui
