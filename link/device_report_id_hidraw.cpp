#include <fstream>
#include <iterator>
#include <vector>

#include "link/device_report_id.h"
#include "link/hid_descriptor.h"

namespace quelmar::link {

std::string report_descriptor_path(const std::string& device_path) {
    const std::string prefix = "/dev/";
    if (device_path.rfind(prefix, 0) != 0) return {};
    const std::string node = device_path.substr(prefix.size());
    if (node.rfind("hidraw", 0) != 0 || node.find('/') != std::string::npos) return {};
    return "/sys/class/hidraw/" + node + "/device/report_descriptor";
}

// hidapi 0.13 has no call for the descriptor; the kernel shows it beside the node.
int read_device_report_id(hid_device*, const std::string& path) {
    const std::string descriptor_file = report_descriptor_path(path);
    if (descriptor_file.empty()) return -1;
    std::ifstream in(descriptor_file, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (auto id = report_id_from_descriptor(bytes)) return *id;
    return -1;
}

}  // namespace quelmar::link
