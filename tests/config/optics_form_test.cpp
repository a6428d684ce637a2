// The optics, valves and pump defaults without a window: the two sensor-dependent records
// against their tables, the clamps and conversions of the boxes, the enabling rules, and the
// load and save sequences against the virtual sensor.

#include <gtest/gtest.h>

#include <cmath>

#include "config/optics_form.h"
#include "protocol/commands.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"
#include "virtual_sensor/optics_handlers.h"

namespace quelmar::config {
namespace {

using test::bytes_of;
using test::hex;
using test::Image;
namespace cmd = protocol::cmd;

TEST(OpticsRecords, DicAndPhotomultiplierMatchTheirByteImages) {
    const Image dic_image = hex("00 | 01 | 00 00 80 BE | D0 07 | 64");
    const DicConductivity dic = decode_dic_conductivity(dic_image.as<dic_conductivity_size>());
    EXPECT_EQ(dic.rxgain, 1);
    EXPECT_EQ(dic.offset_v, -0.25f);
    EXPECT_EQ(dic.frequency_khz, 2000);
    EXPECT_EQ(dic.excitation_pct, 100);
    EXPECT_EQ(bytes_of(encode_dic_conductivity(dic)), dic_image.bytes);

    const Image pmt_image = hex("00 | 01 | CD CC 8C 3F") + test::zeros(14);
    const PmtSettings pmt = decode_pmt_settings(pmt_image.as<pmt_settings_size>());
    EXPECT_EQ(pmt.instrument, pmt_instrument::h10492);
    EXPECT_EQ(pmt.control_v, 1.1f);
    EXPECT_EQ(bytes_of(encode_pmt_settings(pmt)), pmt_image.bytes);
}

// A form as the dialog shows the factory settings, so each test changes only what it checks.
OpticsForm plain_form() {
    OpticsForm f;
    f.led_ma = {"20", "20", "15", "0"};
    f.pmt_control_v = "0.8";
    f.dic_frequency_khz = "100";
    f.dic_excitation_pct = "50";
    f.dic_offset_v = "0";
    f.pump_current_ma = "400";
    f.pump_step_period_us = "500";
    f.hall_inject = "2000";
    f.hall_withdraw = "2000";
    f.pump_timeout_s = "60";
    f.valve_spike_ms = "100";
    return f;
}

OpticsSettings stored(OpticsForm& f) {
    OpticsSettings s;
    store_form(f, s);
    return s;
}

TEST(OpticsFields, LedCurrentsAreExactThousandthsCappedAt48mA) {
    OpticsForm f = plain_form();
    f.led_ma = {"50", "1.2345", "0.001", "-3"};
    OpticsSettings s = stored(f);
    EXPECT_EQ(s.optics.led_current_ua, (std::array<std::uint16_t, 4>{48000, 1234, 1, 0}));
    EXPECT_EQ(s.optics.byte1, 1);
    show_records(s, f);
    EXPECT_EQ(f.led_ma[0], "48.000");
    EXPECT_EQ(f.led_ma[1], "1.234");
    // 4.095 mA is 4095 µA, where multiplying the nearest float or double by 1000 gives 4094.
    EXPECT_EQ(led_current_field("4.095"), 4095);
}

TEST(OpticsFields, NonNumbersAndOverflowsNeverReachTheSensor) {
    for (const char* text :
         {"nan", "inf", "-inf", "NAN(123)", "1e39", "-1e39", "1e400", "abc", ""}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(std::isfinite(typed_decimal_box(text)));
        EXPECT_EQ(led_current_field(text) <= max_led_current_ua, true);
    }
    EXPECT_EQ(led_current_field("nan"), 0);
    EXPECT_EQ(led_current_field("1e400"), max_led_current_ua);
    EXPECT_EQ(typed_decimal_box("  +0.75V"), 0.75f);
    EXPECT_EQ(typed_decimal_box("-0.25"), -0.25f);
    // Only the first 23 characters of a decimal box count.
    EXPECT_EQ(typed_decimal_box("0.0000000000000000000001"), 0.0f);

    OpticsForm f = plain_form();
    f.dic_offset_v = "inf";
    f.pmt_control_v = "nan";
    OpticsSettings s = stored(f);
    EXPECT_EQ(s.dic.offset_v, 0.0f);
    EXPECT_EQ(s.pmt.control_v, 0.0f);
}

TEST(OpticsFields, PhotomultiplierVoltageIsHeldToTheH10492Range) {
    OpticsForm f = plain_form();
    f.pmt_instrument = 1;
    f.pmt_control_v = "0.2";
    EXPECT_EQ(stored(f).pmt.control_v, 0.5f);
    EXPECT_EQ(f.pmt_control_v, "0.50000");
    f.pmt_control_v = "5";
    EXPECT_EQ(stored(f).pmt.control_v, 1.1f);
    EXPECT_EQ(f.pmt_control_v, "1.10000");
    f.pmt_control_v = "inf";  // the non-numeric 0, then held
    EXPECT_EQ(stored(f).pmt.control_v, 0.5f);
    f.pmt_control_v = " 0.7";  // within the range, but still rewritten as stored
    EXPECT_EQ(stored(f).pmt.control_v, 0.7f);
    EXPECT_EQ(f.pmt_control_v, "0.70000");

    f.pmt_instrument = 0;
    f.pmt_control_v = "0.2";
    EXPECT_EQ(stored(f).pmt.control_v, 0.2f);
    EXPECT_EQ(f.pmt_control_v, "0.2");
}

TEST(OpticsFields, IntegerBoxesAreClampedToTheirRanges) {
    OpticsForm f = plain_form();
    f.hall_inject = "0";
    f.hall_withdraw = "5000";
    f.pump_current_ma = "1";
    f.pump_step_period_us = "99999999999999999999999";  // past 64 bits
    f.dic_frequency_khz = "7";
    f.dic_excitation_pct = "250";
    f.valve_spike_ms = "4000";
    f.pump_timeout_s = "-5";
    OpticsSettings s = stored(f);
    EXPECT_EQ(s.pump.hall_stop_inject, 1);
    EXPECT_EQ(s.pump.hall_stop_withdraw, 4095);
    EXPECT_EQ(s.pump.winding_current_ma, 10);
    EXPECT_EQ(s.pump.step_period_us, 131071u);
    EXPECT_EQ(s.dic.frequency_khz, 20);
    EXPECT_EQ(s.dic.excitation_pct, 100);
    EXPECT_EQ(s.pump.valve_spike_ms, 3000);
    EXPECT_EQ(s.pump.stop_time_s, 0u);
    EXPECT_EQ(s.pump.step_count, 0u);

    f.hall_inject = "";
    f.pump_current_ma = "2000";
    f.dic_frequency_khz = "3000";
    f.pump_timeout_s = "99999999999";
    s = stored(f);
    EXPECT_EQ(s.pump.hall_stop_inject, 1);
    EXPECT_EQ(s.pump.winding_current_ma, 1600);
    EXPECT_EQ(s.dic.frequency_khz, 2000);
    EXPECT_EQ(s.pump.stop_time_s, 4294967295u);
}

TEST(OpticsFields, ListsMapToTheirCodes) {
    OpticsForm f = plain_form();
    f.stop_condition = 1;  // "Timeout" comes second in the list
    f.microstepping = 4;   // "1"
    f.direction = 1;
    EXPECT_EQ(stored(f).pump.stop_mode, stop_condition::timeout);
    f.stop_condition = 2;
    OpticsSettings s = stored(f);
    EXPECT_EQ(s.pump.stop_mode, stop_condition::step_count);
    EXPECT_EQ(s.pump.microstep_code, 4);
    EXPECT_EQ(s.pump.pump_direction, 1);

    // Codes the program has no entry for, as a sensor might hold, show as the first entry.
    s.pump.stop_mode = 9;
    s.pump.microstep_code = 7;
    s.pmt.instrument = 3;
    show_records(s, f);
    EXPECT_EQ(f.stop_condition, 0);
    EXPECT_EQ(f.microstepping, 0);
    EXPECT_EQ(f.pmt_instrument, 0);
}

TEST(OpticsFields, RecordsShowInTheirFormats) {
    OpticsSettings s;
    s.pmt.control_v = 0.75f;
    s.dic.offset_v = 0.12345f;  // held as 0.1234499...: the display adds 0.00001
    s.pump.stop_time_s = 60;
    OpticsForm f;
    show_records(s, f);
    EXPECT_EQ(f.pmt_control_v, "0.75000");
    EXPECT_EQ(f.dic_offset_v, "0.1235");
    EXPECT_EQ(f.pump_timeout_s, "60");
    s.pmt.control_v = std::nanf("");  // from the sensor; shown, but never sent back as NaN
    show_records(s, f);
    OpticsSettings again;
    store_form(f, again);
    EXPECT_FALSE(std::isnan(again.pmt.control_v));
}

TEST(OpticsFields, ChoosingHallSensorsSwitchesTheirPowerOn) {
    OpticsForm f = plain_form();
    f.stop_condition = 1;
    f.hall_power = false;
    f.led_ma[0] = "50";
    OpticsSettings s;
    stop_condition_chosen(f, s);
    EXPECT_FALSE(f.hall_power);
    EXPECT_EQ(f.led_ma[0], "50");  // nothing is shown again for Timeout

    f.stop_condition = 0;
    stop_condition_chosen(f, s);
    EXPECT_TRUE(f.hall_power);
    EXPECT_EQ(s.pump.hall_power, 1);
    EXPECT_EQ(f.led_ma[0], "48.000");
}

TEST(OpticsEnablingRules, FollowFlagsStopConditionAndTestBoxes) {
    OpticsSettings s;
    OpticsForm f = plain_form();
    OpticsEnabling e = idle_enabling(s, f);
    EXPECT_FALSE(e.pmt_instrument);
    EXPECT_FALSE(e.pmt_control);
    EXPECT_FALSE(e.dic);
    EXPECT_TRUE(e.hall_stop_values);
    EXPECT_TRUE(e.pump_timeout);
    EXPECT_FALSE(e.hall_power);
    EXPECT_FALSE(e.valve_boxes);
    EXPECT_FALSE(e.pump_continuously);
    EXPECT_FALSE(e.start);

    s.pmt_supported = true;
    s.dic_supported = true;
    e = idle_enabling(s, f);
    EXPECT_TRUE(e.pmt_instrument);
    EXPECT_FALSE(e.pmt_control);  // instrument None
    EXPECT_TRUE(e.dic);
    f.pmt_instrument = 1;
    EXPECT_TRUE(idle_enabling(s, f).pmt_control);

    f.stop_condition = 1;  // Timeout
    e = idle_enabling(s, f);
    EXPECT_FALSE(e.hall_stop_values);
    EXPECT_TRUE(e.pump_timeout);
    EXPECT_TRUE(e.hall_power);
    f.stop_condition = 2;  // Step Count
    EXPECT_FALSE(idle_enabling(s, f).pump_timeout);

    f.test_pump = true;
    e = idle_enabling(s, f);
    EXPECT_TRUE(e.pump_continuously);
    EXPECT_TRUE(e.start);
    EXPECT_FALSE(e.valve_boxes);
    f.test_pump = false;
    f.test_valves = true;
    e = idle_enabling(s, f);
    EXPECT_TRUE(e.valve_boxes);
    EXPECT_TRUE(e.start);
    f.test_valves = false;
    f.test_optics = true;
    EXPECT_TRUE(idle_enabling(s, f).start);
}

using OpticsLoadSave = test_support::SensorFixture;

TEST_F(OpticsLoadSave, FactorySensorLoadsWithPhotomultiplierButNoDic) {
    OpticsSettings s;
    ASSERT_EQ(load_optics_settings(sensor_link, s), protocol::status::ok);
    EXPECT_TRUE(s.pmt_supported);
    EXPECT_FALSE(s.dic_supported);
    EXPECT_NE(s.chemistry.chemistry, protocol::chemistry::dic);
    EXPECT_EQ(requests_of(cmd::read_dic_conductivity), 0u);  // not a DIC sensor: not asked
    EXPECT_NE(s.optics.led_current_ua[0], 0);
    EXPECT_NE(s.pump.hall_stop_inject, 0);
}

TEST_F(OpticsLoadSave, SaveWritesOnlyWhatTheSensorHasAndReadsBackTheSame) {
    virtual_sensor::set_photomultiplier_fitted(sensor, false);
    OpticsSettings s;
    ASSERT_EQ(load_optics_settings(sensor_link, s), protocol::status::ok);
    EXPECT_FALSE(s.pmt_supported);
    s.optics.led_current_ua[3] = 12345;
    s.pump.valve_spike_ms = 250;
    sensor.clear_requests();
    ASSERT_EQ(save_optics_settings(sensor_link, s), protocol::status::ok);
    EXPECT_EQ(requests_of(cmd::write_photomultiplier), 0u);
    EXPECT_EQ(requests_of(cmd::write_dic_conductivity), 0u);
    EXPECT_EQ(requests_of(cmd::write_optics_defaults), 1u);
    EXPECT_EQ(requests_of(cmd::write_pump_valve_defaults), 1u);

    OpticsSettings back;
    ASSERT_EQ(load_optics_settings(sensor_link, back), protocol::status::ok);
    EXPECT_EQ(back.optics, s.optics);
    EXPECT_EQ(back.pump, s.pump);
}

TEST_F(OpticsLoadSave, DicSensorReadsAndWritesItsConductivitySettings) {
    virtual_sensor::act_as_dic_sensor(sensor);
    OpticsSettings s;
    ASSERT_EQ(load_optics_settings(sensor_link, s), protocol::status::ok);
    EXPECT_TRUE(s.dic_supported);
    s.dic.frequency_khz = 1500;
    ASSERT_EQ(save_optics_settings(sensor_link, s), protocol::status::ok);
    OpticsSettings back;
    ASSERT_EQ(load_optics_settings(sensor_link, back), protocol::status::ok);
    EXPECT_EQ(back.dic.frequency_khz, 1500);
}

TEST_F(OpticsLoadSave, FailuresStopTheSequence) {
    sensor.force_status(cmd::read_chemistry_config, 3);
    OpticsSettings s;
    EXPECT_EQ(load_optics_settings(sensor_link, s), 3);
    EXPECT_EQ(requests_of(cmd::read_pump_valve_defaults), 0u);
    sensor.clear_forced_status(cmd::read_chemistry_config);

    ASSERT_EQ(load_optics_settings(sensor_link, s), protocol::status::ok);
    sensor.force_status(cmd::write_photomultiplier, 5);
    sensor.clear_requests();
    EXPECT_EQ(save_optics_settings(sensor_link, s), 5);
    EXPECT_EQ(requests_of(cmd::write_pump_valve_defaults), 0u);
}

}  // namespace
}  // namespace quelmar::config
