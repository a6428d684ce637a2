#include "virtual_sensor/run_handlers.h"

#include <gtest/gtest.h>

#include "tests/support/sensor_fixture.h"
#include "protocol/readings.h"
#include "config/thermistor_config.h"
#include "protocol/chemistry.h"
#include "protocol/command.h"
#include "protocol/commands.h"

using namespace quelmar;
using namespace quelmar::protocol;
using test_support::load_machine;

namespace {

struct RunHandlers : test_support::SensorFixture {
    std::uint8_t mode = 0xEE;
    protocol::ReadingsBytes entry{};
    protocol::ReadingsEntry reading() {
        EXPECT_EQ(protocol::read_readings(sensor_link, mode, entry), status::ok);
        return protocol::decode_readings_entry(entry);
    }
    SensorStatus start(std::uint8_t state) {
        return send_command(sensor_link, cmd::start_state_machine, {&state, 1});
    }
};

TEST_F(RunHandlers, IdleSensorReportsIdleWithSteadyReadings) {
    const auto a = reading();
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(a.state, state_none);
    EXPECT_NE(a.platform_valid, 0);
    EXPECT_EQ(a.supply_mv, sensor.options().supply_mv);
    // Asked twice within a second the sensor repeats its reading.
    const auto b = reading();
    if (b.counter == a.counter) {
        EXPECT_EQ(b.channels, a.channels);
    }
    for (auto c : a.channels) EXPECT_GT(c, 0);
}

TEST_F(RunHandlers, StartNeedsALoadedMachineAndAStateOfIt) {
    EXPECT_EQ(start(0), virtual_sensor::run_refused_status);
    load_machine(sensor, 3);
    EXPECT_EQ(start(3), virtual_sensor::run_refused_status);
    EXPECT_EQ(reading().state, state_none);

    ASSERT_EQ(start(1), status::ok);
    const auto running = reading();
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(running.state, 1);

    ASSERT_EQ(send_command(sensor_link, cmd::stop_state_machine), status::ok);
    const auto stopped = reading();
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(stopped.state, state_none);
    // The absorbance channels show the cell's contents while running.
    EXPECT_NE(running.channels[0], stopped.channels[0]);
}

TEST_F(RunHandlers, AMachineThatReachesItsIdleStateReportsIdle) {
    load_machine(sensor, 2, 0);  // state 0 lasts no time, state 1 is idle
    ASSERT_EQ(start(0), status::ok);
    const auto r = reading();
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(r.state, 1);
}

TEST_F(RunHandlers, LowVoltageCanBeInjected) {
    load_machine(sensor, 2);
    sensor.force_status(cmd::start_state_machine, status::voltage_too_low);
    EXPECT_EQ(start(0), status::voltage_too_low);
    reading();
    EXPECT_EQ(mode, 2);
}

TEST_F(RunHandlers, ThreeThermistorsReadAndWrite) {
    for (std::uint8_t i = 0; i < 3; ++i) {
        config::ThermistorConfig t;
        ASSERT_EQ(config::read_thermistor_config(sensor_link, i, t), status::ok);
        EXPECT_LT(t.input_channel, 8);
    }
    std::array<std::uint8_t, 18> reply{};
    const std::uint8_t three = 3;
    EXPECT_EQ(send_command(sensor_link, cmd::read_thermistor, {&three, 1}, reply),
              virtual_sensor::run_refused_status);

    config::ThermistorConfig edited;
    edited.input_channel = 2;
    edited.c3 = 1.5f;
    edited.c0 = -4.0f;
    const auto bytes = config::encode_thermistor_config(edited);
    std::vector<std::uint8_t> request{1};
    request.insert(request.end(), bytes.begin(), bytes.end());
    ASSERT_EQ(send_command(sensor_link, cmd::write_thermistor, request), status::ok);
    config::ThermistorConfig back;
    ASSERT_EQ(config::read_thermistor_config(sensor_link, 1, back), status::ok);
    EXPECT_EQ(back.input_channel, 2);
    EXPECT_FLOAT_EQ(back.c3, 1.5f);
    EXPECT_FLOAT_EQ(back.c0, -4.0f);
}

TEST_F(RunHandlers, PlatformDataFileNameChemistryAndDrive) {
    protocol::PlatformBytes platform{};
    ASSERT_EQ(protocol::read_platform_data(sensor_link, platform), status::ok);
    const auto p = protocol::decode_platform_data(platform);
    EXPECT_NEAR(p.salinity, 35.1, 0.2);
    EXPECT_GT(p.depth, 0);

    std::string name;
    ASSERT_EQ(protocol::read_output_file_name(sensor_link, name), status::ok);
    EXPECT_EQ(name, virtual_sensor::run_output_file);

    // The factory chemistry configuration has a deployment start state to start from.
    ChemistryConfig c;
    ASSERT_EQ(read_chemistry_config(sensor_link, c), status::ok);
    EXPECT_EQ(c.deployment_state, 0);
    EXPECT_EQ(c.autostart_state, state_none);

    EXPECT_EQ(send_command(sensor_link, cmd::mount_as_drive), status::ok);
}

}  // namespace
