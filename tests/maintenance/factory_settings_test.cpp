#include "maintenance/factory_settings.h"

#include "maintenance/diagnostics_log.h"

#include <gtest/gtest.h>

#include "protocol/commands.h"
#include "protocol/device_commands.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"
#include "virtual_sensor/factory_handlers.h"

namespace quelmar::maintenance {
namespace {

using test::ascii;
using test::bytes_of;
using test::hex;
using test::Image;
namespace cmd = protocol::cmd;

TEST(FactorySettings, FramAndNvramMatchTheirByteImages) {
    const Image fram = hex("02 | 2C | 00 00 00 | 78 56 34 12");
    const auto f = common::decode_record<FramRecord>(fram.bytes);
    EXPECT_EQ(f.form, 2);
    EXPECT_EQ(f.board_serial_number, 44);
    EXPECT_EQ(f.stroke_meter, 0x12345678u);
    EXPECT_EQ(bytes_of(common::encode_record(fram_record(300, 0x12345678u))), fram.bytes);

    // Byte 4 of the reply is not used; it is written as 0.
    const auto n = common::decode_record<NvramRecord>(hex("00 | 2C | 00 00 7F").bytes);
    EXPECT_EQ(n.driver_serial_number, 44);
    EXPECT_EQ(bytes_of(common::encode_record(nvram_record(300))), hex("00 2C 00 00 00").bytes);
}

TEST(FactorySettings, PasswordMustMatchExactly) {
    EXPECT_TRUE(maintenance_password_matches("brume"));
    for (const char* wrong : {"", "b", "brum", "Brume", "BRUME", "brumE", "brume ", " brume",
                              "brumee", "brumf", "xrume"})
        EXPECT_FALSE(maintenance_password_matches(wrong)) << wrong;
    EXPECT_FALSE(maintenance_password_matches(std::string_view("brume\0", 6)));
    EXPECT_FALSE(maintenance_password_matches(std::string(200, 'b')));
}

TEST(FactorySettings, EnablingFollowsPasswordAndAvailability) {
    const FactoryAvailability all{true, true, true};
    const auto locked = factory_enabling(false, all);
    EXPECT_FALSE(locked.flash || locked.fram || locked.driver_board || locked.upgrade);
    const auto open = factory_enabling(true, all);
    EXPECT_TRUE(open.flash && open.fram && open.driver_board && open.upgrade);
    const auto bootloader = factory_enabling(true, FactoryAvailability{});
    EXPECT_TRUE(bootloader.flash);
    EXPECT_FALSE(bootloader.fram || bootloader.driver_board || bootloader.upgrade);
    EXPECT_TRUE(has_driver_board(3));
    EXPECT_TRUE(has_driver_board(6));
    EXPECT_FALSE(has_driver_board(4));
}

// The FLASH record is built from nothing: the bytes the program does not interpret (1, 23, 26)
// go back to 0, and the numbers are clamped as the sensor stores them.
TEST(FactorySettings, FlashIdentityIsBuiltFromZero) {
    const auto id = flash_identity("ABCDEFGHIJKLMNOPQRSTUV", 70000, 300);
    const Image image =
        hex("02 | 00") + ascii("ABCDEFGHIJKLMNOPQRST", 21) + hex("00 | FF FF | 00 | 2C 00");
    EXPECT_EQ(bytes_of(protocol::encode_device_identity(id)), image.bytes);
    EXPECT_EQ(flash_identity("x", 65535, 255).serial_number, 65535);
}

TEST(FactorySettings, TypedNumbers) {
    EXPECT_EQ(read_factory_number("abc"), 0u);
    EXPECT_EQ(read_factory_number(""), 0u);
    EXPECT_EQ(read_factory_number(" 12x"), 12u);
    EXPECT_EQ(read_factory_number("4294967295"), 4294967295u);
    EXPECT_EQ(read_factory_number("99999999999999999999"), 4294967295u);
}

struct FactoryFromSensor : test_support::SensorFixture {
    void set_variant(std::int32_t variant) {
        protocol::SensorStatusRecord st;
        common::decode_record(sensor.record(cmd::read_status), st);
        st.hardware_variant = variant;
        const auto b = protocol::encode_sensor_status(st);
        sensor.set_record(cmd::read_status, {b.begin(), b.end()});
    }
};

TEST_F(FactoryFromSensor, ReadsEveryGroupOfASensorWithADriverBoard) {
    FactorySettings s;
    ASSERT_TRUE(read_factory_settings(sensor_link, s));
    EXPECT_TRUE(s.available.fram && s.available.upgrade && s.available.driver_board);
    EXPECT_EQ(s.identity.name_text(), "Virtual Sensor");
    EXPECT_EQ(s.fram.stroke_meter, virtual_sensor::factory_stroke_meter);
    EXPECT_EQ(s.nvram.driver_serial_number, virtual_sensor::factory_driver_serial);

    ASSERT_EQ(write_nvram(sensor_link, nvram_record(300)), protocol::status::ok);
    ASSERT_EQ(write_fram(sensor_link, fram_record(9, 0)), protocol::status::ok);
    ASSERT_TRUE(read_factory_settings(sensor_link, s));
    EXPECT_EQ(s.nvram.driver_serial_number, 44);
    EXPECT_EQ(s.fram.stroke_meter, 0u);
    EXPECT_EQ(s.fram.board_serial_number, 9);
}

TEST_F(FactoryFromSensor, WithoutADriverBoardItsRecordIsNotRead) {
    set_variant(4);
    FactorySettings s;
    ASSERT_TRUE(read_factory_settings(sensor_link, s));
    EXPECT_TRUE(s.available.fram);
    EXPECT_FALSE(s.available.driver_board);
    EXPECT_EQ(requests_of(cmd::read_nvram_factory), 0u);
    NvramRecord n;
    EXPECT_EQ(read_nvram(sensor_link, n), protocol::status::command_unknown);
    // The refusal is in the sensor's log as an error.
    const auto log = read_whole_log(sensor_link, 2000);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(entry_message(log.back()), "No driver board fitted");
    EXPECT_EQ(log.back().severity, severity::error);
}

TEST_F(FactoryFromSensor, ABootloaderOffersOnlyItsFlash) {
    sensor.set_mode(1);
    FactorySettings s;
    s.available = {true, true, true};
    ASSERT_TRUE(read_factory_settings(sensor_link, s));
    EXPECT_FALSE(s.available.fram || s.available.upgrade || s.available.driver_board);
    EXPECT_EQ(requests_of(cmd::read_fram_factory), 0u);
}

TEST_F(FactoryFromSensor, AnyFailedReadFailsTheWhole) {
    for (std::uint16_t code : {cmd::read_kind, cmd::read_identity, cmd::read_fram_factory,
                               cmd::read_status, cmd::read_nvram_factory}) {
        sensor.force_status(code, 5);
        FactorySettings s;
        EXPECT_FALSE(read_factory_settings(sensor_link, s)) << code;
        sensor.clear_forced_status(code);
    }
}

}  // namespace
}  // namespace quelmar::maintenance
