// The chemistry dialog's rules without a window: typed texts to record fields, the derived
// bytes, the page table and defaults, the enabling, and loading and saving through the
// virtual sensor (also as older firmware).

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/bytes.h"
#include "config/chemistry_settings.h"
#include "protocol/commands.h"
#include "protocol/sensor_status.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"

namespace quelmar::config {
namespace {

namespace chem = protocol::chemistry;
namespace status = protocol::status;
namespace cmd = protocol::cmd;
using test::hex;

TEST(ChemistryFields, IntervalsAndStatesAreHeldToTheirRanges) {
    EXPECT_EQ(typed_sample_interval(""), 100u);
    EXPECT_EQ(typed_sample_interval("fast"), 100u);
    EXPECT_EQ(typed_sample_interval("5000"), 1000u);
    EXPECT_EQ(typed_sample_interval(" 250"), 250u);
    EXPECT_EQ(typed_sample_interval("99999999999999999999"), 1000u);
    EXPECT_EQ(typed_sample_interval("-5"), 100u);

    EXPECT_EQ(typed_state("254"), 254);
    EXPECT_EQ(typed_state("255"), 254);  // 255 would mean "no state"
    EXPECT_EQ(typed_state("1000"), 254);
    EXPECT_EQ(typed_state(""), 0);
    EXPECT_EQ(typed_state("12abc"), 12);
}

TEST(ChemistryFields, DecimalsNeverBecomeNanOrInfinity) {
    EXPECT_FLOAT_EQ(typed_decimal("-0.01582"), -0.01582f);
    EXPECT_FLOAT_EQ(typed_decimal(" +2.5 V"), 2.5f);
    EXPECT_FLOAT_EQ(typed_decimal("1e-3"), 0.001f);
    EXPECT_FLOAT_EQ(typed_decimal(".5"), 0.5f);
    EXPECT_FLOAT_EQ(typed_decimal("-.25"), -0.25f);
    for (const char* text : {"nan", "NaN", "-nan", "inf", "-INF", "infinity", "0x1p4", "", "abc"})
        EXPECT_EQ(typed_decimal(text), 0.0f) << text;
    // Beyond float range: held at the largest float of the same sign, never infinite.
    EXPECT_EQ(typed_decimal("1e39"), std::numeric_limits<float>::max());
    EXPECT_EQ(typed_decimal("-1e400"), -std::numeric_limits<float>::max());
    EXPECT_EQ(typed_decimal("1e-400"), 0.0f);
    // And the GenericParameters built from such texts carry only finite numbers.
    GenericForm f = generic_form(GenericParameters{});
    f.scales[3] = "inf";
    f.offsets[5] = "nan";
    const auto p = generic_from_form(f);
    EXPECT_EQ(p.scales[3], 0.0f);
    EXPECT_EQ(p.offsets[5], 0.0f);
}

TEST(ChemistryFields, ConcentrationsAreExactThousandths) {
    EXPECT_EQ(typed_concentration("1.2345"), 1234u);
    EXPECT_EQ(concentration_text(1234), "1.234");
    EXPECT_EQ(typed_concentration("2.01"), 2010u);  // not 2009 through binary
    EXPECT_EQ(typed_concentration("0.29"), 290u);
    EXPECT_EQ(typed_concentration("-3"), 0u);
    EXPECT_EQ(typed_concentration("nan"), 0u);
    EXPECT_EQ(typed_concentration("1e12"), 4294967295u);
    EXPECT_EQ(concentration_text(4294967295u), "4294967.295");
    EXPECT_EQ(decimal_text(-0.01582f, 5), "-0.01582");
    EXPECT_EQ(decimal_text(std::numeric_limits<float>::quiet_NaN(), 5), "0.00000");
}

TEST(ChemistryFields, TextsOfTheNutrientPage) {
    EXPECT_EQ(dilution_text(chem::nitrate), "1:1.500");
    EXPECT_EQ(dilution_text(chem::iron), "1:1.135");
    EXPECT_EQ(dilution_text(chem::phosphate), "1:3.000");
    EXPECT_EQ(dilution_text(chem::ph), "1:1.000");
    EXPECT_EQ(configure_caption(chem::silicate), "Configure Sensor For Silicate");
    EXPECT_EQ(configure_caption(chem::generic), "Configure Sensor For Generic");
    // A code the list does not offer shows its first choice, and a row out of range stores it.
    EXPECT_EQ(choice_index(output_choices, 3), 0);
    EXPECT_EQ(choice_index(output_choices, 254), 3);
    EXPECT_EQ(choice_index(monitor_choices, 255), 0);
    EXPECT_EQ(choice_code(output_choices, 9), 1);
}

TEST(NutrientForm, StoredRecordDerivesTheLegacyMonitoringBytes) {
    NutrientParameters shown;
    shown.output_channel = output_channel::medium_path;
    shown.medium_monitoring_channel = 3;
    NutrientForm f = nutrient_form(shown);
    f.standard1_concentration = "1.2345";
    f.sample_intake_state = "300";
    auto bytes = encode_nutrient_parameters(nutrient_from_form(f));
    EXPECT_EQ(bytes[0], 1);  // always the current format
    EXPECT_EQ(bytes[3], 254);
    EXPECT_EQ(common::get_u32le(bytes.data() + 8), 1234u);
    EXPECT_EQ(bytes[21], 1);
    EXPECT_EQ(bytes[22], 3);
    EXPECT_EQ(bytes[27], 3);

    f.monitor[1] = choice_index(monitor_choices, monitoring_none);
    bytes = encode_nutrient_parameters(nutrient_from_form(f));
    EXPECT_EQ(bytes[21], 0);
    EXPECT_EQ(bytes[22], 255);

    // Adaptive has no single path: no monitoring channel, whatever the paths have.
    f.monitor = {1, 2, 3};
    f.output = choice_index(output_choices, output_channel::adaptive);
    bytes = encode_nutrient_parameters(nutrient_from_form(f));
    EXPECT_EQ(bytes[2], 254);
    EXPECT_EQ(bytes[21], 0);
    EXPECT_EQ(bytes[22], 255);
}

TEST(PhForm, StoredRecordIsFormatOneWithOffsetsCutTo16Bits) {
    PhForm f = ph_form(PhParameters{});
    EXPECT_EQ(f.decimals[2], "-0.01582");
    EXPECT_EQ(f.blank_start_offset, "50");
    f.blank_end_offset = "65537";
    f.decimals[0] = "inf";
    const auto bytes = encode_ph_parameters(ph_from_form(f));
    const auto expected = hex("01 00 00 01 00 00 | 32 00 | 01 00 | 00 00 00 00 | 9A 99 19 3F");
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(bytes[i], expected.bytes[i]) << i;
}

TEST(ChemistryPages, TableDefaultsAndStoredConfiguration) {
    EXPECT_EQ(page_for_chemistry(chem::iron)->name, std::string("Iron"));
    EXPECT_EQ(page_for_chemistry(chem::nitrite), &chemistry_pages[2]);
    for (auto c : {chem::ta, chem::dic, chem::ammonia, std::uint8_t{10}})
        EXPECT_EQ(page_for_chemistry(c), nullptr) << int(c);

    const auto ph = protocol::encode_chemistry_config(default_chemistry_config(chemistry_pages[6]));
    EXPECT_EQ(test::bytes_of(ph),
              hex("00 04 | 64 00 00 00 | 01 | FF FF FF 00 FF FF FF | 00 00 00 00").bytes);
    const auto nitrite =
        protocol::encode_chemistry_config(default_chemistry_config(chemistry_pages[2]));
    EXPECT_EQ(test::bytes_of(nitrite),
              hex("00 05 | E8 03 00 00 | 00 | FF FF FF 00 FF FF FF | 00 00 00 00").bytes);

    // A page sets only its chemistry, interval and multiplexer; the start states and the bytes
    // the program does not interpret travel unchanged.
    ChemistryConfig copy;
    copy.byte0 = 0x42;
    copy.chemistry = chem::ta;
    copy.special_states = {7, 8, 9};
    copy.tail = {1, 2, 3, 4};
    const auto generic = stored_page_config(copy, chemistry_pages[0], "5000", 1);
    EXPECT_EQ(generic.chemistry, chem::generic);
    EXPECT_EQ(generic.sample_interval_ms, 1000u);
    EXPECT_EQ(generic.multiplexer, 0);
    EXPECT_EQ(generic.byte0, 0x42);
    EXPECT_EQ(generic.special_states, copy.special_states);
    EXPECT_EQ(generic.tail, copy.tail);
    EXPECT_EQ(stored_page_config(copy, chemistry_pages[6], "", 1).sample_interval_ms, 100u);
    EXPECT_EQ(stored_page_config(copy, chemistry_pages[6], "", 1).multiplexer, 1);
    EXPECT_EQ(stored_page_config(copy, chemistry_pages[4], "200", 1).sample_interval_ms, 1000u);
}

TEST(ChemistryPages, NutrientEnablingFollowsAdjustmentAndTrigger) {
    constexpr std::uint8_t s1 = 0, s2 = 1, fit = 2, sample = 2;
    auto e = nutrient_enabling(false, fit, sample, true);
    EXPECT_FALSE(e.inputs || e.standard1_state || e.standard2_state || e.optical_correction);

    e = nutrient_enabling(true, fit, sample, false);
    EXPECT_TRUE(e.inputs && e.standard1_state && e.standard2_state && e.standard1_concentration &&
                e.standard2_concentration);
    EXPECT_FALSE(e.optical_correction);

    e = nutrient_enabling(true, s1, sample, true);  // standard 1 only
    EXPECT_TRUE(e.standard1_state && e.standard1_concentration && e.optical_correction);
    EXPECT_FALSE(e.standard2_state || e.standard2_concentration);

    e = nutrient_enabling(true, s1, s2, false);  // ...unless standard 2 triggers processing
    EXPECT_TRUE(e.standard2_state);
    EXPECT_FALSE(e.standard2_concentration);

    e = nutrient_enabling(true, s2, s1, false);
    EXPECT_TRUE(e.standard1_state && e.standard2_state && e.standard2_concentration);
    EXPECT_FALSE(e.standard1_concentration);
}

struct ChemistryLoadSave : test_support::SensorFixture {
    ChemistryBuffers buffers;
    const ChemistryPage* page = nullptr;

    void set_chemistry(std::uint8_t type) {
        ChemistryConfig c;
        c.chemistry = type;
        const auto b = protocol::encode_chemistry_config(c);
        sensor.set_record(cmd::read_chemistry_config, {b.begin(), b.end()});
    }
};

TEST_F(ChemistryLoadSave, FactorySensorLoadsOnItsNutrientPage) {
    ASSERT_EQ(load_chemistry(sensor_link, buffers, page), status::ok);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(std::string(page->name), "Nitrate");
    const auto p = decode_nutrient_parameters(buffers.nutrient);
    EXPECT_EQ(p.format, 1);
    // The factory record makes sense as a whole: the bytes older firmware reads agree with
    // the output path's monitoring channel.
    EXPECT_EQ(p.legacy_monitoring_channel, monitoring_channel_of_output(p, p.output_channel));
    EXPECT_NE(p.standard1_measurement_state, p.sample_measurement_state);
    EXPECT_EQ(common::get_u32le(sensor.requests().back().payload()), 29u);
}

TEST_F(ChemistryLoadSave, ChemistriesWithoutAPageAnswerWrongLength) {
    for (auto type : {chem::ta, chem::dic, chem::ammonia}) {
        set_chemistry(type);
        sensor.clear_requests();
        page = nullptr;
        EXPECT_EQ(load_chemistry(sensor_link, buffers, page), status::wrong_record_length);
        EXPECT_EQ(page, nullptr);
        EXPECT_EQ(requests_of(cmd::read_processing_parameters), 0u);
    }
    sensor.force_status(cmd::read_chemistry_config, 1);
    EXPECT_EQ(load_chemistry(sensor_link, buffers, page), 1);
}

TEST_F(ChemistryLoadSave, OlderFirmwareNitrateRecordIsConvertedOnRead) {
    sensor.set_legacy_nutrient_record(true);
    std::vector<std::uint8_t> legacy(23, 0);
    legacy[2] = 2;   // Short
    legacy[21] = 1;  // with a monitoring channel...
    legacy[22] = 6;  // ...on 6
    sensor.set_parameter_record(legacy);
    ASSERT_EQ(load_chemistry(sensor_link, buffers, page), status::ok);
    const auto p = decode_nutrient_parameters(buffers.nutrient);
    EXPECT_EQ(p.format, 1);
    EXPECT_EQ(p.long_measurement_channel, 0);
    EXPECT_EQ(p.medium_measurement_channel, 1);
    EXPECT_EQ(p.short_measurement_channel, 2);
    EXPECT_EQ(p.long_monitoring_channel, 255);
    EXPECT_EQ(p.medium_monitoring_channel, 255);
    EXPECT_EQ(p.short_monitoring_channel, 6);

    // Saving writes the older record back: format 0, the derived monitoring bytes included.
    auto f = nutrient_form(p);
    f.monitor[2] = choice_index(monitor_choices, 4);
    const auto edited = encode_nutrient_parameters(nutrient_from_form(f));
    std::copy(edited.begin(), edited.end(), buffers.nutrient.begin());
    ASSERT_EQ(save_chemistry(sensor_link, buffers, *page), status::ok);
    const auto stored = sensor.parameter_record(23);
    EXPECT_EQ(stored[0], 0);
    EXPECT_EQ(stored[21], 1);
    EXPECT_EQ(stored[22], 4);
}

TEST_F(ChemistryLoadSave, SaveStopsAtTheFirstFailure) {
    ASSERT_EQ(load_chemistry(sensor_link, buffers, page), status::ok);
    sensor.clear_requests();
    sensor.force_status(cmd::write_chemistry_config, 2);
    EXPECT_EQ(save_chemistry(sensor_link, buffers, *page), 2);
    EXPECT_EQ(requests_of(cmd::write_processing_parameters), 0u);
    sensor.clear_forced_status(cmd::write_chemistry_config);

    sensor.force_status(cmd::write_processing_parameters, 3);
    EXPECT_EQ(save_chemistry(sensor_link, buffers, *page), 3);

    // A pH configuration goes with the 38-byte record.
    sensor.clear_forced_status(cmd::write_processing_parameters);
    buffers.config = default_chemistry_config(chemistry_pages[6]);
    buffers.ph.fill(0x11);
    ASSERT_EQ(save_chemistry(sensor_link, buffers, chemistry_pages[6]), status::ok);
    EXPECT_EQ(sensor.parameter_record(38), std::vector<std::uint8_t>(38, 0x11));
    ASSERT_EQ(load_chemistry(sensor_link, buffers, page), status::ok);
    EXPECT_EQ(std::string(page->name), "pH");
}

}  // namespace
}  // namespace quelmar::config
