#pragma once
// The sensor a reading subcommand talks to: with --virtual-sensor one of its own, with
// --device the one named, otherwise the first attached sensor whose firmware runs (a
// bootloader keeps no configuration and no log).

#include <memory>
#include <string>

#include "link/sensor_link.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::tools {

class CliSensor {
public:
    CliSensor() = default;
    ~CliSensor() { link::sensor_link_close(link_); }
    CliSensor(const CliSensor&) = delete;
    CliSensor& operator=(const CliSensor&) = delete;

    // Opens the link; when there is no sensor or it cannot be opened, says so on standard
    // error under the subcommand's `name` and returns false.
    bool open(const char* name, bool with_virtual, std::string device);
    link::SensorLink& link() { return link_; }

private:
    std::unique_ptr<virtual_sensor::VirtualSensor> virtual_;  // outlives the link to it
    link::SensorLink link_;
};

}  // namespace quelmar::tools
