#pragma once
// The virtual sensor's diagnostics: a log that grows as the sensor works (its start-up, each
// restart, state changes, requests it refused, and debug lines where a task's filter lets them
// through), the history of its last ten restarts, and its seventeen tasks with their stacks and
// log filters. Commands 296, 298, 305-309.

#include <cstdint>
#include <string>

#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

// Status of a 307 with no entry left to read (or no read started), of a 298 past the oldest
// restart, and of a 306 or 305 the sensor cannot act on.
constexpr std::uint8_t diagnostics_refused_status = 1;
constexpr std::size_t diagnostics_log_capacity = 1000;
constexpr std::size_t restart_history_size = 10;

// Adds an entry to the log if the task's filter lets its severity through.
void log_diagnostic(VirtualSensor& sensor, std::uint8_t task, std::uint8_t severity,
                    const std::string& function, std::int32_t line, const std::string& message);
// A reset of the firmware: a new restart record and "Restarted after reset" in the log.
void record_restart(VirtualSensor& sensor, std::uint16_t cause);

void install_diagnostics_handlers(VirtualSensor& sensor);

}  // namespace quelmar::virtual_sensor
