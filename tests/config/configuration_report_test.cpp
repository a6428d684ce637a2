// The configuration report against the virtual sensor: the whole report of a known
// configuration compared with a reference written by hand, the failure lines of a sensor that
// does not answer, and the fields whose texts are easy to get wrong.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "config/chemistry_parameters.h"
#include "config/clock_record.h"
#include "config/configuration_report.h"
#include "config/optics_defaults.h"
#include "config/platform_defaults.h"
#include "config/rs232_config.h"
#include "config/rs485_config.h"
#include "config/schedule_settings.h"
#include "config/thermistor_config.h"
#include "protocol/chemistry.h"
#include "protocol/commands.h"
#include "tests/support/sensor_fixture.h"
#include "virtual_sensor/clock_handlers.h"
#include "virtual_sensor/optics_handlers.h"

namespace quelmar::config {
namespace {

namespace chem = protocol::chemistry;
constexpr std::int64_t pc_time = 1773577845;  // 15/03/2026 12:30:45 UTC

std::vector<std::string> golden_lines() {
    std::ifstream in(std::string(QUELMAR_SOURCE_DIR) +
                     "/tests/config/golden/virtual_sensor_report.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool has_line(const ConfigurationReport& r, const std::string& line) {
    return std::find(r.lines.begin(), r.lines.end(), line) != r.lines.end();
}

template <class T>
std::vector<std::uint8_t> record_bytes(const T& record) {
    const auto b = common::encode_record(record);
    return {b.begin(), b.end()};
}

struct GoldenSensor : ::testing::Test {
    static virtual_sensor::VirtualSensorOptions options() {
        virtual_sensor::VirtualSensorOptions o;
        o.name = "Golden Sensor";
        o.serial_number = 2002;
        o.board_serial_number = 17;
        o.device_type = 7323;
        o.bootloader_version = 3;
        o.software_version = "1.3.3";
        return o;
    }
    virtual_sensor::VirtualSensor sensor{options()};
    link::SensorLink sensor_link;
    void SetUp() override {
        virtual_sensor::clock_state(sensor)->pc_now = [] { return pc_time; };
        virtual_sensor::act_as_dic_sensor(sensor);
        sensor.attach();
        ASSERT_EQ(link::sensor_link_open(sensor_link, sensor.path(), 1000), link::LinkResult::ok);
    }
    void TearDown() override { link::sensor_link_close(sensor_link); }

    void configure() {
        SensorClock clock{0, 2026, 3, 15, 12, 0, 0};
        ASSERT_EQ(write_sensor_clock(sensor_link, clock), 0);

        protocol::ChemistryConfig chemistry;
        chemistry.chemistry = chem::dic;
        chemistry.sample_interval_ms = 500;
        chemistry.multiplexer = 0;
        chemistry.autostart_state = 1;
        chemistry.priming_state = 255;
        chemistry.flushing_state = 2;
        chemistry.deployment_state = 3;
        chemistry.special_states = {255, 4, 255};
        ASSERT_EQ(protocol::write_chemistry_config(sensor_link, chemistry), 0);

        DicParameters dic;
        dic.format = 1;
        dic.sensor_version = 2;
        dic.inlets[0] = {inlet_type::sample, 5, 6, 0};
        dic.inlets[1] = {inlet_type::crm, 0, 7, 2.675f};
        dic.inlets[2] = {inlet_type::unused, 0, 0, 0};
        const auto dic_bytes = common::encode_record(dic);
        ASSERT_EQ(protocol::write_processing_parameters(sensor_link, chem::dic, dic_bytes), 0);

        OpticsDefaults optics;
        optics.photodiode_power = 0;
        optics.led_current_ua = {1500, 0, 48000, 250};
        ASSERT_EQ(write_optics_defaults(sensor_link, optics), 0);

        PumpValveDefaults pump;
        pump.pump_direction = 1;
        pump.winding_current_ma = 300;
        pump.step_period_us = 750;
        pump.microstep_code = 2;
        pump.stop_mode = 1;  // step count
        pump.hall_stop_inject = 1500;
        pump.hall_stop_withdraw = 1600;
        pump.stop_time_s = 90;
        pump.hall_power = 1;
        pump.valve_spike_ms = 50;
        ASSERT_EQ(write_pump_valve_defaults(sensor_link, pump), 0);

        DicConductivity conductivity{0, 1, 0.125f, 200, 40};
        ASSERT_EQ(write_dic_conductivity(sensor_link, conductivity), 0);

        ASSERT_EQ(write_thermistor_config(sensor_link, 0, {0, 3, 0.5f, -1.25f, 10, -2}), 0);
        ASSERT_EQ(write_thermistor_config(sensor_link, 1, {0, 4, 0, 0, 10, -10}), 0);
        ASSERT_EQ(write_thermistor_config(sensor_link, 2, {0, 5, 0.001f, 0, 1, 25.5f}), 0);

        Rs232Config rs232{0, 19200, parity::even, 7, 2, rs232_protocol::korvane_glider, 1};
        ASSERT_EQ(write_rs232_config(sensor_link, rs232), 0);
        Rs485Config rs485{0, 38400, parity::none, 8, 1, rs485_protocol::storm_logger, 12, 30};
        ASSERT_EQ(write_rs485_config(sensor_link, rs485), 0);

        PlatformDefaults platform;
        platform.dive_number = 42;
        platform.salinity_psu = 34.5f;
        platform.temperature_c = 12.25f;
        platform.oxygen_ml_l = 6.125f;
        platform.depth_m = 100.5f;
        platform.direction = 3;
        platform.time_offset_s = -3600;
        platform.p1 = 1;
        platform.p2 = -2;
        platform.p3 = 300;
        ASSERT_EQ(write_platform_defaults(sensor_link, platform), 0);

        MeasurementSchedule schedule{3, interval_kind::minutes, 1772323200, 1, 1798761599, 2};
        ASSERT_EQ(write_schedule(sensor_link, schedule), 0);
    }
};

TEST_F(GoldenSensor, WholeReportMatchesTheReferenceLineByLine) {
    configure();
    const ConfigurationReport report = build_configuration_report(sensor_link, pc_time);
    const auto expected = golden_lines();
    ASSERT_FALSE(expected.empty());
    for (std::size_t i = 0; i < std::max(expected.size(), report.lines.size()); ++i) {
        const std::string want = i < expected.size() ? expected[i] : "(nothing)";
        const std::string got = i < report.lines.size() ? report.lines[i] : "(nothing)";
        EXPECT_EQ(got, want) << "line " << i + 1;
    }
    EXPECT_EQ(report.file_base, "Golden Sensor");
    EXPECT_EQ(report_file_name(report.file_base), "Golden Sensor_config.log");
}

TEST_F(GoldenSensor, FailedReadsBecomeTheirLinesWithTheCommandsResultAndTheReportGoesOn) {
    configure();
    sensor.force_status(protocol::cmd::read_clock, 7);
    sensor.force_status(protocol::cmd::read_pump_valve_defaults, 5);
    sensor.force_status(protocol::cmd::read_dic_conductivity, 3);
    const ConfigurationReport report = build_configuration_report(sensor_link, pc_time);
    EXPECT_TRUE(has_line(report, "unable to read DEVICE configuration from sensor (status=7)"));
    // The optics failure hides the optics lines, but the DIC conductivity is still read.
    EXPECT_TRUE(has_line(report,
                         "unable to read optics, valves and pump defaults configuration "
                         "from sensor (status=5)"));
    EXPECT_FALSE(has_line(report, "LED 0 current (mA): 1.500"));
    EXPECT_TRUE(has_line(report, "unable to read DIC configuration from sensor (status=3)"));
    EXPECT_EQ(report.lines.back(), "Firmware Version: 1.3.3");
}

TEST(ConfigurationReport, ASensorThatIsNotConnectedGivesEverySectionWithFailureLines) {
    link::SensorLink closed;  // never opened: every exchange fails
    const ConfigurationReport report = build_configuration_report(closed, pc_time);
    const std::vector<std::string> expected_failures = {
        "unable to read DEVICE state/configuration from sensor",
        "unable to read DEVICE configuration from sensor (status=14)",
        "unable to read chemistry configuration from sensor (status=14)",
        "unable to read optics, valves and pump defaults configuration from sensor (status=14)",
        "unable to read thermistor 0 configuration from sensor (status=14)",
        "unable to read thermistor 1 configuration from sensor (status=14)",
        "unable to read thermistor 2 configuration from sensor (status=14)",
        "unable to read RS232 configuration from sensor (status=14)",
        "unable to read RS485 configuration from sensor (status=14)",
        "unable to read platform defaults configuration from sensor (status=14)",
        "unable to read schedule configuration from sensor (status=14)",
        "unable to read SOFTWARE configuration from sensor (status=14)"};
    for (const auto& line : expected_failures)
        EXPECT_TRUE(has_line(report, line)) << line;
    // Ten sections of three heading lines, the PC time, and the failures.
    EXPECT_EQ(report.lines.size(), 30 + 1 + expected_failures.size());
    EXPECT_TRUE(has_line(report, "PC time now: 15/03/2026 12:30:45 UTC"));
    EXPECT_EQ(report_file_name(report.file_base), "QUELMAR_config.log");
}

struct ReportFields : test_support::SensorFixture {
    ConfigurationReport report() { return build_configuration_report(sensor_link, pc_time); }
    void set_nutrient(std::uint8_t adjustment) {
        protocol::ChemistryConfig c;
        c.chemistry = chem::nitrate;
        ASSERT_EQ(protocol::write_chemistry_config(sensor_link, c), 0);
        NutrientParameters p;
        p.format = 1;
        p.standard_adjustment = adjustment;
        p.standard1_concentration = 5000;
        p.standard2_concentration = 20500;
        const auto bytes = common::encode_record(p);
        ASSERT_EQ(protocol::write_processing_parameters(sensor_link, chem::nitrate, bytes), 0);
    }
};

TEST_F(ReportFields, NutrientStandardLinesFollowTheAdjustment) {
    set_nutrient(1);
    auto r = report();
    EXPECT_TRUE(has_line(r, "Standard Adjustment: Standard 2"));
    EXPECT_FALSE(has_line(r, "Standard 1 Measurement Concentration (uM): 5.000"));
    EXPECT_TRUE(has_line(r, "Standard 2 Measurement Concentration (uM): 20.500"));

    set_nutrient(0);
    r = report();
    EXPECT_TRUE(has_line(r, "Standard 1 Measurement Concentration (uM): 5.000"));
    EXPECT_FALSE(has_line(r, "Standard 2 Measurement Concentration (uM): 20.500"));

    set_nutrient(2);
    r = report();
    EXPECT_TRUE(has_line(r, "Standard Adjustment: Linear"));
    EXPECT_TRUE(has_line(r, "Standard 1 Measurement Concentration (uM): 5.000"));
    EXPECT_TRUE(has_line(r, "Standard 2 Measurement Concentration (uM): 20.500"));
}

TEST_F(ReportFields, ScheduleCountsAndParityCodes) {
    MeasurementSchedule hourly{3, interval_kind::hours, 0, 0, 0, 1};
    ASSERT_EQ(write_schedule(sensor_link, hourly), 0);
    Rs232Config rs232{0, 9600, parity::none, 8, 1, 0, 0};
    ASSERT_EQ(write_rs232_config(sensor_link, rs232), 0);
    auto r = report();
    EXPECT_TRUE(has_line(r, "Interval: Measure every 1 hour"));
    EXPECT_TRUE(has_line(r, "Start Time: 01/01/1970 00:00:00"));
    EXPECT_TRUE(has_line(r, "Parity: None"));

    // A start time the sensor's signed count cannot hold prints as invalid, never as a date.
    MeasurementSchedule odd{3, 9, 0x80000000u, 1, 0xFFFFFFFFu, 0};
    ASSERT_EQ(write_schedule(sensor_link, odd), 0);
    r = report();
    EXPECT_TRUE(has_line(r, "Start Time: invalid"));
    EXPECT_TRUE(has_line(r, "Interval: unknown (9)"));
    EXPECT_TRUE(has_line(r, "Stop Time: invalid"));
}

TEST(ReportText, ClipboardAndFileLinesEndInCrLf) {
    EXPECT_EQ(report_text_crlf({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(report_text_crlf({}), "");
}

}  // namespace
}  // namespace quelmar::config
