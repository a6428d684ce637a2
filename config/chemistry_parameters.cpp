#include "config/chemistry_parameters.h"

namespace quelmar::config {

GenericParameters decode_generic_parameters(
    std::span<const std::uint8_t, generic_parameters_size> b) {
    return common::decode_record<GenericParameters>(b);
}

std::array<std::uint8_t, generic_parameters_size> encode_generic_parameters(
    const GenericParameters& r) {
    return common::encode_record(r);
}

NutrientParameters decode_nutrient_parameters(
    std::span<const std::uint8_t, nutrient_parameters_size> b) {
    return common::decode_record<NutrientParameters>(b);
}

std::array<std::uint8_t, nutrient_parameters_size> encode_nutrient_parameters(
    const NutrientParameters& r) {
    return common::encode_record(r);
}

PhParameters decode_ph_parameters(std::span<const std::uint8_t, ph_parameters_size> b) {
    return common::decode_record<PhParameters>(b);
}

std::array<std::uint8_t, ph_parameters_size> encode_ph_parameters(const PhParameters& r) {
    return common::encode_record(r);
}

TaParameters decode_ta_parameters(std::span<const std::uint8_t, ta_parameters_size> b) {
    return common::decode_record<TaParameters>(b);
}

std::array<std::uint8_t, ta_parameters_size> encode_ta_parameters(const TaParameters& r) {
    return common::encode_record(r);
}

DicParameters decode_dic_parameters(std::span<const std::uint8_t, dic_parameters_size> b) {
    return common::decode_record<DicParameters>(b);
}

std::array<std::uint8_t, dic_parameters_size> encode_dic_parameters(const DicParameters& r) {
    return common::encode_record(r);
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
