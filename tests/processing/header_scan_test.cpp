// Header scans per reader, the parameter records' codecs and the settings checks.

#include "processing/header_scan.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/bytes.h"
#include "config/chemistry_parameters.h"
#include "processing/nutrient_engine.h"
#include "processing/processing_form.h"

namespace quelmar::processing {
namespace {

TEST(HeaderScan, KeyWrittenTwiceKeepsTheLaterValue) {
    MemorySource f(
        "%QUELMAR.HEADER_START\n%QUELMAR.CHEMISTRY.TYPE=1\n"
        "%QUELMAR.CHEMISTRY.BLANK_MEASUREMENT_STATE=4\n"
        "%QUELMAR.CHEMISTRY.BLANK_MEASUREMENT_STATE=9\n%QUELMAR.HEADER_END\n");
    NutrientSettings s;
    const HeaderScan scan = scan_nutrient_header(f, s, NutrientReader::single_file);
    EXPECT_TRUE(scan.header_found);
    EXPECT_EQ(1, s.chemistry);
    EXPECT_EQ(9, s.params.blank_measurement_state);
}

TEST(HeaderScan, CounterTitleLineEndsTheScanButNotForPh) {
    const std::string text =
        "%QUELMAR.HEADER_START\n%QUELMAR.CHEMISTRY.TYPE=7\n%Counter,State\n"
        "%QUELMAR.CHEMISTRY.SAMPLE_INTAKE_STATE=5\n";
    MemorySource f(text);
    TaSettings ta;
    EXPECT_TRUE(scan_ta_header(f, ta).header_found);
    EXPECT_EQ(7, ta.chemistry);
    EXPECT_EQ(0, ta.params.sample_intake_state);

    PhSettings ph;
    MemorySource g(text);
    scan_ph_header(g, ph);
    EXPECT_EQ(5, ph.params.sample_intake_state);  // the pH scan reads to the end of file
}

TEST(HeaderScan, StartMarkerIsWhatCountsAsAHeader) {
    MemorySource f("%QUELMAR.CHEMISTRY.TYPE=8\n%QUELMAR.HEADER_END\n");
    DicSettings s;
    EXPECT_FALSE(scan_dic_header(f, s).header_found);
    EXPECT_EQ(8, s.chemistry);  // keys count wherever they stand, the flag does not
}

TEST(HeaderScan, DefaultsBeforeAnyKey) {
    MemorySource f("%QUELMAR.HEADER_START\n");
    PhSettings ph;
    scan_ph_header(f, ph);
    EXPECT_EQ(4, ph.chemistry);  // pH assumes its own chemistry
    EXPECT_EQ(100u, ph.sample_interval_ms);
    EXPECT_EQ(0.5f, ph.params.thermistor1_scale);
    EXPECT_EQ(0, ph.params.yellow_channel);
    NutrientSettings n;
    f.rewind();
    scan_nutrient_header(f, n, NutrientReader::single_file);
    EXPECT_EQ(0, n.chemistry);
    EXPECT_EQ(255, n.params.medium_monitoring_channel);
    EXPECT_EQ(0, n.params.short_measurement_channel);
}

TEST(HeaderScan, ValueFormsAndWidths) {
    MemorySource f(
        "%QUELMAR.HEADER_START\n"
        "%QUELMAR.CHEMISTRY.STANDARD1_CONCENTRATION=2.5\n"
        "%QUELMAR.CHEMISTRY.STANDARD2_CONCENTRATION=1.2345\n"
        "  %QUELMAR.CHEMISTRY.SAMPLE_INTAKE_STATE= 257\n"
        "%QUELMAR.CHEMISTRY.STANDARD_ADJUSTMENT=x\n");
    NutrientSettings s;
    scan_nutrient_header(f, s, NutrientReader::single_file);
    EXPECT_EQ(2500u, s.params.standard1_concentration);
    EXPECT_EQ(1234u, s.params.standard2_concentration);
    EXPECT_EQ(1, s.params.sample_intake_state);  // low 8 bits; "%%" skips white space
    EXPECT_EQ(0, s.params.standard_adjustment);
    EXPECT_EQ(0u, concentration_thousandths(-3));
    EXPECT_EQ(4294967295u, concentration_thousandths(1e30));
    EXPECT_EQ(0u, concentration_thousandths(std::nan("")));
}

TEST(HeaderScan, StandardConcentrationsAreTheDecimalsAsWritten) {
    // Every two-decimal value up to 100 µM, through the header key and through the dialog's
    // field: "2.01" is 2010 thousandths (2.01 × 1000 in binary truncates to 2009).
    for (int hundredths = 0; hundredths <= 10000; ++hundredths) {
        const std::string value =
            std::to_string(hundredths / 100) + "." + std::to_string(hundredths % 100 / 10) +
            std::to_string(hundredths % 10);
        NutrientSettings s;
        ASSERT_TRUE(apply_nutrient_key("%QUELMAR.CHEMISTRY.STANDARD1_CONCENTRATION=" + value, s,
                                       NutrientReader::single_file));
        ASSERT_EQ(s.params.standard1_concentration, static_cast<std::uint32_t>(hundredths * 10))
            << value;
        ASSERT_EQ(read_concentration(value), static_cast<std::uint32_t>(hundredths * 10)) << value;
    }
    // The other forms the key takes: exponent, hexadecimal, infinity, beyond 32 bits.
    const std::pair<const char*, std::uint32_t> forms[] = {
        {" 2.01e1", 20100}, {"0x1p3", 8000}, {"inf", 4294967295u}, {"-inf", 0},
        {"nan", 0},         {"1e12", 4294967295u}, {"-2.01", 0}, {"1.2345", 1234}};
    for (const auto& [value, expected] : forms) {
        NutrientSettings s;
        ASSERT_TRUE(apply_nutrient_key(
            std::string("%QUELMAR.CHEMISTRY.STANDARD2_CONCENTRATION=") + value, s,
            NutrientReader::multi_file));
        EXPECT_EQ(s.params.standard2_concentration, expected) << value;
        EXPECT_EQ(read_concentration(value), expected) << value;
    }
}

TEST(HeaderScan, PhWidths) {
    MemorySource f(
        "%QUELMAR.HEADER_START\n%QUELMAR.CHEMISTRY.SAMPLE_INTERVAL=70000\n"
        "%QUELMAR.CHEMISTRY.BLANK_END_OFFSET=65606\n%QUELMAR.CHEMISTRY.DPH_BY_DT=-1e-2\n"
        "%QUELMAR.CHEMISTRY.THERMISTOR_CAL_D.1=7.5\n");
    PhSettings s;
    scan_ph_header(f, s);
    EXPECT_EQ(70000u, s.sample_interval_ms);
    EXPECT_EQ(70, s.params.blank_end_offset);
    EXPECT_EQ(-0.01f, s.params.dph_dt);
    EXPECT_EQ(7.5f, s.thermistors[1].d);
}

TEST(HeaderScan, DicInletsBeyondTheThirdAreIgnored) {
    MemorySource f(
        "%QUELMAR.HEADER_START\n%QUELMAR.CHEMISTRY.INLET.2.TYPE=2\n"
        "%QUELMAR.CHEMISTRY.INLET.3.TYPE=1\n%QUELMAR.CHEMISTRY.INLET.0.CRM_VALUE=2030.5\n");
    DicSettings s;
    scan_dic_header(f, s);
    EXPECT_EQ(2, s.params.inlets[2].type);
    EXPECT_EQ(2030.5f, s.params.inlets[0].crm_value);
}

TEST(HeaderScan, MultiFileTakesSensorNameAndOlderSinglePathHeader) {
    const std::string text =
        "%QUELMAR.HEADER_START\n%QUELMAR.CORE.SENSOR_NAME=A sensor with a long name\r\n"
        "%QUELMAR.CHEMISTRY.TYPE=2\n%QUELMAR.CHEMISTRY.MEASUREMENT_CHANNEL_LONG=5\n"
        "%QUELMAR.CHEMISTRY.INPUT_CHANNEL=1\n%QUELMAR.CHEMISTRY.ENABLE_DRIFT_CORRECTION_STATE=1\n"
        "%QUELMAR.CHEMISTRY.DRIFT_MONITORING_CHANNEL=3\n%QUELMAR.HEADER_END\n";
    MemorySource f(text);
    NutrientSettings m;
    scan_nutrient_header(f, m, NutrientReader::multi_file);
    EXPECT_EQ("A sensor with a long", m.sensor_name);
    EXPECT_EQ(0, m.params.long_measurement_channel);
    EXPECT_EQ(1, m.params.medium_measurement_channel);
    EXPECT_EQ(2, m.params.short_measurement_channel);
    EXPECT_EQ(1, m.params.output_channel);
    EXPECT_EQ(3, m.params.medium_monitoring_channel);
    EXPECT_EQ(255, m.params.long_monitoring_channel);

    NutrientSettings single;
    scan_nutrient_header(f, single, NutrientReader::single_file);
    EXPECT_EQ(5, single.params.long_measurement_channel);  // the older keys are ignored here
    EXPECT_EQ("", single.sensor_name);
}

TEST(HeaderScan, ReadErrorIsReported) {
    MemorySource f("%QUELMAR.HEADER_START\n%QUELMAR.CHEMISTRY.TYPE=1\n", 10);
    NutrientSettings s;
    EXPECT_TRUE(scan_nutrient_header(f, s, NutrientReader::single_file).read_error);
}

TEST(SettingsCheck, ChannelsBeyondTheEightAreRefused) {
    NutrientSettings n = nutrient_scan_defaults();
    EXPECT_EQ("", check_nutrient_settings(n));
    n.params.short_monitoring_channel = 8;
    EXPECT_NE(std::string::npos, check_nutrient_settings(n).find("Channel 8"));
    n.params.short_monitoring_channel = 255;
    n.params.long_measurement_channel = 255;  // "none" is only for monitoring channels
    EXPECT_NE("", check_nutrient_settings(n));

    PhSettings p = ph_scan_defaults();
    EXPECT_EQ("", check_ph_settings(p));
    p.thermistors[1].channel = 9;
    EXPECT_NE(std::string::npos, check_ph_settings(p).find("thermistor 1"));
    TaSettings t;
    t.params.measurement_channel = 12;
    EXPECT_NE("", check_ta_settings(t));
    t.params.measurement_channel = 0;
    t.params.monitoring_channel_led1 = 200;  // carried, never used
    EXPECT_EQ("", check_ta_settings(t));
    DicSettings d;
    d.thermistor.channel = 8;
    EXPECT_NE("", check_dic_settings(d));
}

TEST(SettingsCheck, PhSampleIntervalZeroIsRefused) {
    PhSettings p = ph_scan_defaults();
    p.sample_interval_ms = 0;
    EXPECT_NE(std::string::npos, check_ph_settings(p).find("sample interval of 0"));
}

TEST(ChemistryParameters, CodecsKeepEveryByte) {
    std::array<std::uint8_t, config::ta_parameters_size> ta{};
    for (std::size_t i = 0; i < ta.size(); ++i)
        ta[i] = static_cast<std::uint8_t>(i * 7 + 1);
    EXPECT_EQ(ta, config::encode_ta_parameters(config::decode_ta_parameters(ta)));
    std::array<std::uint8_t, config::dic_parameters_size> dic{};
    for (std::size_t i = 0; i < dic.size(); ++i)
        dic[i] = static_cast<std::uint8_t>(i * 5 + 3);
    EXPECT_EQ(dic, config::encode_dic_parameters(config::decode_dic_parameters(dic)));
    std::array<std::uint8_t, config::nutrient_parameters_size> nut{};
    for (std::size_t i = 0; i < nut.size(); ++i)
        nut[i] = static_cast<std::uint8_t>(i * 3);
    EXPECT_EQ(nut, config::encode_nutrient_parameters(config::decode_nutrient_parameters(nut)));
    std::array<std::uint8_t, config::ph_parameters_size> ph{};
    for (std::size_t i = 0; i < ph.size(); ++i)
        ph[i] = static_cast<std::uint8_t>(i + 40);
    EXPECT_EQ(ph, config::encode_ph_parameters(config::decode_ph_parameters(ph)));
    std::array<std::uint8_t, config::generic_parameters_size> gen{};
    for (std::size_t i = 0; i < gen.size(); ++i)
        gen[i] = static_cast<std::uint8_t>(i + 9);
    EXPECT_EQ(gen, config::encode_generic_parameters(config::decode_generic_parameters(gen)));
}

TEST(ChemistryParameters, LayoutOffsetsAndDefaults) {
    config::PhParameters ph;
    const auto b = config::encode_ph_parameters(ph);
    EXPECT_EQ(50, b[6]);
    EXPECT_EQ(70, b[8]);
    EXPECT_EQ(1, b[3]);
    EXPECT_EQ(-0.01582f, config::decode_ph_parameters(b).dph_dt);
    config::NutrientParameters n;
    n.output_channel = 1;
    n.medium_monitoring_channel = 3;
    config::derive_legacy_monitoring(n);
    auto nb = config::encode_nutrient_parameters(n);
    EXPECT_EQ(1, nb[21]);
    EXPECT_EQ(3, nb[22]);
    EXPECT_EQ(3, nb[27]);
    n.output_channel = config::output_channel::adaptive;
    config::derive_legacy_monitoring(n);
    EXPECT_EQ(0, n.legacy_has_monitoring);
    EXPECT_EQ(255, n.legacy_monitoring_channel);
    config::DicParameters d;
    d.inlets[1].crm_value = 2030.5f;
    d.inlets[1].type = 2;
    const auto db = config::encode_dic_parameters(d);
    EXPECT_EQ(2, db[11]);
    EXPECT_EQ(2030.5f, common::get_f32le(&db[14]));
}

}  // namespace
}  // namespace quelmar::processing
