#pragma once
// The virtual sensor's factory memories: the processing board's FRAM (292/293) with the pump
// stroke meter, and the driver board's NVRAM (322/323), which only a hardware variant with a
// driver board has; without one the sensor does not know those commands.

#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

constexpr std::uint32_t factory_stroke_meter = 182400;
constexpr std::uint8_t factory_driver_serial = 12;

void install_factory_handlers(VirtualSensor& sensor);

}  // namespace quelmar::virtual_sensor
