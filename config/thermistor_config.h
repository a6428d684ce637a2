#pragma once
// A thermistor's configuration (one per thermistor 0..2): which analogue input it is wired to
// and the cubic that turns that input's voltage into degrees Celsius.

#include <array>
#include <cstdint>
#include <span>
#include <string>

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

// 405: thermistor `index` followed by its record.
protocol::SensorStatus write_thermistor_config(link::SensorLink& link, std::uint8_t index,
                                               const ThermistorConfig& config);

using Thermistors = std::array<ThermistorConfig, thermistor_count>;

// Thermistors 0, 1 and 2 in turn; the first failure stops the reading and is the result.
// `configs` is written only when all three were read.
protocol::SensorStatus read_thermistors(link::SensorLink& link, Thermistors& configs);
// Writes thermistors 0, 1 and 2 in turn (the first failure stops and is the result), then
// reads all three back into `read_back`.
protocol::SensorStatus write_thermistors(link::SensorLink& link, const Thermistors& configs,
                                         Thermistors& read_back);

// The analogue input a thermistor's channel list shows: a channel beyond the eight inputs
// shows input 0.
constexpr std::uint8_t thermistor_input_choices = 8;
std::uint8_t shown_input_channel(const ThermistorConfig& config);

// One thermistor's row as typed: the channel list position and c3, c2, c1, c0.
struct ThermistorRowText {
    std::uint8_t input_channel = 0;
    std::array<std::string, 4> coefficients;  // c3, c2, c1, c0
};
// Coefficients are shown with "%.5f".
ThermistorRowText thermistor_row_text(const ThermistorConfig& config);
// The record written: byte 0 as 0, the selected channel, coefficients that are always finite.
ThermistorConfig thermistor_from_row(const ThermistorRowText& row);

// Degrees Celsius for the given channel counts (5 V full scale). An input channel beyond the
// eight channels reads as 0 V rather than past the array.
double thermistor_temperature(const ThermistorConfig& config,
                              const std::array<std::uint16_t, 8>& channels);

}  // namespace quelmar::config
