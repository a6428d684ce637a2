#include "protocol/device_records.h"

#include <gtest/gtest.h>

#include <random>

#include "protocol/chemistry.h"

using namespace quelmar::protocol;

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

TEST(DeviceRecords, FieldsSitAtTheirOffsetsLittleEndian) {
    std::array<std::uint8_t, device_identity_size> id{};
    id[0] = 2;
    id[2] = 'A';
    id[24] = 0x34;
    id[25] = 0x12;
    id[27] = 0xFF;
    id[28] = 0x00;
    const DeviceIdentity identity = decode_device_identity(id);
    EXPECT_EQ(identity.name_text(), "A");
    EXPECT_EQ(identity.serial_number, 0x1234);
    EXPECT_EQ(identity.board_serial_number, 255);

    std::array<std::uint8_t, sensor_status_size> st{};
    st[5] = 0x10;
    st[6] = 0x2F;  // 12048 mV
    st[9] = 0xFF;
    st[10] = 0xFF;
    st[11] = 0xFF;
    st[12] = 0xFF;  // -1 m°C
    st[13] = 6;
    const SensorStatusRecord status = decode_sensor_status(st);
    EXPECT_EQ(status.supply_mv, 12048);
    EXPECT_EQ(status.temperature_mdegc, -1);
    EXPECT_EQ(status.hardware_variant, 6);

    std::array<std::uint8_t, device_kind_size> k = {9, 1, 0x9B, 0x1C, 4};
    const DeviceKind kind = decode_device_kind(k);
    EXPECT_EQ(kind.mode, 1);
    EXPECT_EQ(kind.device_type, 7323);
    EXPECT_EQ(kind.bootloader_version, 4);
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
