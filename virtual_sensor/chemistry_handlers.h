#pragma once
// The virtual sensor's chemistry: its configuration record (400/401) and its processing-
// parameter records (402/403), kept by their length as the sensor keeps one record per layout.
// From the factory it is a nitrate sensor whose parameter records of every other chemistry
// are filled in too, so that switching it to any chemistry shows sensible values. Acting as
// older firmware it knows only the 23-byte nutrient record and answers 4 for any other length.

#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

void install_chemistry_handlers(VirtualSensor& sensor);

}  // namespace quelmar::virtual_sensor
