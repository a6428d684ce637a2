#include "protocol/run_commands.h"

#include <gtest/gtest.h>

#include "protocol/commands.h"
#include "tests/support/sensor_fixture.h"

namespace quelmar::protocol {
namespace {

using protocol::ChemistryConfig;
using protocol::state_none;
namespace cmd = protocol::cmd;

struct RunCommands : test_support::SensorFixture {};

TEST_F(RunCommands, StartOutcomesAndTheirMessages) {
    // Nothing loaded: no start command is sent at all.
    EXPECT_EQ(start_run(sensor_link, 0), StartOutcome::nothing_loaded);
    EXPECT_EQ(requests_of(cmd::start_state_machine), 0u);
    EXPECT_EQ(start_outcome_message(StartOutcome::nothing_loaded),
              "Sensor has no state machine loaded");

    test_support::load_machine(sensor, 2);
    sensor.force_status(cmd::read_state_count, 3);
    EXPECT_EQ(start_run(sensor_link, 0), StartOutcome::no_configuration);
    EXPECT_EQ(start_outcome_message(StartOutcome::no_configuration),
              "Unable get state machine configuration from sensor");
    sensor.clear_forced_status(cmd::read_state_count);

    sensor.force_status(cmd::start_state_machine, protocol::status::voltage_too_low);
    EXPECT_EQ(start_run(sensor_link, 0), StartOutcome::voltage_too_low);
    EXPECT_EQ(start_outcome_message(StartOutcome::voltage_too_low),
              "Voltage too low to run state machine");
    sensor.force_status(cmd::start_state_machine, 7);
    EXPECT_EQ(start_run(sensor_link, 0), StartOutcome::failed);
    EXPECT_EQ(start_outcome_message(StartOutcome::failed), "Failed to start state machine");
    sensor.clear_forced_status(cmd::start_state_machine);

    EXPECT_EQ(start_run(sensor_link, 5), StartOutcome::failed);  // not a state of the machine
    sensor.clear_requests();
    EXPECT_EQ(start_run(sensor_link, 0), StartOutcome::started);
    const auto sent = sensor.requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].command(), cmd::read_state_count);
    EXPECT_EQ(sent[1].command(), cmd::start_state_machine);
    EXPECT_EQ(sent[1].length(), 1);
    EXPECT_EQ(sent[1].payload()[0], 0);
    EXPECT_EQ(start_outcome_message(StartOutcome::started), "");

    EXPECT_EQ(stop_state_machine(sensor_link), protocol::status::ok);
    sensor.force_status(cmd::stop_state_machine, 1);
    EXPECT_NE(stop_state_machine(sensor_link), protocol::status::ok);
}

TEST_F(RunCommands, AFailedExchangeIsNoConfiguration) {
    link::sensor_link_close(sensor_link);
    EXPECT_EQ(start_run(sensor_link, 0), StartOutcome::no_configuration);
    EXPECT_EQ(mount_as_drive(sensor_link), protocol::status::exchange_failed);
}

TEST(StartChoices, DeployPrimeFlushThenSpecialsLeavingOutUnsetOnes) {
    ChemistryConfig c;
    c.flushing_state = 3;
    c.priming_state = 2;
    c.deployment_state = 1;
    c.special_states = {state_none, 9, state_none};
    const auto choices = start_choices(c);
    ASSERT_EQ(choices.size(), 4u);
    EXPECT_EQ(choices[0].name, "Deploy");
    EXPECT_EQ(choices[0].state, 1);
    EXPECT_EQ(choices[1].name, "Prime");
    EXPECT_EQ(choices[2].name, "Flush");
    EXPECT_EQ(choices[3].name, "Special2");
    EXPECT_EQ(choices[3].state, 9);

    ChemistryConfig none;  // bytes 8..13 all 255
    EXPECT_TRUE(start_choices(none).empty());
}

TEST(StartChoices, FallbackRecordOffersOnlyTheSpecialsAtZero) {
    const ChemistryConfig c = fallback_chemistry_config();
    const auto bytes = protocol::encode_chemistry_config(c);
    EXPECT_EQ(bytes[8], 255);
    EXPECT_EQ(bytes[9], 255);
    EXPECT_EQ(bytes[10], 255);
    for (std::size_t i : {0, 1, 2, 3, 4, 5, 6, 7, 11, 12, 13, 14, 15, 16, 17})
        EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_TRUE(autostart_on(c));
    EXPECT_EQ(start_choices(c).size(), 3u);
}

TEST(StartStates, RowsValuesAndRules) {
    ChemistryConfig c;
    c.autostart_state = 4;
    c.deployment_state = 5;
    c.priming_state = 6;
    c.flushing_state = 7;
    c.special_states = {8, 9, 10};
    const auto v = start_state_values(c);
    EXPECT_EQ(v, (std::array<std::uint8_t, 7>{4, 5, 6, 7, 8, 9, 10}));
    EXPECT_STREQ(start_state_labels[1], "Manual Deployment Start State");
    ChemistryConfig back;
    set_start_state_values(back, v);
    EXPECT_EQ(protocol::encode_chemistry_config(back), protocol::encode_chemistry_config(c));

    toggle_autostart(c);
    EXPECT_EQ(c.autostart_state, state_none);
    toggle_autostart(c);
    EXPECT_EQ(c.autostart_state, 0);

    EXPECT_EQ(stored_start_state(300), 254);
    EXPECT_EQ(stored_start_state(255), 254);
    EXPECT_EQ(stored_start_state(254), 254);
    EXPECT_EQ(stored_start_state(12), 12);

    EXPECT_EQ(highest_valid_state(protocol::status::ok, 0), state_none);
    EXPECT_EQ(highest_valid_state(protocol::status::exchange_failed, 5), state_none);
    EXPECT_EQ(highest_valid_state(protocol::status::ok, 5), 4);
    EXPECT_EQ(highest_valid_state(protocol::status::ok, 1000), 254);
    EXPECT_TRUE(start_state_out_of_range(5, 4));
    EXPECT_FALSE(start_state_out_of_range(4, 4));
    EXPECT_FALSE(start_state_out_of_range(200, state_none));  // not known: nothing is wrong
}

}  // namespace
}  // namespace quelmar::protocol
