#include "virtual_sensor/clock_handlers.h"

#include "config/clock_record.h"
#include "config/schedule_settings.h"
#include "protocol/commands.h"

namespace quelmar::virtual_sensor {

namespace {
constexpr std::uint8_t refused_status = 2;

template <class T>
std::vector<std::uint8_t> bytes_of(const T& record) {
    const auto b = common::encode_record(record);
    return {b.begin(), b.end()};
}

config::MeasurementSchedule stored_schedule(VirtualSensor& sensor) {
    const auto bytes = sensor.record(protocol::cmd::read_schedule);
    if (bytes.size() < config::measurement_schedule_size)
        return {};
    return common::decode_record<config::MeasurementSchedule>(
        std::span<const std::uint8_t>(bytes).first<config::measurement_schedule_size>());
}
}  // namespace

std::shared_ptr<ClockState> clock_state(VirtualSensor& sensor) {
    return sensor.feature_state<ClockState>("clock");
}

void set_schedule_version(VirtualSensor& sensor, std::uint8_t version) {
    config::MeasurementSchedule s = stored_schedule(sensor);
    s.version = version;
    sensor.set_record(protocol::cmd::read_schedule, bytes_of(s));
}

NextMeasurement next_measurement(std::span<const std::uint8_t> record, std::uint32_t now) {
    if (record.size() < config::measurement_schedule_size)
        return {now, false};
    const auto s = common::decode_record<config::MeasurementSchedule>(
        record.first<config::measurement_schedule_size>());
    std::int64_t interval = 0;
    switch (s.kind) {
        case config::interval_kind::every_30_minutes:
            interval = 30 * 60;
            break;
        case config::interval_kind::hours:
            interval = std::int64_t{s.count} * 3600;
            break;
        case config::interval_kind::minutes:
            interval = std::int64_t{s.count} * 60;
            break;
        default:
            interval = 0;
            break;  // continuously: the next one is now
    }
    std::int64_t next = now;
    if (now <= s.start_time) {
        next = s.start_time;
    } else if (interval > 0) {
        const std::int64_t since = std::int64_t{now} - s.start_time;
        next = s.start_time + (since + interval - 1) / interval * interval;
    }
    if (next > 0xFFFFFFFFll)
        next = 0xFFFFFFFFll;
    const bool stopped = s.stop_enabled && next > std::int64_t{s.stop_time};
    return {static_cast<std::uint32_t>(next), stopped};
}

void install_clock_handlers(VirtualSensor& sensor) {
    // Fresh from the bench: measure every hour from 1 January 2026, no stop time.
    config::MeasurementSchedule schedule;
    schedule.version = config::schedule_version_free_minutes;
    schedule.kind = config::interval_kind::hours;
    schedule.start_time = 1767225600;  // 01/01/2026 00:00:00
    schedule.count = 1;
    sensor.set_record(protocol::cmd::read_schedule, bytes_of(schedule));

    sensor.set_handler(protocol::cmd::read_clock, [](VirtualSensor& s, const link::SensorReport&) {
        const std::int64_t now = clock_state(s)->now();
        const auto c = now >= 0 && now <= 0xFFFFFFFFll
                           ? config::clock_from_seconds(static_cast<std::uint32_t>(now))
                           : std::nullopt;
        if (!c)
            return Reply{refused_status, {}};
        return Reply{protocol::status::ok, bytes_of(*c)};
    });
    sensor.set_handler(
        protocol::cmd::write_clock, [](VirtualSensor& s, const link::SensorReport& request) {
            if (request.length() < config::sensor_clock_size)
                return Reply{refused_status, {}};
            const auto c = common::decode_record<config::SensorClock>(
                std::span<const std::uint8_t>(request.payload(), config::sensor_clock_size)
                    .first<config::sensor_clock_size>());
            const auto seconds = config::seconds_from_clock(c);
            if (!seconds)
                return Reply{refused_status, {}};
            auto state = clock_state(s);
            std::lock_guard lock(state->mutex);
            state->offset_s = std::int64_t{*seconds} - state->pc_now();
            return Reply{protocol::status::ok, {}};
        });
    sensor.set_handler(
        protocol::cmd::read_schedule_timing, [](VirtualSensor& s, const link::SensorReport&) {
            const std::int64_t now = clock_state(s)->now();
            const auto now32 = static_cast<std::uint32_t>(now < 0 ? 0 : now);
            const auto record = s.record(protocol::cmd::read_schedule);
            const NextMeasurement n = next_measurement(record, now32);
            config::ScheduleTiming t{now32, n.next, static_cast<std::uint8_t>(n.stop_reached)};
            return Reply{protocol::status::ok, bytes_of(t)};
        });
}

}  // namespace quelmar::virtual_sensor
