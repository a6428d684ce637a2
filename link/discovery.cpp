#include "link/discovery.h"

#include "common/text.h"
#include "link/hidapi_backend.h"

namespace quelmar::link {

const std::vector<std::string>& sensor_hardware_ids() {
    static const std::vector<std::string> ids = {
        "VID_C1CA&PID_B4BA", "VID_04D8&PID_EABC", "VID_04D8&PID_EABD", "VID_04D8&PID_EABE",
        "VID_04D8&PID_E967", "VID_04D8&PID_E968", "VID_04D8&PID_E969",
    };
    return ids;
}

bool matches_sensor_hardware_id(const std::string& hardware_id) {
    // Only the first hardware id counts: the text up to its first NUL.
    const std::string first = hardware_id.substr(0, hardware_id.find('\0'));
    for (const auto& id : sensor_hardware_ids())
        if (first.find(id) != std::string::npos) return true;
    return false;
}

DeviceList filter_sensor_interfaces(const std::vector<InterfaceInfo>& interfaces) {
    DeviceList out;
    for (const auto& i : interfaces)
        if (matches_sensor_hardware_id(i.hardware_id)) out.push_back({i.path, device_mode_unknown});
    return out;
}

DeviceList enumerate_devices() {
    std::vector<InterfaceInfo> all = list_hid_interfaces();
    std::vector<InterfaceInfo> virtuals = list_virtual_interfaces();
    all.insert(all.end(), virtuals.begin(), virtuals.end());
    return filter_sensor_interfaces(all);
}

std::string device_type_name(std::uint32_t code) {
    const char* name = "Unknown Device";
    switch (code & 0xFFFF) {
        case 7306: name = "Device type 1"; break;
        case 7310: name = "Device type 2"; break;
        case 7312: name = "Device type 3"; break;
        case 7317: name = "Device type 4"; break;
        case 7318: name = "Device type 5"; break;
        case 7320: name = "Device type 6"; break;
        case 7323: name = "Device type 2"; break;
        case 7324: name = "Device type 7"; break;
        case 7325: name = "Device type 8"; break;
        case 7330: name = "Device type 9"; break;
        case 7333: name = "Device type 10"; break;
        case 7334: name = "Device type 11"; break;
        case 7335: name = "Device type 12"; break;
        case 7336: name = "Device type 13"; break;
        case 7338: name = "Device type 14"; break;
        case 7340: name = "Device type 15"; break;
        case 7341: name = "Device type 16"; break;
        case 7342: name = "Device type 17"; break;
        case 7346: name = "Device type 18"; break;
        case 7351: name = "Device type 19"; break;
        case 7356: name = "Device type 20"; break;
        case 7360: name = "Device type 21"; break;
        case 7363: name = "Device type 22"; break;
        case 7365: name = "Device type 23"; break;
        case 7366: name = "Device type 24"; break;
        case 7367: name = "Device type 25"; break;
        default: break;
    }
    std::string text = common::format_text("Stillmarsh %s", name);
    if (text.size() > 39) text.resize(39);
    return text;
}

}  // namespace quelmar::link
