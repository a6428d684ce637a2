#include "config/clock_record.h"

#include "common/text.h"
#include "protocol/commands.h"
#include "protocol/record_commands.h"

namespace quelmar::config {

namespace {
constexpr std::int64_t seconds_per_day = 86400;
constexpr std::int64_t largest_sensor_time = 0x7FFFFFFF;

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's civil algorithms).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool leap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int days_in_month(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
}
}  // namespace

protocol::SensorStatus read_sensor_clock(link::SensorLink& link, SensorClock& clock) {
    return protocol::read_record(link, protocol::cmd::read_clock, clock);
}

protocol::SensorStatus write_sensor_clock(link::SensorLink& link, const SensorClock& clock) {
    return protocol::write_record(link, protocol::cmd::write_clock, clock);
}

std::string clock_text(const SensorClock& c) {
    return common::format_text("%02d/%02d/%04d %02d:%02d:%02d", c.day, c.month, c.year, c.hour,
                               c.minute, c.second);
}

std::optional<std::uint32_t> seconds_from_clock(const SensorClock& c) {
    if (c.year < first_convertible_year || c.year > last_convertible_year)
        return std::nullopt;
    if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > days_in_month(c.year, c.month))
        return std::nullopt;
    if (c.hour > 23 || c.minute > 59 || c.second > 59)
        return std::nullopt;
    const std::int64_t s = days_from_civil(c.year, c.month, c.day) * seconds_per_day +
                           c.hour * 3600 + c.minute * 60 + c.second;
    if (s < 0 || s > largest_sensor_time)
        return std::nullopt;
    return static_cast<std::uint32_t>(s);
}

std::optional<SensorClock> clock_from_seconds(std::uint32_t seconds) {
    if (seconds > largest_sensor_time)
        return std::nullopt;
    const std::int64_t days = seconds / seconds_per_day;
    const std::int64_t rest = seconds % seconds_per_day;
    // Inverse of days_from_civil.
    const std::int64_t z = days + 719468;
    const std::int64_t era = z / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
    SensorClock c;
    c.year = static_cast<std::uint16_t>(y);
    c.month = static_cast<std::uint8_t>(m);
    c.day = static_cast<std::uint8_t>(d);
    c.hour = static_cast<std::uint8_t>(rest / 3600);
    c.minute = static_cast<std::uint8_t>(rest / 60 % 60);
    c.second = static_cast<std::uint8_t>(rest % 60);
    return c;
}

std::optional<SensorClock> clock_for_set_now(bool to_pc_time, const SensorClock& picked,
                                             std::int64_t pc_time_utc) {
    if (to_pc_time) {
        if (pc_time_utc < 0 || pc_time_utc > largest_sensor_time)
            return std::nullopt;
        return clock_from_seconds(static_cast<std::uint32_t>(pc_time_utc));
    }
    if (!seconds_from_clock(picked))
        return std::nullopt;
    SensorClock c = picked;
    c.byte0 = 0;
    return c;
}

std::string schedule_time_text(std::uint32_t seconds) {
    const auto c = clock_from_seconds(seconds);
    return c ? clock_text(*c) : std::string("invalid");
}

}  // namespace quelmar::config
