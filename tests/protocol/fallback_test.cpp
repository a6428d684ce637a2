// The command functions against the virtual sensor acting as older firmware: each fall-back
// is checked on the bytes that went over the link.

#include <gtest/gtest.h>

#include <thread>

#include "common/bytes.h"
#include "protocol/chemistry.h"
#include "protocol/commands.h"
#include "protocol/device_commands.h"
#include "protocol/optics_test.h"
#include "tests/support/byte_image.h"
#include "virtual_sensor/virtual_sensor.h"

using namespace quelmar;
using namespace quelmar::protocol;
using virtual_sensor::Reply;
using virtual_sensor::VirtualSensor;

namespace {

struct FallbackFixture : ::testing::Test {
    VirtualSensor sensor;
    link::SensorLink sensor_link;

    void SetUp() override {
        sensor.attach();
        ASSERT_EQ(link::sensor_link_open(sensor_link, sensor.path(), 150), link::LinkResult::ok);
    }
    std::vector<std::uint16_t> codes_sent() const {
        std::vector<std::uint16_t> codes;
        for (const auto& r : sensor.requests()) codes.push_back(r.command());
        return codes;
    }
    // Answers 256 with a crafted older device information record.
    void answer_256_with(std::uint8_t valid, std::uint8_t mode, const char* name, std::uint8_t type,
                         std::uint16_t serial, std::uint8_t bootloader) {
        OldDeviceInfo info;
        info.identity_valid = valid;
        info.mode = mode;
        common::put_text(info.name.data(), info.name.size(), name);
        info.device_type_number = type;
        info.serial_number = serial;
        info.bootloader_version = bootloader;
        const auto bytes = encode_old_device_info(info);
        sensor.set_handler(cmd::read_device_info_old, [bytes](VirtualSensor&, const link::SensorReport&) {
            return Reply{0, {bytes.begin(), bytes.end()}};
        });
    }
};

TEST_F(FallbackFixture, CurrentFirmwareAnswersTheCurrentRecords) {
    DeviceIdentity identity;
    ASSERT_EQ(read_identity(sensor_link, identity), status::ok);
    EXPECT_EQ(identity.name_text(), "Virtual Sensor");
    EXPECT_EQ(identity.serial_number, 1001);
    DeviceKind kind;
    ASSERT_EQ(read_kind(sensor_link, kind), status::ok);
    EXPECT_EQ(kind.mode, 2);
    EXPECT_EQ(kind.device_type, 7323);
    SoftwareVersion version;
    ASSERT_EQ(read_software_version(sensor_link, version), status::ok);
    EXPECT_EQ(version.version_text(), "1.3.3");
    SensorStatusRecord st;
    ASSERT_EQ(read_status(sensor_link, st), status::ok);
    EXPECT_EQ(st.supply_mv, 12100);
    EXPECT_EQ(codes_sent(), (std::vector<std::uint16_t>{260, 262, 294, 295}));

    // A written identity is what the next read returns, byte for byte.
    identity.set_name("Mooring 7");
    identity.serial_number = clamp_serial_number(70000);
    identity.board_serial_number = mask_board_serial_number(300);
    ASSERT_EQ(write_identity(sensor_link, identity), status::ok);
    const auto sent = sensor.requests().back();
    EXPECT_EQ(sent.command(), 261);
    EXPECT_EQ(sent.length(), 29);
    EXPECT_EQ(common::get_u16le(sent.payload() + 24), 65535);
    EXPECT_EQ(common::get_u16le(sent.payload() + 27), 44);
    DeviceIdentity back;
    ASSERT_EQ(read_identity(sensor_link, back), status::ok);
    EXPECT_EQ(encode_device_identity(back), encode_device_identity(identity));
}

TEST_F(FallbackFixture, OlderIdentityIsConvertedFromTheCombinedRecord) {
    sensor.set_legacy_identity(true);
    answer_256_with(0, 2, "OLD UNIT", 7, 4321, 5);
    DeviceIdentity identity;
    identity.byte1 = 0x77;
    ASSERT_EQ(read_identity(sensor_link, identity), status::ok);
    EXPECT_EQ(identity.form, 2);
    EXPECT_EQ(identity.byte1, 0);
    EXPECT_EQ(identity.name_text(), "OLD UNIT");
    EXPECT_EQ(identity.byte23, 0);
    EXPECT_EQ(identity.serial_number, 0);  // the identity was never set
    EXPECT_EQ(identity.byte26, 0);
    EXPECT_EQ(identity.board_serial_number, 0);

    answer_256_with(1, 1, "OLD UNIT", 7, 4321, 5);
    ASSERT_EQ(read_identity(sensor_link, identity), status::ok);
    EXPECT_EQ(identity.serial_number, 4321);

    DeviceKind kind;
    ASSERT_EQ(read_kind(sensor_link, kind), status::ok);
    EXPECT_EQ(kind.mode, 1);
    EXPECT_EQ(kind.device_type, 7323);
    EXPECT_EQ(kind.bootloader_version, 5);

    answer_256_with(0, 2, "X", 13, 1, 5);
    ASSERT_EQ(read_kind(sensor_link, kind), status::ok);
    EXPECT_EQ(kind.device_type, 0);
    EXPECT_EQ(kind.bootloader_version, 0);  // only a set identity carries it
    EXPECT_EQ(codes_sent(), (std::vector<std::uint16_t>{260, 256, 260, 256, 262, 256, 262, 256}));
}

TEST_F(FallbackFixture, StatusOfTheCombinedRecordReachesKindButNotIdentityCallers) {
    sensor.set_legacy_identity(true);
    sensor.force_status(cmd::read_device_info_old, 3);
    DeviceKind kind;
    kind.mode = 99;
    EXPECT_EQ(read_kind(sensor_link, kind), 3);
    EXPECT_EQ(kind.mode, 99);
    DeviceIdentity identity;
    EXPECT_EQ(read_identity(sensor_link, identity), status::command_unknown);

    sensor.clear_forced_status(cmd::read_device_info_old);
    sensor.drop_next_reply();  // 262's reply lost: no fall-back at all
    EXPECT_EQ(read_kind(sensor_link, kind), status::exchange_failed);
    EXPECT_EQ(kind.mode, 99);
}

TEST_F(FallbackFixture, OlderIdentityIsWrittenInTheShortForm) {
    sensor.set_legacy_identity(true);
    DeviceIdentity identity;
    identity.set_name("SHORT FORM");
    identity.serial_number = 77;
    identity.board_serial_number = 12;
    ASSERT_EQ(write_identity(sensor_link, identity), status::ok);
    const auto requests = sensor.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].command(), 261);
    EXPECT_EQ(requests[1].command(), 257);
    EXPECT_EQ(requests[1].length(), 27);
    // Form 1, then the identity's bytes 1..26: name, serial number 77, and no board serial.
    const quelmar::test::Image short_form = quelmar::test::hex("01 | 00") +
                                            quelmar::test::ascii("SHORT FORM", 21) +
                                            quelmar::test::hex("00 | 4D 00 | 00");
    EXPECT_EQ(std::vector<std::uint8_t>(requests[1].payload(), requests[1].payload() + 27),
              short_form.bytes);
    EXPECT_EQ(requests[1].payload()[27], 0);  // nothing past the short form

    sensor.force_status(cmd::write_identity_old, 8);
    EXPECT_EQ(write_identity(sensor_link, identity), 8);
}

TEST_F(FallbackFixture, OlderNutrientRecordIsReadAndConverted) {
    sensor.set_legacy_nutrient_record(true);
    std::vector<std::uint8_t> legacy(23, 0);
    legacy[0] = 0;
    legacy[2] = 2;    // short output channel
    legacy[3] = 10;   // sample intake state
    legacy[21] = 1;   // the output channel has a monitoring channel...
    legacy[22] = 6;   // ...channel 6
    sensor.set_parameter_record(legacy);

    std::array<std::uint8_t, nutrient_parameters_size> record{};
    record.fill(0xCC);
    ASSERT_EQ(read_processing_parameters(sensor_link, chemistry::nitrate, record), status::ok);
    EXPECT_EQ(record[0], 1);
    EXPECT_EQ(record[2], 2);
    EXPECT_EQ(record[3], 10);
    EXPECT_EQ(record[23], 0);
    EXPECT_EQ(record[24], 1);
    EXPECT_EQ(record[25], 2);
    EXPECT_EQ(record[26], 255);
    EXPECT_EQ(record[27], 255);
    EXPECT_EQ(record[28], 6);

    const auto requests = sensor.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].length(), 4);
    EXPECT_EQ(common::get_u32le(requests[0].payload()), 29u);
    EXPECT_EQ(requests[1].command(), 402);
    EXPECT_EQ(requests[1].length(), 4);
    EXPECT_EQ(common::get_u32le(requests[1].payload()), 23u);

    // No monitoring flag: no monitoring channel; an output channel the old layout cannot hold
    // becomes Medium.
    legacy[21] = 0;
    legacy[2] = 7;
    sensor.set_parameter_record(legacy);
    ASSERT_EQ(read_processing_parameters(sensor_link, chemistry::phosphate, record), status::ok);
    EXPECT_EQ(record[2], 1);
    EXPECT_EQ(record[26], 255);
    EXPECT_EQ(record[27], 255);
    EXPECT_EQ(record[28], 255);
}

TEST_F(FallbackFixture, WrongLengthForOtherChemistriesIsReturnedAsIs) {
    sensor.set_legacy_nutrient_record(true);
    std::array<std::uint8_t, 38> ph{};
    ph.fill(0x5A);
    EXPECT_EQ(read_processing_parameters(sensor_link, chemistry::ph, ph), status::wrong_record_length);
    EXPECT_EQ(sensor.requests().size(), 1u);
    for (auto b : ph) EXPECT_EQ(b, 0x5A);
    EXPECT_EQ(write_processing_parameters(sensor_link, chemistry::generic, ph),
              status::wrong_record_length);
    EXPECT_EQ(sensor.requests().size(), 2u);
}

TEST_F(FallbackFixture, LostSecondRequestStaysWrongLength) {
    int calls = 0;
    sensor.set_handler(cmd::read_processing_parameters, [&calls](VirtualSensor& s, const link::SensorReport&) {
        if (++calls == 1) s.drop_next_reply();  // the reply to the request after this one
        return Reply{status::wrong_record_length, {}};
    });
    std::array<std::uint8_t, nutrient_parameters_size> record{};
    EXPECT_EQ(read_processing_parameters(sensor_link, chemistry::silicate, record), status::wrong_record_length);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(sensor.requests().size(), 2u);

    // The second request's own status is passed on.
    sensor.set_handler(cmd::read_processing_parameters, [&calls](VirtualSensor&, const link::SensorReport& r) {
        return Reply{static_cast<std::uint8_t>(common::get_u32le(r.payload()) == 23 ? 7 : 4), {}};
    });
    EXPECT_EQ(read_processing_parameters(sensor_link, chemistry::iron, record), 7);
}

TEST_F(FallbackFixture, OlderNutrientRecordIsWrittenInTheShortForm) {
    sensor.set_legacy_nutrient_record(true);
    std::array<std::uint8_t, nutrient_parameters_size> record{};
    for (std::size_t i = 0; i < record.size(); ++i) record[i] = static_cast<std::uint8_t>(i + 1);
    ASSERT_EQ(write_processing_parameters(sensor_link, chemistry::nitrite, record), status::ok);
    const auto requests = sensor.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].length(), 33);
    EXPECT_EQ(common::get_u32le(requests[0].payload()), 29u);
    EXPECT_EQ(requests[1].length(), 27);
    EXPECT_EQ(common::get_u32le(requests[1].payload()), 23u);
    EXPECT_EQ(requests[1].payload()[4], 0);  // format 0
    for (std::size_t i = 1; i < 23; ++i) EXPECT_EQ(requests[1].payload()[4 + i], record[i]) << i;
    EXPECT_EQ(sensor.parameter_record(23)[0], 0);
}

TEST_F(FallbackFixture, OpticsTestFallsBackToTheOlderCommand) {
    sensor.set_legacy_optics(true);
    std::array<std::uint8_t, optics_test_request_size> request{};
    for (std::size_t i = 0; i < request.size(); ++i) request[i] = static_cast<std::uint8_t>(0x40 + i);
    ASSERT_EQ(start_optics_test(sensor_link, request), status::ok);
    const auto requests = sensor.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].command(), 626);
    EXPECT_EQ(requests[0].length(), 36);
    EXPECT_EQ(requests[1].command(), 370);
    EXPECT_EQ(requests[1].length(), 16);
    for (std::size_t i = 0; i < request.size(); ++i) EXPECT_EQ(requests[1].payload()[i], request[i]) << i;

    sensor.set_legacy_optics(false);
    sensor.clear_requests();
    ASSERT_EQ(start_optics_test(sensor_link, request), status::ok);
    EXPECT_EQ(sensor.requests().size(), 1u);
}

TEST_F(FallbackFixture, TimedOutCommandGivesFourteenAndLeavesTheRecord) {
    sensor.drop_next_reply();
    SensorStatusRecord st;
    st.supply_mv = -5;
    EXPECT_EQ(read_status(sensor_link, st), status::exchange_failed);
    EXPECT_EQ(st.supply_mv, -5);

    sensor.force_status(cmd::read_status, 12);
    EXPECT_EQ(read_status(sensor_link, st), 12);
    EXPECT_EQ(st.supply_mv, -5);
}

}  // namespace
