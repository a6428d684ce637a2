#include "config/chemistry_parameters.h"

#include "common/bytes.h"

namespace quelmar::config {

using common::get_f32le;
using common::get_u16le;
using common::get_u32le;
using common::put_f32le;
using common::put_u16le;
using common::put_u32le;

GenericParameters decode_generic_parameters(
    std::span<const std::uint8_t, generic_parameters_size> b) {
    GenericParameters r;
    r.byte0 = b[0];
    r.sample_intake_state = b[1];
    r.sample_measurement_state = b[2];
    for (std::size_t i = 0; i < 8; ++i) {
        r.offsets[i] = get_f32le(&b[3 + 4 * i]);
        r.scales[i] = get_f32le(&b[35 + 4 * i]);
    }
    return r;
}

std::array<std::uint8_t, generic_parameters_size> encode_generic_parameters(
    const GenericParameters& r) {
    std::array<std::uint8_t, generic_parameters_size> b{};
    b[0] = r.byte0;
    b[1] = r.sample_intake_state;
    b[2] = r.sample_measurement_state;
    for (std::size_t i = 0; i < 8; ++i) {
        put_f32le(&b[3 + 4 * i], r.offsets[i]);
        put_f32le(&b[35 + 4 * i], r.scales[i]);
    }
    return b;
}

NutrientParameters decode_nutrient_parameters(
    std::span<const std::uint8_t, nutrient_parameters_size> b) {
    NutrientParameters r;
    r.format = b[0];
    r.sensor_version = b[1];
    r.output_channel = b[2];
    r.sample_intake_state = b[3];
    r.sample_measurement_state = b[4];
    r.blank_measurement_state = b[5];
    r.standard1_measurement_state = b[6];
    r.standard2_measurement_state = b[7];
    r.standard1_concentration = get_u32le(&b[8]);
    r.standard2_concentration = get_u32le(&b[12]);
    r.standard_adjustment = b[16];
    r.processing_trigger = b[17];
    r.optical_correction = b[18];
    r.oc_sample_state = b[19];
    r.oc_blank_state = b[20];
    r.legacy_has_monitoring = b[21];
    r.legacy_monitoring_channel = b[22];
    r.long_measurement_channel = b[23];
    r.medium_measurement_channel = b[24];
    r.short_measurement_channel = b[25];
    r.long_monitoring_channel = b[26];
    r.medium_monitoring_channel = b[27];
    r.short_monitoring_channel = b[28];
    return r;
}

std::array<std::uint8_t, nutrient_parameters_size> encode_nutrient_parameters(
    const NutrientParameters& r) {
    std::array<std::uint8_t, nutrient_parameters_size> b{};
    b[0] = r.format;
    b[1] = r.sensor_version;
    b[2] = r.output_channel;
    b[3] = r.sample_intake_state;
    b[4] = r.sample_measurement_state;
    b[5] = r.blank_measurement_state;
    b[6] = r.standard1_measurement_state;
    b[7] = r.standard2_measurement_state;
    put_u32le(&b[8], r.standard1_concentration);
    put_u32le(&b[12], r.standard2_concentration);
    b[16] = r.standard_adjustment;
    b[17] = r.processing_trigger;
    b[18] = r.optical_correction;
    b[19] = r.oc_sample_state;
    b[20] = r.oc_blank_state;
    b[21] = r.legacy_has_monitoring;
    b[22] = r.legacy_monitoring_channel;
    b[23] = r.long_measurement_channel;
    b[24] = r.medium_measurement_channel;
    b[25] = r.short_measurement_channel;
    b[26] = r.long_monitoring_channel;
    b[27] = r.medium_monitoring_channel;
    b[28] = r.short_monitoring_channel;
    return b;
}

PhParameters decode_ph_parameters(std::span<const std::uint8_t, ph_parameters_size> b) {
    PhParameters r;
    r.format = b[0];
    r.sensor_version = b[1];
    r.blue_channel = b[2];
    r.yellow_channel = b[3];
    r.sample_intake_state = b[4];
    r.sample_measurement_state = b[5];
    r.blank_start_offset = get_u16le(&b[6]);
    r.blank_end_offset = get_u16le(&b[8]);
    r.absorbance_min_blue = get_f32le(&b[10]);
    r.absorbance_max_yellow = get_f32le(&b[14]);
    r.dph_dt = get_f32le(&b[18]);
    r.r_scale = get_f32le(&b[22]);
    r.r_offset = get_f32le(&b[26]);
    r.thermistor1_scale = get_f32le(&b[30]);
    r.thermistor2_scale = get_f32le(&b[34]);
    return r;
}

std::array<std::uint8_t, ph_parameters_size> encode_ph_parameters(const PhParameters& r) {
    std::array<std::uint8_t, ph_parameters_size> b{};
    b[0] = r.format;
    b[1] = r.sensor_version;
    b[2] = r.blue_channel;
    b[3] = r.yellow_channel;
    b[4] = r.sample_intake_state;
    b[5] = r.sample_measurement_state;
    put_u16le(&b[6], r.blank_start_offset);
    put_u16le(&b[8], r.blank_end_offset);
    put_f32le(&b[10], r.absorbance_min_blue);
    put_f32le(&b[14], r.absorbance_max_yellow);
    put_f32le(&b[18], r.dph_dt);
    put_f32le(&b[22], r.r_scale);
    put_f32le(&b[26], r.r_offset);
    put_f32le(&b[30], r.thermistor1_scale);
    put_f32le(&b[34], r.thermistor2_scale);
    return b;
}

TaParameters decode_ta_parameters(std::span<const std::uint8_t, ta_parameters_size> b) {
    TaParameters r;
    r.format = b[0];
    r.sensor_version = b[1];
    r.measurement_channel = b[2];
    r.monitoring_channel_led1 = b[3];
    r.monitoring_channel_led2 = b[4];
    r.sample_intake_state = b[5];
    r.blank_state_led1 = b[6];
    r.blank_state_led2 = b[7];
    r.sample_state_led1 = b[8];
    r.sample_state_led2 = b[9];
    r.processing_trigger = b[10];
    r.ct = get_f32le(&b[11]);
    for (std::size_t i = 0; i < 4; ++i)
        r.reserved[i] = b[15 + i];
    r.acid_molarity = get_f32le(&b[19]);
    r.pka = get_f32le(&b[23]);
    r.e1 = get_f32le(&b[27]);
    r.e2 = get_f32le(&b[31]);
    r.e3 = get_f32le(&b[35]);
    return r;
}

std::array<std::uint8_t, ta_parameters_size> encode_ta_parameters(const TaParameters& r) {
    std::array<std::uint8_t, ta_parameters_size> b{};
    b[0] = r.format;
    b[1] = r.sensor_version;
    b[2] = r.measurement_channel;
    b[3] = r.monitoring_channel_led1;
    b[4] = r.monitoring_channel_led2;
    b[5] = r.sample_intake_state;
    b[6] = r.blank_state_led1;
    b[7] = r.blank_state_led2;
    b[8] = r.sample_state_led1;
    b[9] = r.sample_state_led2;
    b[10] = r.processing_trigger;
    put_f32le(&b[11], r.ct);
    for (std::size_t i = 0; i < 4; ++i)
        b[15 + i] = r.reserved[i];
    put_f32le(&b[19], r.acid_molarity);
    put_f32le(&b[23], r.pka);
    put_f32le(&b[27], r.e1);
    put_f32le(&b[31], r.e2);
    put_f32le(&b[35], r.e3);
    return b;
}

DicParameters decode_dic_parameters(std::span<const std::uint8_t, dic_parameters_size> b) {
    DicParameters r;
    r.format = b[0];
    r.sensor_version = b[1];
    r.reserved = {b[2], b[3]};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::uint8_t* p = &b[4 + 7 * i];
        r.inlets[i] = {p[0], p[1], p[2], get_f32le(p + 3)};
    }
    return r;
}

std::array<std::uint8_t, dic_parameters_size> encode_dic_parameters(const DicParameters& r) {
    std::array<std::uint8_t, dic_parameters_size> b{};
    b[0] = r.format;
    b[1] = r.sensor_version;
    b[2] = r.reserved[0];
    b[3] = r.reserved[1];
    for (std::size_t i = 0; i < 3; ++i) {
        std::uint8_t* p = &b[4 + 7 * i];
        p[0] = r.inlets[i].type;
        p[1] = r.inlets[i].intake_state;
        p[2] = r.inlets[i].measurement_state;
        put_f32le(p + 3, r.inlets[i].crm_value);
    }
    return b;
}

std::uint8_t monitoring_channel_of_output(const NutrientParameters& r, std::uint8_t output) {
    switch (output) {
        case output_channel::long_path:
            return r.long_monitoring_channel;
        case output_channel::medium_path:
            return r.medium_monitoring_channel;
        case output_channel::short_path:
            return r.short_monitoring_channel;
        default:
            return monitoring_none;
    }
}

void derive_legacy_monitoring(NutrientParameters& r) {
    r.legacy_monitoring_channel = monitoring_channel_of_output(r, r.output_channel);
    r.legacy_has_monitoring = r.legacy_monitoring_channel != monitoring_none ? 1 : 0;
}

}  // namespace quelmar::config
