#pragma once
// The sensor's one measurement schedule (442/443), the timing it reports for it (445), and the
// rules by which the schedule dialog reads, shows and enables its controls, kept here so that
// they are tested without a window.

#include <cstdint>
#include <string>

#include "common/record_fields.h"
#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::config {

constexpr std::size_t measurement_schedule_size = 13;
constexpr std::size_t schedule_timing_size = 9;

namespace interval_kind {
constexpr std::uint8_t continuous = 0;
constexpr std::uint8_t every_30_minutes = 1;  // the one minute interval of format version 2
constexpr std::uint8_t hours = 4;
constexpr std::uint8_t minutes = 5;
}  // namespace interval_kind

// Format version the sensor must report for the dialog, and for a free minute interval.
constexpr std::uint8_t schedule_version_supported = 2;
constexpr std::uint8_t schedule_version_free_minutes = 3;

struct MeasurementSchedule {
    std::uint8_t version = schedule_version_free_minutes;  // set by the sensor, written back
    std::uint8_t kind = interval_kind::continuous;
    std::uint32_t start_time = 0;
    std::uint8_t stop_enabled = 0;
    std::uint32_t stop_time = 0;
    std::uint16_t count = 0;  // hours for kind 4, minutes for kinds 1 and 5
    bool operator==(const MeasurementSchedule&) const = default;
};

template <class Io>
constexpr void fields(Io& io, MeasurementSchedule& r) {
    io.u8(r.version);
    io.u8(r.kind);
    io.u32(r.start_time);
    io.u8(r.stop_enabled);
    io.u32(r.stop_time);
    io.u16(r.count);
}
static_assert(common::record_size<MeasurementSchedule>() == measurement_schedule_size);

struct ScheduleTiming {
    std::uint32_t now = 0;
    std::uint32_t next = 0;
    std::uint8_t stop_reached = 0;
    bool operator==(const ScheduleTiming&) const = default;
};

template <class Io>
constexpr void fields(Io& io, ScheduleTiming& r) {
    io.u32(r.now);
    io.u32(r.next);
    io.u8(r.stop_reached);
}
static_assert(common::record_size<ScheduleTiming>() == schedule_timing_size);

protocol::SensorStatus read_schedule(link::SensorLink& link, MeasurementSchedule& schedule);
protocol::SensorStatus write_schedule(link::SensorLink& link, const MeasurementSchedule& schedule);
protocol::SensorStatus read_schedule_timing(link::SensorLink& link, ScheduleTiming& timing);

// What the schedule dialog's controls hold. Times are sensor seconds; the boxes hold text as
// typed (empty when the dialog leaves them blank).
struct ScheduleForm {
    std::uint8_t version = 0;  // the version last loaded from the sensor
    std::uint32_t start_time = 0;
    std::uint8_t kind = interval_kind::continuous;  // the checked option: 0, 4 or 5
    std::string hours;
    std::string minutes;
    bool stop_enabled = false;
    std::uint32_t stop_time = 0;
};

MeasurementSchedule schedule_from_form(const ScheduleForm& form);
ScheduleForm form_from_schedule(const MeasurementSchedule& schedule);

// Choosing an interval option: the count starts again at 1.
ScheduleForm choose_interval(const ScheduleForm& form, std::uint8_t kind);
// Ticking "Enable Stop Time" starts the stop time at the start time; unticking stores 0.
ScheduleForm toggle_stop_time(const ScheduleForm& form, bool enabled);

struct ScheduleEnabling {
    bool stop_pickers = false;
    bool hours_box = false;
    bool minutes_box = false;
    bool hours_red = false;
    bool minutes_red = false;
    bool save = true;
};
ScheduleEnabling schedule_enabling(const ScheduleForm& form);

// The message after a save: `timing_status` is the result of 445.
std::string schedule_saved_message(protocol::SensorStatus timing_status,
                                   const ScheduleTiming& timing);

// The report's interval line: "Interval: Measure every 2 hours", ...
std::string interval_text(const MeasurementSchedule& schedule);

}  // namespace quelmar::config
