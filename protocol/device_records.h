#pragma once
// What a sensor is and how it is doing: identity, kind, software version and status, with
// codecs to and from their exact byte images (bytes the program does not interpret are kept).

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "common/record_fields.h"

namespace quelmar::protocol {

constexpr std::size_t device_identity_size = 29;
constexpr std::size_t old_identity_size = 27;
constexpr std::size_t device_kind_size = 5;
constexpr std::size_t old_device_info_size = 27;
constexpr std::size_t software_version_size = 26;
constexpr std::size_t sensor_status_size = 17;
constexpr std::size_t sensor_name_field = 21;
constexpr std::size_t sensor_name_max = 20;

struct DeviceIdentity {
    std::uint8_t form = 2;        // 2: this 29-byte form; 1: the older 27-byte form
    std::uint8_t byte1 = 0;       // not interpreted
    std::array<std::uint8_t, sensor_name_field> name{};  // NUL-terminated
    std::uint8_t byte23 = 0;      // not interpreted
    std::uint16_t serial_number = 0;
    std::uint8_t byte26 = 0;      // not interpreted
    std::uint16_t board_serial_number = 0;  // processing board

    std::string name_text() const;            // at most 20 characters
    void set_name(const std::string& text);   // cut to 20 characters
};

struct DeviceKind {
    std::uint8_t byte0 = 0;  // not interpreted
    std::uint8_t mode = 0;   // 1 bootloader, 2 firmware
    std::uint16_t device_type = 0;
    std::uint8_t bootloader_version = 0;
};

struct OldDeviceInfo {
    std::uint8_t identity_valid = 0;
    std::uint8_t mode = 0;
    std::array<std::uint8_t, sensor_name_field> name{};
    std::uint8_t device_type_number = 0;  // 1..12
    std::uint16_t serial_number = 0;
    std::uint8_t bootloader_version = 0;
};

struct SoftwareVersion {
    std::uint8_t byte0 = 0;  // not interpreted
    std::array<std::uint8_t, 25> text{};
    std::string version_text() const;
};

struct SensorStatusRecord {
    std::array<std::uint8_t, 5> reserved{};  // not interpreted
    std::int32_t supply_mv = 0;
    std::int32_t temperature_mdegc = 0;
    std::int32_t hardware_variant = 0;  // 3 or 6: driver board with its own settings
};

// Field lists in wire order (see common/record_fields.h).
template <class Io>
constexpr void fields(Io& io, DeviceIdentity& r) {
    io.u8(r.form);
    io.u8(r.byte1);
    io.u8(r.name);
    io.u8(r.byte23);
    io.u16(r.serial_number);
    io.u8(r.byte26);
    io.u16(r.board_serial_number);
}

template <class Io>
constexpr void fields(Io& io, DeviceKind& r) {
    io.u8(r.byte0);
    io.u8(r.mode);
    io.u16(r.device_type);
    io.u8(r.bootloader_version);
}

template <class Io>
constexpr void fields(Io& io, OldDeviceInfo& r) {
    io.u8(r.identity_valid);
    io.u8(r.mode);
    io.u8(r.name);
    io.u8(r.device_type_number);
    io.u16(r.serial_number);
    io.u8(r.bootloader_version);
}

template <class Io>
constexpr void fields(Io& io, SoftwareVersion& r) {
    io.u8(r.byte0);
    io.u8(r.text);
}

template <class Io>
constexpr void fields(Io& io, SensorStatusRecord& r) {
    io.u8(r.reserved);
    io.i32(r.supply_mv);
    io.i32(r.temperature_mdegc);
    io.i32(r.hardware_variant);
}

static_assert(common::record_size<DeviceIdentity>() == device_identity_size);
static_assert(common::record_size<DeviceKind>() == device_kind_size);
static_assert(common::record_size<OldDeviceInfo>() == old_device_info_size);
static_assert(common::record_size<SoftwareVersion>() == software_version_size);
static_assert(common::record_size<SensorStatusRecord>() == sensor_status_size);

DeviceIdentity decode_device_identity(std::span<const std::uint8_t, device_identity_size> b);
std::array<std::uint8_t, device_identity_size> encode_device_identity(const DeviceIdentity& r);
DeviceKind decode_device_kind(std::span<const std::uint8_t, device_kind_size> b);
std::array<std::uint8_t, device_kind_size> encode_device_kind(const DeviceKind& r);
OldDeviceInfo decode_old_device_info(std::span<const std::uint8_t, old_device_info_size> b);
std::array<std::uint8_t, old_device_info_size> encode_old_device_info(const OldDeviceInfo& r);
SoftwareVersion decode_software_version(std::span<const std::uint8_t, software_version_size> b);
std::array<std::uint8_t, software_version_size> encode_software_version(const SoftwareVersion& r);
SensorStatusRecord decode_sensor_status(std::span<const std::uint8_t, sensor_status_size> b);
std::array<std::uint8_t, sensor_status_size> encode_sensor_status(const SensorStatusRecord& r);

// The device type code of an older form's type number (1..12); 0 for any other number.
std::uint16_t device_type_from_old_number(std::uint8_t number);

// Values typed into the identity fields, clamped as the sensor stores them: the serial number
// to 0..65535, the processing board serial number masked to its low byte.
std::uint16_t clamp_serial_number(std::uint64_t entered);
std::uint16_t mask_board_serial_number(std::uint64_t entered);

}  // namespace quelmar::protocol
