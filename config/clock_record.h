#pragma once
// The sensor's real-time clock record (290 reads it, 291 sets it) and the conversions between
// sensor time (seconds since 1970 UTC) and calendar dates that the clock and schedule dialogs
// and the configuration report share.

#include <cstdint>
#include <optional>
#include <string>

#include "common/record_fields.h"
#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::config {

constexpr std::size_t sensor_clock_size = 8;

struct SensorClock {
    std::uint8_t byte0 = 0;  // not interpreted; written as 0
    std::uint16_t year = 1970;
    std::uint8_t month = 1;
    std::uint8_t day = 1;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    bool operator==(const SensorClock&) const = default;
};

template <class Io>
constexpr void fields(Io& io, SensorClock& r) {
    io.u8(r.byte0);
    io.u16(r.year);
    io.u8(r.month);
    io.u8(r.day);
    io.u8(r.hour);
    io.u8(r.minute);
    io.u8(r.second);
}
static_assert(common::record_size<SensorClock>() == sensor_clock_size);

protocol::SensorStatus read_sensor_clock(link::SensorLink& link, SensorClock& clock);
protocol::SensorStatus write_sensor_clock(link::SensorLink& link, const SensorClock& clock);

// "dd/mm/yyyy hh:mm:ss" of the clock's own fields, as the sensor sent them.
std::string clock_text(const SensorClock& clock);

// The dialogs convert dates of these years only; the sensor counts time in 32 bits.
constexpr int first_convertible_year = 1970;
constexpr int last_convertible_year = 2038;

// Seconds since 1970 UTC of a calendar date and time; nothing for a date outside
// 1970..2038, an impossible date (31 February) or a time past the 32-bit count. Never wraps.
std::optional<std::uint32_t> seconds_from_clock(const SensorClock& clock);
// The UTC calendar date of a sensor time; nothing when it cannot be converted (2^31 s and
// later, which the sensor's signed count cannot hold).
std::optional<SensorClock> clock_from_seconds(std::uint32_t seconds);

// The clock "Set Now" sends: the picked date and time, or the PC's time now in UTC (the
// sensor keeps UTC, so the PC's local time would be off by its zone's offset). Nothing when
// the date cannot be converted: it is refused, never wrapped into another date.
std::optional<SensorClock> clock_for_set_now(bool to_pc_time, const SensorClock& picked,
                                             std::int64_t pc_time_utc);

// "dd/mm/yyyy hh:mm:ss" in UTC, or "invalid" when the time cannot be converted.
std::string schedule_time_text(std::uint32_t seconds);

}  // namespace quelmar::config
