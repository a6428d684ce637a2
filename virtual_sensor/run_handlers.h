#pragma once
// The virtual sensor's run: it starts and stops the loaded state machine (437/438), takes a
// new reading every second (418) whose channel voltages follow the running state, reports its
// host platform's data (444), the output file it writes while running (422), its three
// thermistors (404/405), and accepts the request to appear as a drive (482).

#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

// Status of a 437 when no state machine is loaded or the start state is not one of its
// states, and of a 404/405 naming a thermistor the sensor does not have.
constexpr std::uint8_t run_refused_status = 1;
// The file the sensor writes while its state machine runs.
constexpr const char* run_output_file = "RAW00001.CSV";

void install_run_handlers(VirtualSensor& sensor);

}  // namespace quelmar::virtual_sensor
