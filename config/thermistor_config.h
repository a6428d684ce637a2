#pragma once
// A thermistor's configuration (one per thermistor 0..2): which analogue input it is wired to
// and the cubic that turns that input's voltage into degrees Celsius.

#include <array>
#include <cstdint>
#include <span>

#include "common/record_fields.h"
#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::config {

constexpr std::size_t thermistor_config_size = 18;
constexpr std::uint8_t thermistor_count = 3;

struct ThermistorConfig {
    std::uint8_t byte0 = 0;         // written as 0, not interpreted
    std::uint8_t input_channel = 0; // 0..7
    float c3 = 0;                   // volt^3
    float c2 = 0;                   // volt^2
    float c1 = 0;                   // volt
    float c0 = 0;                   // constant
};

template <class Io>
constexpr void fields(Io& io, ThermistorConfig& r) {
    io.u8(r.byte0);
    io.u8(r.input_channel);
    io.f32(r.c3);
    io.f32(r.c2);
    io.f32(r.c1);
    io.f32(r.c0);
}
static_assert(common::record_size<ThermistorConfig>() == thermistor_config_size);

ThermistorConfig decode_thermistor_config(std::span<const std::uint8_t, thermistor_config_size> b);
std::array<std::uint8_t, thermistor_config_size> encode_thermistor_config(const ThermistorConfig& r);

// 404 for thermistor `index` (0..2). On any failure `config` is left unchanged.
protocol::SensorStatus read_thermistor_config(link::SensorLink& link, std::uint8_t index,
                                              ThermistorConfig& config);

// Degrees Celsius for the given channel counts (5 V full scale). An input channel beyond the
// eight channels reads as 0 V rather than past the array.
double thermistor_temperature(const ThermistorConfig& config,
                              const std::array<std::uint16_t, 8>& channels);

}  // namespace quelmar::config
