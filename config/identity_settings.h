#pragma once
// The sensor's name and serial number as the identification dialog edits them: what makes an
// entry acceptable, and the Save sequence with the words the user is told.

#include <cstdint>
#include <string>
#include <string_view>

#include "link/sensor_link.h"
#include "protocol/device_records.h"
#include "protocol/sensor_status.h"

namespace quelmar::config {

inline constexpr const char* identity_open_caption = "Configure Sensor Name";
inline constexpr const char* identity_open_failed_text =
    "Unable to retrieve Sensor Name from device";
inline constexpr const char* identity_too_old_text =
    "Failed to save settings (firmware is too old for GUI)";

// A name longer than 20 characters, or a serial number above 65535, is drawn in red, and
// Save is offered only when neither is.
bool identity_name_too_long(std::size_t name_length);
bool identity_serial_too_large(std::uint64_t typed_serial);
bool identity_save_enabled(std::size_t name_length, std::uint64_t typed_serial);

// The identity to write: the record read just before, with the form set to 2 (the program
// always writes the 29-byte form), the typed name (at most 20 characters, NUL-terminated)
// and the typed serial number (held to 65535). Every other byte is kept as read.
protocol::DeviceIdentity edited_identity(const protocol::DeviceIdentity& read,
                                         const std::string& name, std::uint64_t typed_serial);

struct IdentitySaveResult {
    protocol::SensorStatus status = protocol::status::ok;  // of the read, write or read-back
    std::string message;                                     // shown with caption "Save"
    protocol::DeviceIdentity saved;                          // the identity read back
};

// Save: read the identity again, edit it, write it (with the older firmware's fall-back) and
// read it back. A sensor that answers 8 is too old for this program to set its identity.
IdentitySaveResult save_identity(link::SensorLink& link, const std::string& name,
                                 std::uint64_t typed_serial);

}  // namespace quelmar::config
