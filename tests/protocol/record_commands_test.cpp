#include "protocol/record_commands.h"

#include <gtest/gtest.h>

#include "config/thermistor_config.h"
#include "protocol/chemistry.h"
#include "protocol/commands.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"

namespace quelmar::protocol {
namespace {

using test::hex;
using test::Image;
using virtual_sensor::Reply;
using virtual_sensor::VirtualSensor;

struct RecordCommands : test_support::SensorFixture {};

const Image thermistor_image =
    hex("00 | 05 | 6F 12 83 B9 | 8F C2 75 3C | 00 00 20 42 | 00 00 48 C1");

// The reply payload is decoded only on status 0: a refused or lost read leaves the caller's
// record as it was.
TEST_F(RecordCommands, ReadDecodesTheReplyOnlyOnSuccess) {
    std::vector<std::uint8_t> request_seen;
    sensor.set_handler(cmd::read_thermistor, [&](VirtualSensor&, const link::SensorReport& r) {
        request_seen.assign(r.payload(), r.payload() + r.length());
        return Reply{0, thermistor_image.bytes};
    });
    config::ThermistorConfig t;
    ASSERT_EQ(config::read_thermistor_config(sensor_link, 2, t), status::ok);
    EXPECT_EQ(request_seen, std::vector<std::uint8_t>{2});
    EXPECT_EQ(t.input_channel, 5);
    EXPECT_EQ(t.c0, -12.5f);

    sensor.force_status(cmd::read_thermistor, 3);
    config::ThermistorConfig kept;
    kept.input_channel = 7;
    EXPECT_EQ(read_record(sensor_link, cmd::read_thermistor, kept), 3);
    EXPECT_EQ(kept.input_channel, 7);
}

TEST_F(RecordCommands, WriteSendsTheRecordImage) {
    const Image image =
        hex("5A | 01 | E8 03 00 00 | 00 | 10 | 11 | 12 | 13 | 14 15 16 | A0 A1 A2 A3");
    sensor.clear_requests();
    ASSERT_EQ(
        write_chemistry_config(sensor_link, common::decode_record<ChemistryConfig>(image.bytes)),
        status::ok);
    const auto requests = sensor.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].command(), cmd::write_chemistry_config);
    EXPECT_EQ(std::vector<std::uint8_t>(requests[0].payload(),
                                        requests[0].payload() + requests[0].length()),
              image.bytes);
}

}  // namespace
}  // namespace quelmar::protocol
