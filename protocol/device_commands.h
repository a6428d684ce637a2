#pragma once
// Reading and writing the identity records, with the fall-backs for older firmware and
// bootloaders that know only the combined command 256 and its writing form 257.

#include "link/sensor_link.h"
#include "protocol/device_records.h"
#include "protocol/sensor_status.h"

namespace quelmar::protocol {

SensorStatus read_identity(link::SensorLink& link, DeviceIdentity& identity);
SensorStatus write_identity(link::SensorLink& link, const DeviceIdentity& identity);
SensorStatus read_kind(link::SensorLink& link, DeviceKind& kind);
SensorStatus read_software_version(link::SensorLink& link, SoftwareVersion& version);
SensorStatus read_status(link::SensorLink& link, SensorStatusRecord& record);
SensorStatus start_firmware(link::SensorLink& link);  // 258: the bootloader starts the firmware

}  // namespace quelmar::protocol
