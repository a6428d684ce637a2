#include "protocol/device_records.h"

#include <gtest/gtest.h>

#include <random>

#include "protocol/chemistry.h"
#include "tests/support/byte_image.h"

using namespace quelmar::protocol;
using quelmar::test::ascii;
using quelmar::test::bytes_of;
using quelmar::test::hex;
using quelmar::test::Image;

namespace {

template <std::size_t N>
std::array<std::uint8_t, N> random_image(std::mt19937& rng) {
    std::array<std::uint8_t, N> b{};
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    return b;
}

// Decoding a byte image and encoding it again gives the same bytes, reserved bytes included.
TEST(DeviceRecords, EveryRecordRoundTripsByteForByte) {
    std::mt19937 rng(12345);
    for (int i = 0; i < 200; ++i) {
        auto a = random_image<device_identity_size>(rng);
        EXPECT_EQ(encode_device_identity(decode_device_identity(a)), a);
        auto b = random_image<device_kind_size>(rng);
        EXPECT_EQ(encode_device_kind(decode_device_kind(b)), b);
        auto c = random_image<old_device_info_size>(rng);
        EXPECT_EQ(encode_old_device_info(decode_old_device_info(c)), c);
        auto d = random_image<software_version_size>(rng);
        EXPECT_EQ(encode_software_version(decode_software_version(d)), d);
        auto e = random_image<sensor_status_size>(rng);
        EXPECT_EQ(encode_sensor_status(decode_sensor_status(e)), e);
        auto f = random_image<chemistry_config_size>(rng);
        EXPECT_EQ(encode_chemistry_config(decode_chemistry_config(f)), f);
    }
}

// Each record's image below is written from its table, field by field, with values whose
// bytes differ, so a field at the wrong offset or in the wrong byte order shows in both
// directions.
TEST(DeviceRecords, IdentityMatchesItsByteImage) {
    const Image image = hex("02 | A1") + ascii("SEA-01", 21) + hex("5A | 34 12 | C3 | 2C 01");
    const DeviceIdentity id = decode_device_identity(image.as<device_identity_size>());
    EXPECT_EQ(id.form, 2);
    EXPECT_EQ(id.byte1, 0xA1);
    EXPECT_EQ(id.name_text(), "SEA-01");
    EXPECT_EQ(id.byte23, 0x5A);
    EXPECT_EQ(id.serial_number, 0x1234);
    EXPECT_EQ(id.byte26, 0xC3);
    EXPECT_EQ(id.board_serial_number, 300);
    EXPECT_EQ(bytes_of(encode_device_identity(id)), image.bytes);
}

TEST(DeviceRecords, OlderDeviceInformationMatchesItsByteImage) {
    const Image image = hex("01 | 02") + ascii("OLD-7", 21) + hex("07 | 39 30 | 04");
    const OldDeviceInfo info = decode_old_device_info(image.as<old_device_info_size>());
    EXPECT_EQ(info.identity_valid, 1);
    EXPECT_EQ(info.mode, 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(info.name.data())), "OLD-7");
    EXPECT_EQ(info.device_type_number, 7);
    EXPECT_EQ(info.serial_number, 12345);
    EXPECT_EQ(info.bootloader_version, 4);
    EXPECT_EQ(bytes_of(encode_old_device_info(info)), image.bytes);
}

TEST(DeviceRecords, KindVersionAndStatusMatchTheirByteImages) {
    const Image kind_image = hex("7E | 01 | 9B 1C | 05");
    const DeviceKind kind = decode_device_kind(kind_image.as<device_kind_size>());
    EXPECT_EQ(kind.byte0, 0x7E);
    EXPECT_EQ(kind.mode, 1);
    EXPECT_EQ(kind.device_type, 7323);
    EXPECT_EQ(kind.bootloader_version, 5);
    EXPECT_EQ(bytes_of(encode_device_kind(kind)), kind_image.bytes);

    const Image version_image = hex("EE") + ascii("QUELMAR_1_2_3", 25);
    const SoftwareVersion version =
        decode_software_version(version_image.as<software_version_size>());
    EXPECT_EQ(version.byte0, 0xEE);
    EXPECT_EQ(version.version_text(), "QUELMAR_1_2_3");
    EXPECT_EQ(bytes_of(encode_software_version(version)), version_image.bytes);

    const Image status_image = hex("01 02 03 04 05 | 10 2F 00 00 | 24 FA FF FF | 06 00 00 00");
    const SensorStatusRecord status = decode_sensor_status(status_image.as<sensor_status_size>());
    EXPECT_EQ(status.reserved, (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
    EXPECT_EQ(status.supply_mv, 12048);
    EXPECT_EQ(status.temperature_mdegc, -1500);
    EXPECT_EQ(status.hardware_variant, 6);
    EXPECT_EQ(bytes_of(encode_sensor_status(status)), status_image.bytes);
}

TEST(DeviceRecords, SensorNameHoldsTwentyCharacters) {
    DeviceIdentity identity;
    identity.set_name("ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(identity.name_text(), "ABCDEFGHIJKLMNOPQRST");
    identity.set_name("ABCDEFGHIJKLMNOPQRSTU");
    EXPECT_EQ(identity.name_text(), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(identity.name[20], 0);

    // A name the device left without its terminating zero still shows only 20 characters.
    std::array<std::uint8_t, device_identity_size> raw{};
    for (std::size_t i = 2; i < 23; ++i) raw[i] = 'x';
    EXPECT_EQ(decode_device_identity(raw).name_text(), std::string(20, 'x'));
}

TEST(DeviceRecords, EnteredSerialNumbersAreClampedAndMasked) {
    EXPECT_EQ(clamp_serial_number(70000), 65535);
    EXPECT_EQ(clamp_serial_number(65535), 65535);
    EXPECT_EQ(clamp_serial_number(12), 12);
    EXPECT_EQ(mask_board_serial_number(300), 44);
    EXPECT_EQ(mask_board_serial_number(255), 255);
}

TEST(DeviceRecords, OlderTypeNumbersMapToTypeCodes) {
    EXPECT_EQ(device_type_from_old_number(1), 7306);
    EXPECT_EQ(device_type_from_old_number(7), 7323);
    EXPECT_EQ(device_type_from_old_number(12), 7335);
    EXPECT_EQ(device_type_from_old_number(13), 0);
    EXPECT_EQ(device_type_from_old_number(0), 0);
}

}  // namespace
