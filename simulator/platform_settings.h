#pragma once
// The simulated host platform: what the window's fields hold, their ranges, the presets a
// change of platform type applies, and which fields are available when.

#include <array>
#include <cstdint>
#include <string>

#include "simulator/serial_port.h"

namespace quelmar::simulator {

enum class PlatformType : std::uint8_t {
    none = 0, seaglider, korvane, storm_logger, eti, slocum_glider, marinodeck
};
enum class Direction : std::uint8_t { fixed = 0, surfaced, hovering, diving, climbing, alternating };

inline constexpr std::array<const char*, 7> platform_type_names = {
    "None", "Seaglider", "KORVANE", "Storm Logger", "ETI", "Slocum Glider", "Marinodeck"};
inline constexpr std::array<const char*, 6> direction_names = {
    "Fixed", "Surfaced", "Hovering", "Diving", "Climbing", "Alternating"};
inline constexpr std::array<std::uint32_t, 6> baud_rates = {9600, 14400, 19200, 38400, 57600, 115200};
inline constexpr std::array<std::uint8_t, 4> data_bits_choices = {5, 6, 7, 8};
inline constexpr std::array<const char*, 2> stop_bits_names = {"1", "2"};
inline constexpr std::array<const char*, 5> parity_names = {"None", "Even", "Odd", "Space", "Mark"};

struct PlatformSettings {
    PlatformType type = PlatformType::none;
    std::uint16_t dive_number = 0;
    std::int32_t min_depth_m = 0;
    std::int32_t max_depth_m = 0;
    std::int32_t dive_rate_cm_s = 0;
    std::int32_t climb_rate_cm_s = 0;
    Direction direction = Direction::fixed;
    double salinity = 0;
    double temperature = 0;
    std::int32_t p1 = 0, p2 = 0, p3 = 0;
    std::uint32_t update_interval_s = 1;
    bool sampling = false;
    std::uint32_t sample_interval_s = 1;
};

struct SerialChoice {
    SerialSettings line;
    bool override_settings = false;
    std::uint8_t slave_address = 0;
};

// Field clamps, applied to what the user typed.
std::uint16_t clamp_dive_number(long long typed);      // above 65535 stored as 65535
std::uint32_t clamp_interval(long long typed);         // 1..99999
std::uint8_t clamp_slave_address(long long typed);     // above 255 stored as 255

// A new platform type: its direction and sampling preset, and the serial defaults.
void apply_platform_type(PlatformType type, PlatformSettings& settings, SerialChoice& serial);
// Choosing "Surfaced" brings min depth to 0.
void apply_direction(Direction direction, PlatformSettings& settings);

const char* serial_group_title(PlatformType type);

// Which controls are available while idle (while a simulation runs only Stop is).
struct FieldAvailability {
    bool update_interval, serial_port, override_settings;
    bool dive_number, p_values;
    bool direction, min_depth, max_depth_and_rates;
    bool salinity_temperature;
    bool enable_sampling, sample_interval;
    bool line_settings, slave_address;
    bool start, download;
};
FieldAvailability field_availability(const PlatformSettings& settings, bool override_settings);

}  // namespace quelmar::simulator
