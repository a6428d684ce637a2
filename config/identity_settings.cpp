#include "config/identity_settings.h"

#include <algorithm>

#include "config/typed_fields.h"
#include "protocol/device_commands.h"

namespace quelmar::config {

namespace {
constexpr std::uint64_t serial_number_max = 65535;
// The 257 fall-back answers 8 when the firmware cannot take an identity from this program.
constexpr protocol::SensorStatus firmware_too_old = 8;
}  // namespace

bool identity_name_too_long(std::size_t name_length) {
    return name_length > protocol::sensor_name_max;
}

bool identity_serial_too_large(std::uint64_t typed_serial) {
    return typed_serial > serial_number_max;
}

bool identity_save_enabled(std::size_t name_length, std::uint64_t typed_serial) {
    return !identity_name_too_long(name_length) && !identity_serial_too_large(typed_serial);
}

protocol::DeviceIdentity edited_identity(const protocol::DeviceIdentity& read,
                                         const std::string& name, std::uint64_t typed_serial) {
    protocol::DeviceIdentity id = read;
    id.form = 2;
    id.name.fill(0);
    id.set_name(name);
    id.serial_number = protocol::clamp_serial_number(typed_serial);
    return id;
}

IdentitySaveResult save_identity(link::SensorLink& link, const std::string& name,
                                 std::uint64_t typed_serial) {
    IdentitySaveResult result;
    protocol::DeviceIdentity current;
    result.status = protocol::read_identity(link, current);
    if (result.status == protocol::status::ok)
        result.status = protocol::write_identity(link, edited_identity(current, name, typed_serial));
    if (result.status == firmware_too_old) {
        result.message = identity_too_old_text;
        return result;
    }
    if (result.status != protocol::status::ok) {
        result.message = save_failed_text;
        return result;
    }
    result.status = protocol::read_identity(link, result.saved);
    result.message = result.status == protocol::status::ok ? settings_saved_text : save_failed_text;
    return result;
}

}  // namespace quelmar::config
