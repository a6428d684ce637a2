#include "simulator/platform_settings.h"

#include <algorithm>

namespace quelmar::simulator {

std::uint16_t clamp_dive_number(long long typed) {
    return static_cast<std::uint16_t>(std::clamp<long long>(typed, 0, 65535));
}
std::uint32_t clamp_interval(long long typed) {
    return static_cast<std::uint32_t>(std::clamp<long long>(typed, 1, 99999));
}
std::uint8_t clamp_slave_address(long long typed) {
    return static_cast<std::uint8_t>(std::clamp<long long>(typed, 0, 255));
}

void apply_platform_type(PlatformType type, PlatformSettings& s, SerialChoice& serial) {
    s.type = type;
    const bool glider = type == PlatformType::seaglider || type == PlatformType::korvane ||
                        type == PlatformType::slocum_glider;
    s.direction = glider ? Direction::alternating : Direction::fixed;
    s.sampling = type == PlatformType::korvane;
    const std::string path = serial.line.path;
    serial.line = SerialSettings{};
    serial.line.path = path;
    serial.slave_address = 0;
    if (type == PlatformType::marinodeck) {
        serial.line.baud_rate = 19200;
        serial.line.parity = 1;
        serial.slave_address = 71;
    }
}

void apply_direction(Direction direction, PlatformSettings& s) {
    s.direction = direction;
    if (direction == Direction::surfaced) s.min_depth_m = 0;
}

const char* serial_group_title(PlatformType type) {
    if (type == PlatformType::none) return "Serial Communication Parameters";
    if (type == PlatformType::marinodeck) return "RS485 Communication Parameters";
    return "RS232 Communication Parameters";
}

FieldAvailability field_availability(const PlatformSettings& s, bool override_settings) {
    using T = PlatformType;
    const T t = s.type;
    const bool some = t != T::none;
    const bool glider = t == T::seaglider || t == T::korvane;
    const bool any_glider = glider || t == T::slocum_glider;
    const bool direction = some && t != T::storm_logger;
    const bool moving = s.direction == Direction::diving || s.direction == Direction::climbing ||
                        s.direction == Direction::alternating;
    FieldAvailability a{};
    a.update_interval = a.serial_port = a.override_settings = some;
    a.dive_number = a.p_values = any_glider;
    a.direction = direction;
    a.min_depth = direction && s.direction != Direction::surfaced;
    a.max_depth_and_rates = direction && moving;
    a.salinity_temperature = t == T::eti || t == T::slocum_glider || t == T::marinodeck;
    a.enable_sampling = glider;
    a.sample_interval = t == T::storm_logger || t == T::eti || t == T::slocum_glider ||
                        t == T::marinodeck || (glider && s.sampling);
    a.line_settings = override_settings;
    a.slave_address = t == T::marinodeck && override_settings;
    a.start = glider || t == T::eti;
    a.download = glider;
    return a;
}

}  // namespace quelmar::simulator
