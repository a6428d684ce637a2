#include "protocol/device_records.h"

#include <cstring>

#include "common/bytes.h"

namespace quelmar::protocol {

using namespace common;

std::string DeviceIdentity::name_text() const { return get_text(name.data(), sensor_name_max); }

void DeviceIdentity::set_name(const std::string& text) {
    put_text(name.data(), name.size(), text.substr(0, sensor_name_max));
}

std::string SoftwareVersion::version_text() const { return get_text(text.data(), text.size()); }

DeviceIdentity decode_device_identity(std::span<const std::uint8_t, device_identity_size> b) {
    DeviceIdentity r;
    r.form = b[0];
    r.byte1 = b[1];
    std::memcpy(r.name.data(), &b[2], r.name.size());
    r.byte23 = b[23];
    r.serial_number = get_u16le(&b[24]);
    r.byte26 = b[26];
    r.board_serial_number = get_u16le(&b[27]);
    return r;
}

std::array<std::uint8_t, device_identity_size> encode_device_identity(const DeviceIdentity& r) {
    std::array<std::uint8_t, device_identity_size> b{};
    b[0] = r.form;
    b[1] = r.byte1;
    std::memcpy(&b[2], r.name.data(), r.name.size());
    b[23] = r.byte23;
    put_u16le(&b[24], r.serial_number);
    b[26] = r.byte26;
    put_u16le(&b[27], r.board_serial_number);
    return b;
}

DeviceKind decode_device_kind(std::span<const std::uint8_t, device_kind_size> b) {
    return DeviceKind{b[0], b[1], get_u16le(&b[2]), b[4]};
}

std::array<std::uint8_t, device_kind_size> encode_device_kind(const DeviceKind& r) {
    std::array<std::uint8_t, device_kind_size> b{};
    b[0] = r.byte0;
    b[1] = r.mode;
    put_u16le(&b[2], r.device_type);
    b[4] = r.bootloader_version;
    return b;
}

OldDeviceInfo decode_old_device_info(std::span<const std::uint8_t, old_device_info_size> b) {
    OldDeviceInfo r;
    r.identity_valid = b[0];
    r.mode = b[1];
    std::memcpy(r.name.data(), &b[2], r.name.size());
    r.device_type_number = b[23];
    r.serial_number = get_u16le(&b[24]);
    r.bootloader_version = b[26];
    return r;
}

std::array<std::uint8_t, old_device_info_size> encode_old_device_info(const OldDeviceInfo& r) {
    std::array<std::uint8_t, old_device_info_size> b{};
    b[0] = r.identity_valid;
    b[1] = r.mode;
    std::memcpy(&b[2], r.name.data(), r.name.size());
    b[23] = r.device_type_number;
    put_u16le(&b[24], r.serial_number);
    b[26] = r.bootloader_version;
    return b;
}

SoftwareVersion decode_software_version(std::span<const std::uint8_t, software_version_size> b) {
    SoftwareVersion r;
    r.byte0 = b[0];
    std::memcpy(r.text.data(), &b[1], r.text.size());
    return r;
}

std::array<std::uint8_t, software_version_size> encode_software_version(const SoftwareVersion& r) {
    std::array<std::uint8_t, software_version_size> b{};
    b[0] = r.byte0;
    std::memcpy(&b[1], r.text.data(), r.text.size());
    return b;
}

SensorStatusRecord decode_sensor_status(std::span<const std::uint8_t, sensor_status_size> b) {
    SensorStatusRecord r;
    std::memcpy(r.reserved.data(), b.data(), r.reserved.size());
    r.supply_mv = get_i32le(&b[5]);
    r.temperature_mdegc = get_i32le(&b[9]);
    r.hardware_variant = get_i32le(&b[13]);
    return r;
}

std::array<std::uint8_t, sensor_status_size> encode_sensor_status(const SensorStatusRecord& r) {
    std::array<std::uint8_t, sensor_status_size> b{};
    std::memcpy(b.data(), r.reserved.data(), r.reserved.size());
    put_i32le(&b[5], r.supply_mv);
    put_i32le(&b[9], r.temperature_mdegc);
    put_i32le(&b[13], r.hardware_variant);
    return b;
}

std::uint16_t device_type_from_old_number(std::uint8_t number) {
    static constexpr std::uint16_t codes[13] = {0,    7306, 7310, 7312, 7317, 7318, 7320,
                                                7323, 7324, 7325, 7330, 7333, 7335};
    return number >= 1 && number <= 12 ? codes[number] : 0;
}

std::uint16_t clamp_serial_number(std::uint64_t entered) {
    return entered > 65535 ? 65535 : static_cast<std::uint16_t>(entered);
}

std::uint16_t mask_board_serial_number(std::uint64_t entered) {
    return static_cast<std::uint16_t>(entered & 0xFF);
}

}  // namespace quelmar::protocol
