#pragma once
// The virtual sensor's optics, valve and pump defaults and its live bench test: it stores the
// defaults (with factory values), opens the valves of a valve test, runs the pump for its stop
// time or until its Hall stop value (then reports it stopped, or reverses when told to pump
// continuously), and lights the LEDs of an optics test. The readings (418) then follow the
// LEDs and the open valves, and the Hall counts follow the pump.

#include <cstdint>

#include "protocol/readings.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

void install_optics_handlers(VirtualSensor& sensor);

// Firmware built without a photomultiplier refuses 374 and 375 (with the unknown-command
// status); the sensor has one by default.
void set_photomultiplier_fitted(VirtualSensor& sensor, bool fitted);
// A DIC sensor: its chemistry configuration says DIC and it answers 372 and 373, which other
// sensors refuse.
void act_as_dic_sensor(VirtualSensor& sensor);

// Overlays what a running bench test shows on a reading: channels and Hall counts. A sensor
// with no test running leaves the entry as it is.
void bench_test_readings(VirtualSensor& sensor, protocol::ReadingsEntry& entry);

}  // namespace quelmar::virtual_sensor
