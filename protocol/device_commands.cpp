#include "protocol/device_commands.h"

#include <cstring>

#include "protocol/command.h"
#include "protocol/commands.h"

namespace quelmar::protocol {

namespace {
// 256 with no payload; on status 0 the 27 bytes of its reply.
SensorStatus read_old_device_info(link::SensorLink& link,
                                  std::array<std::uint8_t, old_device_info_size>& out) {
    return send_command(link, cmd::read_device_info_old, {}, out);
}
}  // namespace

SensorStatus read_identity(link::SensorLink& link, DeviceIdentity& identity) {
    std::array<std::uint8_t, device_identity_size> bytes{};
    SensorStatus s = send_command(link, cmd::read_identity, {}, bytes);
    if (s == status::ok) {
        identity = decode_device_identity(bytes);
        return s;
    }
    if (s != status::command_unknown) return s;

    std::array<std::uint8_t, old_device_info_size> old{};
    if (read_old_device_info(link, old) != status::ok) return status::command_unknown;
    bytes.fill(0);
    std::memcpy(bytes.data(), old.data(), old.size());
    DeviceIdentity converted = decode_device_identity(bytes);
    if (old[0] == 0) converted.serial_number = 0;  // the identity was never set
    converted.form = 2;
    converted.byte1 = 0;
    converted.byte23 = 0;
    converted.byte26 = 0;
    converted.board_serial_number = 0;
    identity = converted;
    return status::ok;
}

SensorStatus write_identity(link::SensorLink& link, const DeviceIdentity& identity) {
    const auto bytes = encode_device_identity(identity);
    SensorStatus s = send_command(link, cmd::write_identity, bytes);
    if (s != status::command_unknown) return s;
    std::array<std::uint8_t, old_identity_size> old{};
    std::memcpy(old.data(), bytes.data(), old.size());
    old[0] = 1;
    s = send_command(link, cmd::write_identity_old, old);
    return s == status::exchange_failed ? status::command_unknown : s;
}

SensorStatus read_kind(link::SensorLink& link, DeviceKind& kind) {
    std::array<std::uint8_t, device_kind_size> bytes{};
    SensorStatus s = send_command(link, cmd::read_kind, {}, bytes);
    if (s == status::ok) {
        kind = decode_device_kind(bytes);
        return s;
    }
    if (s != status::command_unknown) return s;

    std::array<std::uint8_t, old_device_info_size> old{};
    s = read_old_device_info(link, old);
    if (s == status::exchange_failed) return status::command_unknown;
    if (s != status::ok) return s;
    const OldDeviceInfo info = decode_old_device_info(old);
    DeviceKind converted;
    converted.byte0 = 0;
    converted.mode = info.mode;
    converted.device_type = device_type_from_old_number(info.device_type_number);
    converted.bootloader_version = info.identity_valid ? info.bootloader_version : 0;
    kind = converted;
    return status::ok;
}

SensorStatus read_software_version(link::SensorLink& link, SoftwareVersion& version) {
    std::array<std::uint8_t, software_version_size> bytes{};
    SensorStatus s = send_command(link, cmd::read_software_version, {}, bytes);
    if (s == status::ok) version = decode_software_version(bytes);
    return s;
}

SensorStatus read_status(link::SensorLink& link, SensorStatusRecord& record) {
    std::array<std::uint8_t, sensor_status_size> bytes{};
    SensorStatus s = send_command(link, cmd::read_status, {}, bytes);
    if (s == status::ok) record = decode_sensor_status(bytes);
    return s;
}

SensorStatus start_firmware(link::SensorLink& link) {
    return send_command(link, cmd::start_firmware);
}

}  // namespace quelmar::protocol
