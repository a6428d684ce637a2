// The virtual sensor's chemistry commands: a factory nitrate sensor whose records make sense
// together, what it stores on 401/403, and the older firmware that knows only 23 bytes.

#include <gtest/gtest.h>

#include "common/bytes.h"
#include "config/chemistry_parameters.h"
#include "protocol/chemistry.h"
#include "protocol/command.h"
#include "protocol/commands.h"
#include "protocol/sensor_status.h"
#include "tests/support/sensor_fixture.h"

namespace quelmar::virtual_sensor {
namespace {

using namespace protocol;
using test_support::SensorFixture;
struct ChemistryCommands : SensorFixture {};

template <std::size_t N>
std::array<std::uint8_t, N> read_parameters(SensorFixture& f, ChemistryType type) {
    std::array<std::uint8_t, N> r{};
    EXPECT_EQ(read_processing_parameters(f.sensor_link, type, r), status::ok);
    return r;
}

TEST_F(ChemistryCommands, FactoryChemistryIsAConfiguredNitrateSensor) {
    ChemistryConfig c;
    ASSERT_EQ(read_chemistry_config(sensor_link, c), status::ok);
    EXPECT_EQ(c.chemistry, chemistry::nitrate);
    EXPECT_EQ(c.sample_interval_ms, 1000u);
    EXPECT_EQ(c.deployment_state, 0);

    const auto n = config::decode_nutrient_parameters(
        read_parameters<config::nutrient_parameters_size>(*this, chemistry::nitrate));
    EXPECT_EQ(n.format, 1);
    EXPECT_LE(n.long_measurement_channel, 7);
    EXPECT_LT(n.standard1_concentration, n.standard2_concentration);
    EXPECT_EQ(n.legacy_monitoring_channel,
              config::monitoring_channel_of_output(n, n.output_channel));
    EXPECT_EQ(n.legacy_has_monitoring, n.legacy_monitoring_channel != config::monitoring_none);

    // Every other chemistry it can be switched to has a record of its own, not zeros.
    const auto ph = config::decode_ph_parameters(
        read_parameters<config::ph_parameters_size>(*this, chemistry::ph));
    EXPECT_EQ(ph.format, 1);
    EXPECT_NE(ph.blue_channel, ph.yellow_channel);
    const auto g = config::decode_generic_parameters(
        read_parameters<config::generic_parameters_size>(*this, chemistry::generic));
    EXPECT_EQ(g.scales[0], 1.0f);
    const auto ta = config::decode_ta_parameters(
        read_parameters<config::ta_parameters_size>(*this, chemistry::ta));
    EXPECT_GT(ta.acid_molarity, 0.0f);
    const auto dic = config::decode_dic_parameters(
        read_parameters<config::dic_parameters_size>(*this, chemistry::dic));
    EXPECT_EQ(dic.inlets[1].type, config::inlet_type::crm);
    EXPECT_EQ((read_parameters<2>(*this, chemistry::ammonia)[0]), 1);
}

TEST_F(ChemistryCommands, ChemistryWritesAreReadBack) {
    ChemistryConfig c;
    c.chemistry = chemistry::ph;
    c.sample_interval_ms = 250;
    c.tail = {9, 8, 7, 6};
    ASSERT_EQ(write_chemistry_config(sensor_link, c), status::ok);
    ChemistryConfig back;
    ASSERT_EQ(read_chemistry_config(sensor_link, back), status::ok);
    EXPECT_EQ(encode_chemistry_config(back), encode_chemistry_config(c));

    std::array<std::uint8_t, config::ph_parameters_size> ph{};
    ph.fill(0x21);
    ASSERT_EQ(write_processing_parameters(sensor_link, chemistry::ph, ph), status::ok);
    EXPECT_EQ((read_parameters<config::ph_parameters_size>(*this, chemistry::ph)), ph);

    // A count beyond the payload is refused, never read or written past it.
    std::uint8_t request[4];
    common::put_u32le(request, 200);
    EXPECT_EQ(send_command(sensor_link, cmd::read_processing_parameters, request),
              status::wrong_record_length);
    EXPECT_EQ(send_command(sensor_link, cmd::write_processing_parameters, request),
              status::wrong_record_length);
}

TEST_F(ChemistryCommands, OlderFirmwareHoldsTheShortFormOfTheFactoryRecord) {
    const auto current =
        read_parameters<config::nutrient_parameters_size>(*this, chemistry::nitrate);
    sensor.set_legacy_nutrient_record(true);
    std::array<std::uint8_t, config::nutrient_parameters_size> record{};
    std::uint8_t request[4];
    common::put_u32le(request, config::nutrient_parameters_size);
    EXPECT_EQ(send_command(sensor_link, cmd::read_processing_parameters, request),
              status::wrong_record_length);
    // Through the fall-back the program sees the same record it would from newer firmware.
    ASSERT_EQ(read_processing_parameters(sensor_link, chemistry::nitrate, record), status::ok);
    for (std::size_t i = 0; i < 23; ++i)
        EXPECT_EQ(record[i], current[i]) << i;
    EXPECT_EQ(sensor.parameter_record(23)[0], 0);
}

}  // namespace
}  // namespace quelmar::virtual_sensor
