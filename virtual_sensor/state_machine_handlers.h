#pragma once
// The virtual sensor's state machine: it stores a machine (434 count, 435 read, 436 write, up
// to 255 states), answers the optics (368) and pump/valve (352) defaults, and, while the run
// control has the machine running, steps it state by state.

#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

// Status of a 435/436 naming a state the sensor cannot hold or does not have.
constexpr std::uint8_t state_out_of_range_status = 1;

void install_state_machine_handlers(VirtualSensor& sensor);

}  // namespace quelmar::virtual_sensor
