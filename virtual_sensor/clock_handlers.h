#pragma once
// The virtual sensor's real-time clock and measurement schedule: the clock runs in UTC from
// the PC's time until 291 sets it; the schedule (format version 3 unless a test asks for an
// older one) is stored as written, and 445 reports the time now, the next measurement time
// the sensor computes from the schedule, and whether the stop time has passed.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>

#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

struct ClockState {
    std::mutex mutex;
    // The PC's time in seconds since 1970 UTC; tests put a fixed source here.
    std::function<std::int64_t()> pc_now = [] {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    };
    std::int64_t offset_s = 0;  // sensor time minus PC time, set by 291
    std::int64_t now() {
        std::lock_guard lock(mutex);
        return pc_now() + offset_s;
    }
};

std::shared_ptr<ClockState> clock_state(VirtualSensor& sensor);

// Stores a schedule of the given format version (1, 2 or 3) as the sensor's own.
void set_schedule_version(VirtualSensor& sensor, std::uint8_t version);

// The next measurement time at or after `now` for a schedule record; `stop_reached` tells
// whether the schedule's stop time lies before it.
struct NextMeasurement {
    std::uint32_t next = 0;
    bool stop_reached = false;
};
NextMeasurement next_measurement(std::span<const std::uint8_t> schedule_record, std::uint32_t now);

void install_clock_handlers(VirtualSensor& sensor);

}  // namespace quelmar::virtual_sensor
