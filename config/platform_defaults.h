#pragma once
// The platform data the sensor uses until its host platform supplies them: dive number, CTD
// readings, depth, direction of travel, the offset to platform time and three parameters
// whose meaning each platform defines.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/record_fields.h"
#include "config/rs232_config.h"
#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::config {

constexpr std::size_t platform_defaults_size = 36;

struct PlatformDefaults {
    std::uint8_t byte0 = 1;  // written as 1, not interpreted
    std::uint16_t dive_number = 0;
    float salinity_psu = 0;
    float temperature_c = 0;
    float oxygen_ml_l = 0;
    float depth_m = 0;
    std::uint8_t direction = 0;  // 0 unknown .. 5 fixed
    std::int32_t time_offset_s = 0;
    std::int32_t p1 = 0;
    std::int32_t p2 = 0;
    std::int32_t p3 = 0;
    bool operator==(const PlatformDefaults&) const = default;
};

template <class Io>
constexpr void fields(Io& io, PlatformDefaults& r) {
    io.u8(r.byte0);
    io.u16(r.dive_number);
    io.f32(r.salinity_psu);
    io.f32(r.temperature_c);
    io.f32(r.oxygen_ml_l);
    io.f32(r.depth_m);
    io.u8(r.direction);
    io.i32(r.time_offset_s);
    io.i32(r.p1);
    io.i32(r.p2);
    io.i32(r.p3);
}
static_assert(common::record_size<PlatformDefaults>() == platform_defaults_size);

protocol::SensorStatus read_platform_defaults(link::SensorLink& link, PlatformDefaults& config);
protocol::SensorStatus write_platform_defaults(link::SensorLink& link,
                                               const PlatformDefaults& config);

inline constexpr std::array<Choice, 6> direction_choices{{{"Unknown", 0},
                                                          {"Surfaced", 1},
                                                          {"Diving", 2},
                                                          {"Climbing", 3},
                                                          {"Hovering", 4},
                                                          {"Fixed", 5}}};

// The dialog's boxes as typed, and the direction list's position.
struct PlatformDefaultsText {
    std::string dive_number;
    std::string salinity;
    std::string temperature;
    std::string oxygen;
    std::string depth;
    int direction = 0;
    std::string time_offset;
    std::array<std::string, 3> parameters;
};

// The record as the dialog shows it (decimals with "%.3f").
PlatformDefaultsText platform_defaults_text(const PlatformDefaults& config);
// The record the dialog writes: byte 0 as 1, the dive number's low 16 bits, decimals that are
// always finite.
PlatformDefaults platform_defaults_from_text(const PlatformDefaultsText& text);

}  // namespace quelmar::config
