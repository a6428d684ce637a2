#pragma once
// The virtual sensor's communications and platform settings: a factory-set RS232 and RS485
// port and platform defaults, stored as written and returned on read. Its thermistors live
// with the readings they drive (run_handlers).

#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

void install_comms_handlers(VirtualSensor& sensor);

}  // namespace quelmar::virtual_sensor
