// The identification dialog's rules and its Save sequence against the virtual sensor, current
// and older firmware.

#include <gtest/gtest.h>

#include "config/identity_settings.h"
#include "config/typed_fields.h"
#include "protocol/commands.h"
#include "protocol/device_commands.h"
#include "tests/support/sensor_fixture.h"

namespace quelmar::config {
namespace {

namespace cmd = protocol::cmd;

TEST(IdentityRules, NameLengthAndSerialNumberDecideSave) {
    EXPECT_TRUE(identity_save_enabled(20, 65535));
    EXPECT_FALSE(identity_save_enabled(21, 1));
    EXPECT_FALSE(identity_save_enabled(0, 65536));
    EXPECT_TRUE(identity_name_too_long(21));
    EXPECT_FALSE(identity_name_too_long(20));
    EXPECT_TRUE(identity_serial_too_large(65536));
    EXPECT_FALSE(identity_serial_too_large(65535));
}

TEST(IdentityRules, TheEditKeepsWhatTheProgramDoesNotInterpret) {
    protocol::DeviceIdentity read;
    read.form = 1;
    read.byte1 = 0x11;
    read.set_name("A-much-longer-name-x");
    read.byte23 = 0x23;
    read.byte26 = 0x26;
    read.board_serial_number = 0x1234;
    const auto id = edited_identity(read, "SEA-7", 70000);
    EXPECT_EQ(id.form, 2);
    EXPECT_EQ(id.byte1, 0x11);
    EXPECT_EQ(id.byte23, 0x23);
    EXPECT_EQ(id.byte26, 0x26);
    EXPECT_EQ(id.board_serial_number, 0x1234);
    EXPECT_EQ(id.serial_number, 65535);
    // The shorter name leaves nothing of the old one behind it.
    EXPECT_EQ(id.name_text(), "SEA-7");
    for (std::size_t i = 5; i < id.name.size(); ++i) EXPECT_EQ(id.name[i], 0) << i;
    EXPECT_EQ(edited_identity(read, "123456789012345678901", 1).name_text(),
              "12345678901234567890");
}

using IdentitySave = test_support::SensorFixture;

TEST_F(IdentitySave, WritesAndReadsBack) {
    const auto result = save_identity(sensor_link, "Buoy Seven", 4321);
    EXPECT_EQ(result.status, protocol::status::ok);
    EXPECT_EQ(result.message, settings_saved_text);
    EXPECT_EQ(result.saved.name_text(), "Buoy Seven");
    EXPECT_EQ(result.saved.serial_number, 4321);
    const auto stored = sensor.record(cmd::read_identity);
    ASSERT_EQ(stored.size(), 29u);
    EXPECT_EQ(stored[0], 2);
    EXPECT_EQ(stored[24] | (stored[25] << 8), 4321);
}

TEST_F(IdentitySave, OlderFirmwareAndItsFailures) {
    // Older firmware takes the identity through 257.
    sensor.set_legacy_identity(true);
    auto result = save_identity(sensor_link, "Old Timer", 12);
    EXPECT_EQ(result.message, settings_saved_text);
    EXPECT_EQ(requests_of(cmd::write_identity_old), 1u);
    EXPECT_EQ(result.saved.name_text(), "Old Timer");

    // Firmware that cannot take an identity from this program at all.
    sensor.force_status(cmd::write_identity_old, 8);
    result = save_identity(sensor_link, "Refused", 13);
    EXPECT_EQ(result.status, 8);
    EXPECT_EQ(result.message, "Failed to save settings (firmware is too old for GUI)");
    sensor.clear_forced_status(cmd::write_identity_old);

    // Any other failure, of the read before, the write or the read-back.
    sensor.set_legacy_identity(false);
    sensor.force_status(cmd::write_identity, 3);
    EXPECT_EQ(save_identity(sensor_link, "X", 1).message, "Failed to save settings");
    sensor.clear_forced_status(cmd::write_identity);
    sensor.force_status(cmd::read_identity, 5);
    sensor.clear_requests();
    EXPECT_EQ(save_identity(sensor_link, "X", 1).message, "Failed to save settings");
    EXPECT_EQ(requests_of(cmd::write_identity), 0u);  // nothing written without the record
}

}  // namespace
}  // namespace quelmar::config
