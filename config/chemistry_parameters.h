#pragma once
// The per-chemistry processing-parameter records the sensor keeps (commands 402/403) and that
// the raw output file header repeats. Each codec keeps the bytes it does not interpret, so a
// record read, edited and written back carries them unchanged.

#include <array>
#include <cstdint>
#include <span>

#include "common/record_fields.h"

namespace quelmar::config {

constexpr std::size_t generic_parameters_size = 67;
constexpr std::size_t nutrient_parameters_size = 29;
constexpr std::size_t ph_parameters_size = 38;
constexpr std::size_t ta_parameters_size = 39;
constexpr std::size_t dic_parameters_size = 25;
constexpr std::size_t legacy_nutrient_parameters_size = 23;

constexpr std::uint8_t parameters_format_current = 1;
constexpr std::uint8_t monitoring_none = 255;

struct GenericParameters {
    std::uint8_t byte0 = 0;  // always written as 0
    std::uint8_t sample_intake_state = 0;
    std::uint8_t sample_measurement_state = 0;
    std::array<float, 8> offsets{};
    std::array<float, 8> scales{1, 1, 1, 1, 1, 1, 1, 1};
};

// Output channel (also the index of the path's monitoring byte): 0 Long, 1 Medium, 2 Short.
namespace output_channel {
constexpr std::uint8_t long_path = 0;
constexpr std::uint8_t medium_path = 1;
constexpr std::uint8_t short_path = 2;
constexpr std::uint8_t adaptive = 254;
}  // namespace output_channel

struct NutrientParameters {
    std::uint8_t format = 0;
    std::uint8_t sensor_version = 0;
    std::uint8_t output_channel = 0;
    std::uint8_t sample_intake_state = 0;
    std::uint8_t sample_measurement_state = 0;
    std::uint8_t blank_measurement_state = 0;
    std::uint8_t standard1_measurement_state = 0;
    std::uint8_t standard2_measurement_state = 0;
    std::uint32_t standard1_concentration = 0;  // thousandths of a µM
    std::uint32_t standard2_concentration = 0;
    std::uint8_t standard_adjustment = 0;  // 0 Standard 1, 1 Standard 2, 2 Linear Fit
    std::uint8_t processing_trigger = 0;   // 0 Standard 1, 1 Standard 2, 2 Sample, 3 Blank
    std::uint8_t optical_correction = 0;
    std::uint8_t oc_sample_state = 0;
    std::uint8_t oc_blank_state = 0;
    std::uint8_t legacy_has_monitoring = 0;
    std::uint8_t legacy_monitoring_channel = 0;
    std::uint8_t long_measurement_channel = 0;
    std::uint8_t medium_measurement_channel = 1;
    std::uint8_t short_measurement_channel = 2;
    std::uint8_t long_monitoring_channel = monitoring_none;
    std::uint8_t medium_monitoring_channel = monitoring_none;
    std::uint8_t short_monitoring_channel = monitoring_none;
};

struct PhParameters {
    std::uint8_t format = 0;
    std::uint8_t sensor_version = 0;
    std::uint8_t blue_channel = 0;
    std::uint8_t yellow_channel = 1;
    std::uint8_t sample_intake_state = 0;
    std::uint8_t sample_measurement_state = 0;
    std::uint16_t blank_start_offset = 50;  // seconds into the measurement state
    std::uint16_t blank_end_offset = 70;
    float absorbance_min_blue = 0.1f;
    float absorbance_max_yellow = 0.6f;
    float dph_dt = -0.01582f;
    float r_scale = 1.0f;
    float r_offset = 0.0f;
    float thermistor1_scale = 0.5f;
    float thermistor2_scale = 0.5f;
};

struct TaParameters {
    std::uint8_t format = 0;
    std::uint8_t sensor_version = 0;
    std::uint8_t measurement_channel = 0;
    std::uint8_t monitoring_channel_led1 = 0;
    std::uint8_t monitoring_channel_led2 = 0;
    std::uint8_t sample_intake_state = 0;
    std::uint8_t blank_state_led1 = 0;
    std::uint8_t blank_state_led2 = 0;
    std::uint8_t sample_state_led1 = 0;
    std::uint8_t sample_state_led2 = 0;
    std::uint8_t processing_trigger =
        0;  // 0 Blank (LED1), 1 Blank (LED2), 2 Sample (LED1), 3 Sample (LED2)
    float ct = 0;
    std::array<std::uint8_t, 4> reserved{};  // bytes 15-18, not interpreted
    float acid_molarity = 0;
    float pka = 0;
    float e1 = 0;
    float e2 = 0;
    float e3 = 0;
};

namespace inlet_type {
constexpr std::uint8_t unused = 0;
constexpr std::uint8_t sample = 1;
constexpr std::uint8_t crm = 2;
}  // namespace inlet_type

struct DicInlet {
    std::uint8_t type = inlet_type::unused;
    std::uint8_t intake_state = 0;
    std::uint8_t measurement_state = 0;
    float crm_value = 0;  // µmol/kg
};

struct DicParameters {
    std::uint8_t format = 0;
    std::uint8_t sensor_version = 0;
    std::array<std::uint8_t, 2> reserved{};  // bytes 2-3, not interpreted
    std::array<DicInlet, 3> inlets{};
};

template <class Io>
constexpr void fields(Io& io, GenericParameters& r) {
    io.u8(r.byte0);
    io.u8(r.sample_intake_state);
    io.u8(r.sample_measurement_state);
    io.f32(r.offsets);
    io.f32(r.scales);
}

// The first 23 bytes are the whole of the older nutrient record (format 0), which has no
// per-path measurement or monitoring channels.
template <class Io>
constexpr void legacy_nutrient_fields(Io& io, NutrientParameters& r) {
    io.u8(r.format);
    io.u8(r.sensor_version);
    io.u8(r.output_channel);
    io.u8(r.sample_intake_state);
    io.u8(r.sample_measurement_state);
    io.u8(r.blank_measurement_state);
    io.u8(r.standard1_measurement_state);
    io.u8(r.standard2_measurement_state);
    io.u32(r.standard1_concentration);
    io.u32(r.standard2_concentration);
    io.u8(r.standard_adjustment);
    io.u8(r.processing_trigger);
    io.u8(r.optical_correction);
    io.u8(r.oc_sample_state);
    io.u8(r.oc_blank_state);
    io.u8(r.legacy_has_monitoring);
    io.u8(r.legacy_monitoring_channel);
}

template <class Io>
constexpr void fields(Io& io, NutrientParameters& r) {
    legacy_nutrient_fields(io, r);
    io.u8(r.long_measurement_channel);
    io.u8(r.medium_measurement_channel);
    io.u8(r.short_measurement_channel);
    io.u8(r.long_monitoring_channel);
    io.u8(r.medium_monitoring_channel);
    io.u8(r.short_monitoring_channel);
}

// The older nutrient record on its own: the leading fields of NutrientParameters; the fields
// it lacks keep the parameters' defaults when it is decoded.
struct LegacyNutrientParameters {
    NutrientParameters parameters;
};

template <class Io>
constexpr void fields(Io& io, LegacyNutrientParameters& r) {
    legacy_nutrient_fields(io, r.parameters);
}

template <class Io>
constexpr void fields(Io& io, PhParameters& r) {
    io.u8(r.format);
    io.u8(r.sensor_version);
    io.u8(r.blue_channel);
    io.u8(r.yellow_channel);
    io.u8(r.sample_intake_state);
    io.u8(r.sample_measurement_state);
    io.u16(r.blank_start_offset);
    io.u16(r.blank_end_offset);
    io.f32(r.absorbance_min_blue);
    io.f32(r.absorbance_max_yellow);
    io.f32(r.dph_dt);
    io.f32(r.r_scale);
    io.f32(r.r_offset);
    io.f32(r.thermistor1_scale);
    io.f32(r.thermistor2_scale);
}

template <class Io>
constexpr void fields(Io& io, TaParameters& r) {
    io.u8(r.format);
    io.u8(r.sensor_version);
    io.u8(r.measurement_channel);
    io.u8(r.monitoring_channel_led1);
    io.u8(r.monitoring_channel_led2);
    io.u8(r.sample_intake_state);
    io.u8(r.blank_state_led1);
    io.u8(r.blank_state_led2);
    io.u8(r.sample_state_led1);
    io.u8(r.sample_state_led2);
    io.u8(r.processing_trigger);
    io.f32(r.ct);
    io.u8(r.reserved);
    io.f32(r.acid_molarity);
    io.f32(r.pka);
    io.f32(r.e1);
    io.f32(r.e2);
    io.f32(r.e3);
}

template <class Io>
constexpr void fields(Io& io, DicInlet& r) {
    io.u8(r.type);
    io.u8(r.intake_state);
    io.u8(r.measurement_state);
    io.f32(r.crm_value);
}

template <class Io>
constexpr void fields(Io& io, DicParameters& r) {
    io.u8(r.format);
    io.u8(r.sensor_version);
    io.u8(r.reserved);
    io.group(r.inlets);
}

static_assert(common::record_size<GenericParameters>() == generic_parameters_size);
static_assert(common::record_size<NutrientParameters>() == nutrient_parameters_size);
static_assert(common::record_size<LegacyNutrientParameters>() == legacy_nutrient_parameters_size);
static_assert(common::record_size<PhParameters>() == ph_parameters_size);
static_assert(common::record_size<TaParameters>() == ta_parameters_size);
static_assert(common::record_size<DicParameters>() == dic_parameters_size);

GenericParameters decode_generic_parameters(
    std::span<const std::uint8_t, generic_parameters_size> b);
std::array<std::uint8_t, generic_parameters_size> encode_generic_parameters(
    const GenericParameters& r);

NutrientParameters decode_nutrient_parameters(
    std::span<const std::uint8_t, nutrient_parameters_size> b);
std::array<std::uint8_t, nutrient_parameters_size> encode_nutrient_parameters(
    const NutrientParameters& r);

PhParameters decode_ph_parameters(std::span<const std::uint8_t, ph_parameters_size> b);
std::array<std::uint8_t, ph_parameters_size> encode_ph_parameters(const PhParameters& r);

TaParameters decode_ta_parameters(std::span<const std::uint8_t, ta_parameters_size> b);
std::array<std::uint8_t, ta_parameters_size> encode_ta_parameters(const TaParameters& r);

DicParameters decode_dic_parameters(std::span<const std::uint8_t, dic_parameters_size> b);
std::array<std::uint8_t, dic_parameters_size> encode_dic_parameters(const DicParameters& r);

// The monitoring channel of output channel 0 Long, 1 Medium, 2 Short; 255 for any other.
std::uint8_t monitoring_channel_of_output(const NutrientParameters& r, std::uint8_t output);
// Bytes 21 and 22 as the sensor expects them: the output path's monitoring channel and
// whether it has one. An adaptive output has no single path and so no monitoring channel.
void derive_legacy_monitoring(NutrientParameters& r);

}  // namespace quelmar::config
