#include "tools/cli_sensor.h"

#include <cstdio>

#include "link/discovery.h"

namespace quelmar::tools {

bool CliSensor::open(const char* name, bool with_virtual, std::string device) {
    if (with_virtual) {
        virtual_ = std::make_unique<virtual_sensor::VirtualSensor>();
        virtual_->attach();
        if (device.empty()) device = virtual_->path();
    }
    if (device.empty()) {
        for (const auto& d : link::enumerate_devices())
            if (d.mode != link::device_mode_bootloader) {
                device = d.path;
                break;
            }
    }
    if (device.empty()) {
        std::fprintf(stderr, "quelmar-cli %s: no sensor found\n", name);
        return false;
    }
    if (link::sensor_link_open(link_, device, 3000) != link::LinkResult::ok) {
        std::fprintf(stderr, "quelmar-cli %s: unable to open %s\n", name, device.c_str());
        return false;
    }
    return true;
}

}  // namespace quelmar::tools
