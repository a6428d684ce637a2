#include "protocol/device_records.h"

#include "common/bytes.h"
#include "common/record_fields.h"

namespace quelmar::protocol {

using namespace common;

std::string DeviceIdentity::name_text() const { return get_text(name.data(), sensor_name_max); }

void DeviceIdentity::set_name(const std::string& text) {
    put_text(name.data(), name.size(), text.substr(0, sensor_name_max));
}

std::string SoftwareVersion::version_text() const { return get_text(text.data(), text.size()); }

DeviceIdentity decode_device_identity(std::span<const std::uint8_t, device_identity_size> b) {
    return decode_record<DeviceIdentity>(b);
}
std::array<std::uint8_t, device_identity_size> encode_device_identity(const DeviceIdentity& r) {
    return encode_record(r);
}

DeviceKind decode_device_kind(std::span<const std::uint8_t, device_kind_size> b) {
    return decode_record<DeviceKind>(b);
}
std::array<std::uint8_t, device_kind_size> encode_device_kind(const DeviceKind& r) {
    return encode_record(r);
}

OldDeviceInfo decode_old_device_info(std::span<const std::uint8_t, old_device_info_size> b) {
    return decode_record<OldDeviceInfo>(b);
}
std::array<std::uint8_t, old_device_info_size> encode_old_device_info(const OldDeviceInfo& r) {
    return encode_record(r);
}

SoftwareVersion decode_software_version(std::span<const std::uint8_t, software_version_size> b) {
    return decode_record<SoftwareVersion>(b);
}
std::array<std::uint8_t, software_version_size> encode_software_version(const SoftwareVersion& r) {
    return encode_record(r);
}

SensorStatusRecord decode_sensor_status(std::span<const std::uint8_t, sensor_status_size> b) {
    return decode_record<SensorStatusRecord>(b);
}
std::array<std::uint8_t, sensor_status_size> encode_sensor_status(const SensorStatusRecord& r) {
    return encode_record(r);
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
