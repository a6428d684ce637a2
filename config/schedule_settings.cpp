#include "config/schedule_settings.h"

#include "common/text.h"
#include "config/clock_record.h"
#include "config/typed_fields.h"
#include "protocol/commands.h"
#include "protocol/record_commands.h"

namespace quelmar::config {

protocol::SensorStatus read_schedule(link::SensorLink& link, MeasurementSchedule& schedule) {
    return protocol::read_record(link, protocol::cmd::read_schedule, schedule);
}

protocol::SensorStatus write_schedule(link::SensorLink& link, const MeasurementSchedule& schedule) {
    return protocol::write_record(link, protocol::cmd::write_schedule, schedule);
}

protocol::SensorStatus read_schedule_timing(link::SensorLink& link, ScheduleTiming& timing) {
    return protocol::read_record(link, protocol::cmd::read_schedule_timing, timing);
}

MeasurementSchedule schedule_from_form(const ScheduleForm& form) {
    MeasurementSchedule s{};
    s.version = form.version;
    s.start_time = form.start_time;
    s.kind = form.kind;
    s.count = 0;
    if (form.kind == interval_kind::hours) {
        s.count = static_cast<std::uint16_t>(typed_unsigned(form.hours));
    } else if (form.kind == interval_kind::minutes) {
        if (form.version > schedule_version_supported) {
            s.count = static_cast<std::uint16_t>(typed_unsigned(form.minutes));
        } else {
            // Older firmware knows one minute interval only.
            s.kind = interval_kind::every_30_minutes;
            s.count = 30;
        }
    }
    s.stop_enabled = form.stop_enabled ? 1 : 0;
    s.stop_time = form.stop_enabled ? form.stop_time : 0;
    return s;
}

ScheduleForm form_from_schedule(const MeasurementSchedule& s) {
    ScheduleForm f;
    f.version = s.version;
    f.start_time = s.start_time;
    switch (s.kind) {
        case interval_kind::hours:
            f.kind = interval_kind::hours;
            f.hours = std::to_string(s.count);
            break;
        case interval_kind::every_30_minutes:
            f.kind = interval_kind::minutes;
            f.minutes = "30";
            break;
        case interval_kind::minutes:
            f.kind = interval_kind::minutes;
            f.minutes = std::to_string(s.count);
            break;
        default:
            f.kind = interval_kind::continuous;
            break;
    }
    f.stop_enabled = s.stop_enabled != 0;
    f.stop_time = f.stop_enabled ? s.stop_time : 0;
    return f;
}

ScheduleForm choose_interval(const ScheduleForm& form, std::uint8_t kind) {
    ScheduleForm f = form;
    f.kind = kind;
    MeasurementSchedule s = schedule_from_form(f);
    if (s.kind == interval_kind::hours || s.kind == interval_kind::minutes)
        s.count = 1;
    return form_from_schedule(s);
}

ScheduleForm toggle_stop_time(const ScheduleForm& form, bool enabled) {
    ScheduleForm f = form;
    f.stop_enabled = enabled;
    MeasurementSchedule s = schedule_from_form(f);
    s.stop_time = enabled ? s.start_time : 0;
    return form_from_schedule(s);
}

ScheduleEnabling schedule_enabling(const ScheduleForm& form) {
    ScheduleEnabling e;
    e.stop_pickers = form.stop_enabled;
    e.hours_box = form.kind == interval_kind::hours;
    e.minutes_box =
        form.kind == interval_kind::minutes && form.version > schedule_version_supported;
    auto out_of_range = [](const std::string& text) {
        const std::int32_t v = typed_signed(text);
        return v < 1 || v > 65535;
    };
    // Only the box that is in use can hold a count; the other one is blank.
    e.hours_red = e.hours_box && out_of_range(form.hours);
    e.minutes_red = e.minutes_box && out_of_range(form.minutes);
    e.save = !e.hours_red && !e.minutes_red;
    return e;
}

std::string schedule_saved_message(protocol::SensorStatus timing_status,
                                   const ScheduleTiming& timing) {
    if (timing_status != protocol::status::ok)
        return "New schedule saved.\n\nNow check sensor's clock.";
    if (timing.stop_reached)
        return "New schedule saved.\n\nNext scheduled measurement: none (stop time reached).";
    return "New schedule saved.\n\nSensor time now: " + schedule_time_text(timing.now) +
           ".\nNext scheduled measurement: " + schedule_time_text(timing.next) + ".";
}

std::string interval_text(const MeasurementSchedule& s) {
    switch (s.kind) {
        case interval_kind::continuous:
            return "Interval: Measure Continuously";
        case interval_kind::hours:
            return common::format_text("Interval: Measure every %u hour%s", s.count,
                                       s.count == 1 ? "" : "s");
        case interval_kind::minutes:
            return common::format_text("Interval: Measure every %u minute%s", s.count,
                                       s.count == 1 ? "" : "s");
        default:
            return common::format_text("Interval: unknown (%u)", s.kind);
    }
}

}  // namespace quelmar::config
