#include "virtual_sensor/virtual_sensor.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/bytes.h"
#include "link/sensor_link.h"
#include "protocol/command.h"
#include "protocol/commands.h"
#include "protocol/device_commands.h"
#include "protocol/device_records.h"

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
    EXPECT_EQ(sensor.parameter_record(29)[0], 1);  // the factory nutrient record, untouched
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

TEST_F(SensorFixture, CommandsItDoesNotImplementAreUnknownNeverAnEmptySuccess) {
    // Readers that loop until a non-zero status must end at once, and no dialog may show zeros
    // as the sensor's own record.
    const std::uint8_t first = 0;
    // Every command of the catalogue is answered now; these codes are in none of its ranges.
    for (std::uint16_t code : {std::uint16_t{1}, std::uint16_t{999}, std::uint16_t{0x7FFF}}) {
        link::SensorReport r = link::SensorReport::request(code, &first, 1);
        EXPECT_EQ(run_command(sensor_link, r), status::command_unknown) << code;
        EXPECT_EQ(r.length(), 0) << code;
    }

    // What the program sends today is still answered as a sensor would.
    for (std::uint16_t code : {cmd::read_identity, cmd::read_kind, cmd::read_software_version,
                               cmd::read_status, cmd::read_chemistry_config, cmd::read_optics_defaults,
                               cmd::read_pump_valve_defaults, cmd::read_readings, cmd::read_platform_data,
                               cmd::read_output_file_name, cmd::read_state_count, cmd::read_thermistor,
                               cmd::stop_state_machine, cmd::mount_as_drive, cmd::read_rs232_config,
                               cmd::read_clock, cmd::toggle_led, cmd::stop_optics_test}) {
        link::SensorReport r = link::SensorReport::request(code, &first, 1);
        EXPECT_EQ(run_command(sensor_link, r), status::ok) << code;
    }
}

TEST_F(SensorFixture, BootloaderAnswersOnlyWhatABootloaderKnows) {
    sensor.set_mode(1);
    DeviceIdentity identity;
    EXPECT_EQ(read_identity(sensor_link, identity), status::ok);
    EXPECT_EQ(identity.name_text(), "Virtual Sensor");
    DeviceKind kind;
    ASSERT_EQ(read_kind(sensor_link, kind), status::ok);
    EXPECT_EQ(kind.mode, 1);
    SensorStatusRecord st;
    EXPECT_EQ(read_status(sensor_link, st), status::ok);
    EXPECT_EQ(write_identity(sensor_link, identity), status::ok);

    // Firmware commands, built-in and feature ones alike, are unknown to it.
    const std::uint8_t zero = 0;
    for (std::uint16_t code : {cmd::read_software_version, cmd::read_chemistry_config, cmd::read_readings,
                               cmd::read_rs232_config, cmd::write_rs232_config, cmd::read_state_count,
                               cmd::start_state_machine, cmd::start_optics_test, cmd::toggle_led}) {
        EXPECT_EQ(send_command(sensor_link, code, {&zero, 1}), status::command_unknown) << code;
    }
    // The firmware it starts knows them again.
    sensor.set_mode(2);
    std::array<std::uint8_t, 18> chemistry{};
    EXPECT_EQ(send_command(sensor_link, cmd::read_chemistry_config, {}, chemistry), status::ok);
}

// One upgrade block: form 1, block number, valid bytes, 64 data bytes, target address.
std::array<std::uint8_t, 77> block(std::uint32_t number, std::uint32_t count, std::uint8_t fill,
                                   std::uint32_t target = 0xA000) {
    std::array<std::uint8_t, 77> b{};
    b[0] = 1;
    common::put_u32le(b.data() + 1, number);
    common::put_u32le(b.data() + 5, count);
    std::fill_n(b.begin() + 9, count, fill);
    common::put_u32le(b.data() + 73, target);
    return b;
}

TEST_F(SensorFixture, UpgradeBlocksBuildTheImageInOrder) {
    sensor.set_mode(1);
    // 130 bytes: 64, 64 and 2, then the end record with block number 3.
    EXPECT_EQ(send_command(sensor_link, cmd::firmware_block, block(0, 64, 0xA1)), status::ok);
    EXPECT_EQ(send_command(sensor_link, cmd::firmware_block, block(1, 64, 0xB2)), status::ok);
    EXPECT_EQ(send_command(sensor_link, cmd::firmware_block, block(2, 2, 0xC3)), status::ok);
    // Nothing may follow a short block but the end record.
    EXPECT_EQ(send_command(sensor_link, cmd::firmware_block, block(3, 64, 0xD4)),
              virtual_sensor::block_refused_status);
    EXPECT_EQ(send_command(sensor_link, cmd::firmware_block, block(3, 0, 0)), status::ok);
    std::uint32_t target = 0;
    const auto image = sensor.received_image(&target);
    ASSERT_EQ(image.size(), 130u);
    EXPECT_EQ(image[63], 0xA1);
    EXPECT_EQ(image[64], 0xB2);
    EXPECT_EQ(image[129], 0xC3);
    EXPECT_EQ(target, 0xA000u);

    // A block out of order, a bad form byte or an oversized count is refused; block 0 starts
    // a new image, so an interrupted upload can be done again.
    EXPECT_EQ(send_command(sensor_link, cmd::firmware_block, block(0, 64, 1)), status::ok);
    EXPECT_EQ(send_command(sensor_link, cmd::firmware_block, block(2, 64, 1)),
              virtual_sensor::block_refused_status);
    auto bad = block(1, 64, 1);
    bad[0] = 0;
    EXPECT_EQ(send_command(sensor_link, cmd::firmware_block, bad), virtual_sensor::block_refused_status);
    EXPECT_EQ(send_command(sensor_link, cmd::firmware_block, block(1, 65, 1)),
              virtual_sensor::block_refused_status);
    EXPECT_EQ(send_command(sensor_link, cmd::firmware_block, block(0, 0, 0, 0)), status::ok);
    EXPECT_TRUE(sensor.received_image(&target).empty());
    EXPECT_EQ(target, 0u);
}

TEST_F(SensorFixture, ShortStoredIdentityIsNeverReadPast) {
    // An identity cut short before its serial number: the older combined record built from
    // it holds what is there and zeros for the rest.
    std::vector<std::uint8_t> cut(24, 0);
    cut[0] = 2;
    cut[2] = 'A';
    sensor.set_record(cmd::read_identity, cut);
    std::array<std::uint8_t, old_device_info_size> old{};
    ASSERT_EQ(send_command(sensor_link, cmd::read_device_info_old, {}, old), status::ok);
    const OldDeviceInfo info = decode_old_device_info(old);
    EXPECT_EQ(info.name[0], 'A');
    EXPECT_EQ(info.serial_number, 0);

    // Writing the older form into a record of three bytes gives a whole identity back.
    sensor.set_record(cmd::read_identity, {2, 0, 'B'});
    DeviceIdentity written;
    written.set_name("Short Record");
    written.serial_number = 4321;
    auto older = encode_device_identity(written);
    older[0] = 1;
    ASSERT_EQ(send_command(sensor_link, cmd::write_identity_old, std::span(older.data(), old_identity_size)),
              status::ok);
    DeviceIdentity back;
    ASSERT_EQ(read_identity(sensor_link, back), status::ok);
    EXPECT_EQ(back.name_text(), "Short Record");
    EXPECT_EQ(back.serial_number, 4321);
    EXPECT_EQ(back.form, 2);
}

TEST_F(SensorFixture, RawRepliesStandInForTheSensorsOwn) {
    std::vector<std::uint8_t> raw(link::report_size, 0);
    raw[link::length_offset] = 29;
    raw[link::payload_offset + 2] = 'Z';
    raw[link::sequence_offset] = 0x7F;  // stamped over
    sensor.queue_raw_replies({raw});
    raw[link::sequence_offset] = 0xF0;  // far from the few sequence numbers this test uses
    sensor.queue_raw_replies({raw}, false);
    DeviceIdentity identity;
    ASSERT_EQ(read_identity(sensor_link, identity), status::ok);
    EXPECT_EQ(identity.name_text(), "Z");
    // Keeping its own sequence number it is a stray ahead of the answer: that exchange fails.
    EXPECT_EQ(read_identity(sensor_link, identity), status::exchange_failed);
    // A stamped raw reply is not acted on; cleared ones answer nothing.
    DeviceIdentity other;
    other.set_name("Kept");
    sensor.queue_raw_replies({{}});
    EXPECT_EQ(write_identity(sensor_link, other), status::ok);
    ASSERT_EQ(read_identity(sensor_link, identity), status::ok);
    EXPECT_EQ(identity.name_text(), "Virtual Sensor");
    sensor.queue_raw_replies({{}, {}});
    sensor.clear_raw_replies();
    EXPECT_EQ(write_identity(sensor_link, other), status::ok);
    ASSERT_EQ(read_identity(sensor_link, identity), status::ok);
    EXPECT_EQ(identity.name_text(), "Kept");
}

}  // namespace
