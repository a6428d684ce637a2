#pragma once
// The chemistry a sensor runs, its short configuration record, and the commands that move the
// configuration and the per-chemistry processing parameters (with the fall-back to the older
// 23-byte nutrient record that early firmware knows).

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/record_fields.h"
#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::protocol {

namespace chemistry {
constexpr std::uint8_t generic = 0;
constexpr std::uint8_t nitrate = 1;
constexpr std::uint8_t phosphate = 2;
constexpr std::uint8_t silicate = 3;
constexpr std::uint8_t ph = 4;
constexpr std::uint8_t nitrite = 5;
constexpr std::uint8_t iron = 6;
constexpr std::uint8_t ta = 7;
constexpr std::uint8_t dic = 8;
constexpr std::uint8_t ammonia = 9;
}  // namespace chemistry
using ChemistryType = std::uint8_t;

// Nitrate, phosphate, silicate, nitrite and iron share one parameter layout.
bool is_nutrient_chemistry(ChemistryType type);
// "Nitrate", "pH", ...; empty for a code without a name.
std::string chemistry_name(ChemistryType type);

constexpr std::size_t chemistry_config_size = 18;
constexpr std::uint8_t state_none = 255;

struct ChemistryConfig {
    std::uint8_t byte0 = 0;  // not interpreted, carried unchanged
    ChemistryType chemistry = chemistry::generic;
    std::uint32_t sample_interval_ms = 0;
    std::uint8_t multiplexer = 0;  // 0 none, 1 pH
    std::uint8_t autostart_state = state_none;          // automatic deployment
    std::uint8_t flushing_state = state_none;           // manual flushing
    std::uint8_t priming_state = state_none;            // manual priming
    std::uint8_t deployment_state = state_none;         // manual deployment
    std::array<std::uint8_t, 3> special_states{state_none, state_none, state_none};
    std::array<std::uint8_t, 4> tail{};  // not interpreted, carried unchanged
};

template <class Io>
constexpr void fields(Io& io, ChemistryConfig& r) {
    io.u8(r.byte0);
    io.u8(r.chemistry);
    io.u32(r.sample_interval_ms);
    io.u8(r.multiplexer);
    io.u8(r.autostart_state);
    io.u8(r.flushing_state);
    io.u8(r.priming_state);
    io.u8(r.deployment_state);
    io.u8(r.special_states);
    io.u8(r.tail);
}
static_assert(common::record_size<ChemistryConfig>() == chemistry_config_size);

ChemistryConfig decode_chemistry_config(std::span<const std::uint8_t, chemistry_config_size> b);
std::array<std::uint8_t, chemistry_config_size> encode_chemistry_config(const ChemistryConfig& r);

SensorStatus read_chemistry_config(link::SensorLink& link, ChemistryConfig& config);
SensorStatus write_chemistry_config(link::SensorLink& link, const ChemistryConfig& config);

constexpr std::size_t nutrient_parameters_size = 29;
constexpr std::size_t legacy_nutrient_parameters_size = 23;

// Builds the current 29-byte nutrient record from the older 23-byte one.
std::array<std::uint8_t, nutrient_parameters_size> nutrient_record_from_legacy(
    std::span<const std::uint8_t, legacy_nutrient_parameters_size> legacy);

// 402 for a record of record.size() bytes (at most 123). On status 0 the record is replaced;
// a nutrient sensor that answers 4 is asked again for the older record, which is converted.
SensorStatus read_processing_parameters(link::SensorLink& link, ChemistryType type,
                                        std::span<std::uint8_t> record);
// 403 with the record; a nutrient sensor that answers 4 is sent the older record instead.
SensorStatus write_processing_parameters(link::SensorLink& link, ChemistryType type,
                                         std::span<const std::uint8_t> record);

}  // namespace quelmar::protocol
