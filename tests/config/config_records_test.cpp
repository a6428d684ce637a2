// The configuration records (per-chemistry processing parameters, optics and pump defaults,
// thermistors) against byte images written from their tables.

#include <gtest/gtest.h>

#include "config/chemistry_parameters.h"
#include "config/optics_defaults.h"
#include "config/thermistor_config.h"
#include "tests/support/byte_image.h"

namespace quelmar::config {
namespace {

using test::bytes_of;
using test::hex;
using test::Image;

TEST(ParameterRecords, GenericMatchesItsByteImage) {
    const Image image = hex("00 | 03 | 04") + hex("00 00 00 3F | 00 00 80 BF") + test::zeros(20) +
                        hex("00 00 C8 42") +
                        hex("00 00 80 3F 00 00 80 3F 00 00 80 3F 00 00 80 3F") +
                        hex("00 00 80 3F 00 00 80 3F 00 00 80 3F | 00 00 00 40");
    const GenericParameters r = decode_generic_parameters(image.as<generic_parameters_size>());
    EXPECT_EQ(r.byte0, 0);
    EXPECT_EQ(r.sample_intake_state, 3);
    EXPECT_EQ(r.sample_measurement_state, 4);
    EXPECT_EQ(r.offsets, (std::array<float, 8>{0.5f, -1.0f, 0, 0, 0, 0, 0, 100.0f}));
    EXPECT_EQ(r.scales, (std::array<float, 8>{1, 1, 1, 1, 1, 1, 1, 2.0f}));
    EXPECT_EQ(bytes_of(encode_generic_parameters(r)), image.bytes);
}

const Image nutrient_image = hex("01 | 00 | 01 | 03 | 04 | 05 | 06 | 07 | D2 04 00 00") +
                             hex("40 E2 01 00 | 02 | 03 | 01 | 08 | 09 | 01 | 03") +
                             hex("00 | 01 | 02 | FF | 03 | FF");

TEST(ParameterRecords, NutrientMatchesItsByteImage) {
    const NutrientParameters r =
        decode_nutrient_parameters(nutrient_image.as<nutrient_parameters_size>());
    EXPECT_EQ(r.format, 1);
    EXPECT_EQ(r.sensor_version, 0);
    EXPECT_EQ(r.output_channel, output_channel::medium_path);
    EXPECT_EQ(r.sample_intake_state, 3);
    EXPECT_EQ(r.sample_measurement_state, 4);
    EXPECT_EQ(r.blank_measurement_state, 5);
    EXPECT_EQ(r.standard1_measurement_state, 6);
    EXPECT_EQ(r.standard2_measurement_state, 7);
    EXPECT_EQ(r.standard1_concentration, 1234u);
    EXPECT_EQ(r.standard2_concentration, 123456u);
    EXPECT_EQ(r.standard_adjustment, 2);
    EXPECT_EQ(r.processing_trigger, 3);
    EXPECT_EQ(r.optical_correction, 1);
    EXPECT_EQ(r.oc_sample_state, 8);
    EXPECT_EQ(r.oc_blank_state, 9);
    EXPECT_EQ(r.legacy_has_monitoring, 1);
    EXPECT_EQ(r.legacy_monitoring_channel, 3);
    EXPECT_EQ(r.long_measurement_channel, 0);
    EXPECT_EQ(r.medium_measurement_channel, 1);
    EXPECT_EQ(r.short_measurement_channel, 2);
    EXPECT_EQ(r.long_monitoring_channel, monitoring_none);
    EXPECT_EQ(r.medium_monitoring_channel, 3);
    EXPECT_EQ(r.short_monitoring_channel, monitoring_none);
    EXPECT_EQ(bytes_of(encode_nutrient_parameters(r)), nutrient_image.bytes);
}

// The older record is the current one's first 23 bytes; what it lacks keeps the defaults.
TEST(ParameterRecords, LegacyNutrientIsTheLeadingPartOfTheCurrentImage) {
    Image legacy;
    legacy.bytes.assign(nutrient_image.bytes.begin(), nutrient_image.bytes.begin() + 23);
    legacy.bytes[0] = 0;
    const NutrientParameters r =
        common::decode_record<LegacyNutrientParameters>(legacy.bytes).parameters;
    EXPECT_EQ(r.format, 0);
    EXPECT_EQ(r.standard2_concentration, 123456u);
    EXPECT_EQ(r.legacy_monitoring_channel, 3);
    EXPECT_EQ(r.medium_measurement_channel, 1);
    EXPECT_EQ(r.medium_monitoring_channel, monitoring_none);
    EXPECT_EQ(bytes_of(common::encode_record(LegacyNutrientParameters{r})), legacy.bytes);
}

TEST(ParameterRecords, PhMatchesItsByteImage) {
    const Image image = hex("01 | 00 | 02 | 05 | 06 | 07 | 32 00 | 46 00") +
                        hex("CD CC CC 3D | 9A 99 19 3F | F2 98 81 BC | 00 00 80 3F") +
                        hex("00 00 00 BF | 00 00 00 3F | 00 00 80 3E");
    const PhParameters r = decode_ph_parameters(image.as<ph_parameters_size>());
    EXPECT_EQ(r.format, 1);
    EXPECT_EQ(r.sensor_version, 0);
    EXPECT_EQ(r.blue_channel, 2);
    EXPECT_EQ(r.yellow_channel, 5);
    EXPECT_EQ(r.sample_intake_state, 6);
    EXPECT_EQ(r.sample_measurement_state, 7);
    EXPECT_EQ(r.blank_start_offset, 50);
    EXPECT_EQ(r.blank_end_offset, 70);
    EXPECT_EQ(r.absorbance_min_blue, 0.1f);
    EXPECT_EQ(r.absorbance_max_yellow, 0.6f);
    EXPECT_EQ(r.dph_dt, -0.01582f);
    EXPECT_EQ(r.r_scale, 1.0f);
    EXPECT_EQ(r.r_offset, -0.5f);
    EXPECT_EQ(r.thermistor1_scale, 0.5f);
    EXPECT_EQ(r.thermistor2_scale, 0.25f);
    EXPECT_EQ(bytes_of(encode_ph_parameters(r)), image.bytes);
}

TEST(ParameterRecords, TaMatchesItsByteImage) {
    const Image image = hex("01 | 02 | 03 | 04 | 05 | 06 | 07 | 08 | 09 | 0A | 02") +
                        hex("CD CC 4C 3C | DE AD BE EF | CD CC CC 3D | 00 00 40 40") +
                        hex("00 00 A0 3F | 00 00 F0 40 | 6F 12 83 3A");
    const TaParameters r = decode_ta_parameters(image.as<ta_parameters_size>());
    EXPECT_EQ(r.format, 1);
    EXPECT_EQ(r.sensor_version, 2);
    EXPECT_EQ(r.measurement_channel, 3);
    EXPECT_EQ(r.monitoring_channel_led1, 4);
    EXPECT_EQ(r.monitoring_channel_led2, 5);
    EXPECT_EQ(r.sample_intake_state, 6);
    EXPECT_EQ(r.blank_state_led1, 7);
    EXPECT_EQ(r.blank_state_led2, 8);
    EXPECT_EQ(r.sample_state_led1, 9);
    EXPECT_EQ(r.sample_state_led2, 10);
    EXPECT_EQ(r.processing_trigger, 2);
    EXPECT_EQ(r.ct, 0.0125f);
    EXPECT_EQ(r.reserved, (std::array<std::uint8_t, 4>{0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(r.acid_molarity, 0.1f);
    EXPECT_EQ(r.pka, 3.0f);
    EXPECT_EQ(r.e1, 1.25f);
    EXPECT_EQ(r.e2, 7.5f);
    EXPECT_EQ(r.e3, 0.001f);
    EXPECT_EQ(bytes_of(encode_ta_parameters(r)), image.bytes);
}

TEST(ParameterRecords, DicMatchesItsByteImage) {
    const Image image = hex("01 | 00 | AA BB") + hex("01 | 03 | 04 | 00 00 00 00") +
                        hex("02 | 05 | 06 | 00 28 00 45") + hex("00 | 00 | 00 | 00 00 48 C1");
    const DicParameters r = decode_dic_parameters(image.as<dic_parameters_size>());
    EXPECT_EQ(r.format, 1);
    EXPECT_EQ(r.sensor_version, 0);
    EXPECT_EQ(r.reserved, (std::array<std::uint8_t, 2>{0xAA, 0xBB}));
    EXPECT_EQ(r.inlets[0].type, inlet_type::sample);
    EXPECT_EQ(r.inlets[0].intake_state, 3);
    EXPECT_EQ(r.inlets[0].measurement_state, 4);
    EXPECT_EQ(r.inlets[0].crm_value, 0.0f);
    EXPECT_EQ(r.inlets[1].type, inlet_type::crm);
    EXPECT_EQ(r.inlets[1].intake_state, 5);
    EXPECT_EQ(r.inlets[1].measurement_state, 6);
    EXPECT_EQ(r.inlets[1].crm_value, 2050.5f);
    EXPECT_EQ(r.inlets[2].type, inlet_type::unused);
    EXPECT_EQ(r.inlets[2].crm_value, -12.5f);
    EXPECT_EQ(bytes_of(encode_dic_parameters(r)), image.bytes);
}

TEST(DefaultsRecords, OpticsAndPumpMatchTheirByteImages) {
    const Image optics_image = hex("00 | 01 | 01 | 20 4E | 80 BB | 00 00 | 01 00");
    const OpticsDefaults optics = decode_optics_defaults(optics_image.as<optics_defaults_size>());
    EXPECT_EQ(optics.byte0, 0);
    EXPECT_EQ(optics.byte1, 1);
    EXPECT_EQ(optics.photodiode_power, 1);
    EXPECT_EQ(optics.led_current_ua, (std::array<std::uint16_t, 4>{20000, 48000, 0, 1}));
    EXPECT_EQ(bytes_of(encode_optics_defaults(optics)), optics_image.bytes);

    const Image pump_image = hex("00 | 01 | 40 06 | FF FF 01 00 | 02 | 00 | FF 0F | 23 01") +
                             hex("A0 86 01 00 | 3C 00 00 00 | 01 | B8 0B");
    const PumpValveDefaults pump =
        decode_pump_valve_defaults(pump_image.as<pump_valve_defaults_size>());
    EXPECT_EQ(pump.byte0, 0);
    EXPECT_EQ(pump.pump_direction, 1);
    EXPECT_EQ(pump.winding_current_ma, 1600);
    EXPECT_EQ(pump.step_period_us, 131071u);
    EXPECT_EQ(pump.microstep_code, 2);
    EXPECT_EQ(pump.stop_mode, 0);
    EXPECT_EQ(pump.hall_stop_inject, 4095);
    EXPECT_EQ(pump.hall_stop_withdraw, 0x123);
    EXPECT_EQ(pump.step_count, 100000u);
    EXPECT_EQ(pump.stop_time_s, 60u);
    EXPECT_EQ(pump.hall_power, 1);
    EXPECT_EQ(pump.valve_spike_ms, 3000);
    EXPECT_EQ(bytes_of(encode_pump_valve_defaults(pump)), pump_image.bytes);
}

TEST(DefaultsRecords, ThermistorMatchesItsByteImage) {
    const Image image = hex("00 | 05 | 6F 12 83 B9 | 8F C2 75 3C | 00 00 20 42 | 00 00 48 C1");
    const ThermistorConfig r = decode_thermistor_config(image.as<thermistor_config_size>());
    EXPECT_EQ(r.byte0, 0);
    EXPECT_EQ(r.input_channel, 5);
    EXPECT_EQ(r.c3, -0.00025f);
    EXPECT_EQ(r.c2, 0.015f);
    EXPECT_EQ(r.c1, 40.0f);
    EXPECT_EQ(r.c0, -12.5f);
    EXPECT_EQ(bytes_of(encode_thermistor_config(r)), image.bytes);
}

}  // namespace
}  // namespace quelmar::config
