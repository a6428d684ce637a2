#include "virtual_sensor/virtual_sensor.h"

#include <gtest/gtest.h>

#include "common/bytes.h"
#include "link/sensor_link.h"
#include "protocol/command.h"
#include "protocol/commands.h"

using namespace quelmar;
using namespace quelmar::protocol;
using virtual_sensor::VirtualSensor;

namespace {

struct SensorFixture : ::testing::Test {
    VirtualSensor sensor;
    link::SensorLink sensor_link;
    void SetUp() override {
        sensor.attach();
        ASSERT_EQ(link::sensor_link_open(sensor_link, sensor.path(), 200), link::LinkResult::ok);
    }
};

TEST_F(SensorFixture, ReadsReturnWhatWritesStored) {
    std::array<std::uint8_t, 13> rs232{};
    for (std::size_t i = 0; i < rs232.size(); ++i) rs232[i] = static_cast<std::uint8_t>(0x30 + i);
    ASSERT_EQ(send_command(sensor_link, cmd::write_rs232_config, rs232), status::ok);
    std::array<std::uint8_t, 13> back{};
    ASSERT_EQ(send_command(sensor_link, cmd::read_rs232_config, {}, back), status::ok);
    EXPECT_EQ(back, rs232);
    EXPECT_EQ(sensor.record(cmd::read_rs232_config), std::vector<std::uint8_t>(rs232.begin(), rs232.end()));

    // Before any write a read answers the factory default (zeros of the reply's size).
    link::SensorReport r = link::SensorReport::request(cmd::read_rs485_config);
    ASSERT_EQ(run_command(sensor_link, r), status::ok);
    EXPECT_EQ(r.length(), 17);

    // Processing-parameter records are kept by their length.
    std::uint8_t request[4 + 38] = {};
    common::put_u32le(request, 38);
    request[4] = 1;
    request[5 + 36] = 0x99;
    ASSERT_EQ(send_command(sensor_link, cmd::write_processing_parameters, request), status::ok);
    EXPECT_EQ(sensor.parameter_record(38)[37], 0x99);
    EXPECT_EQ(sensor.parameter_record(29), std::vector<std::uint8_t>(29, 0));
}

TEST_F(SensorFixture, UnknownCommandsAndForcedStatuses) {
    link::SensorReport r = link::SensorReport::request(999);
    EXPECT_EQ(run_command(sensor_link, r), status::command_unknown);

    sensor.force_status(cmd::start_state_machine, status::voltage_too_low);
    std::uint8_t state = 0;
    EXPECT_EQ(send_command(sensor_link, cmd::start_state_machine, {&state, 1}), status::voltage_too_low);
    sensor.clear_forced_status(cmd::start_state_machine);
    // Cleared: the run's own answer again (it refuses here, having no state machine loaded).
    EXPECT_NE(send_command(sensor_link, cmd::start_state_machine, {&state, 1}), status::voltage_too_low);
}

TEST_F(SensorFixture, RepliesCarryTheRequestsSequenceAndCommand) {
    for (std::uint16_t code : {cmd::read_identity, cmd::read_kind, cmd::read_status}) {
        link::SensorReport r = link::SensorReport::request(code);
        ASSERT_EQ(link::sensor_exchange(sensor_link, r), link::LinkResult::ok);
        EXPECT_EQ(r.command(), code);
        EXPECT_EQ(r.sequence(), sensor.requests().back().sequence());
    }
}

TEST_F(SensorFixture, FeatureHandlersTakeOverACommand) {
    sensor.set_handler(cmd::read_output_file_name, [](VirtualSensor&, const link::SensorReport&) {
        return virtual_sensor::Reply{0, {'A', '.', 'C', 'S', 'V', 0}};
    });
    std::array<std::uint8_t, 13> name{};
    ASSERT_EQ(send_command(sensor_link, cmd::read_output_file_name, {}, name), status::ok);
    EXPECT_EQ(common::get_text(name.data(), name.size()), "A.CSV");
}

}  // namespace
