#pragma once
// The virtual sensor's side of an upgrade (259) beyond taking the blocks: a firmware image
// that carries a version line (see bootloader_image.h), once its end record is accepted,
// restarts the sensor into the new firmware: it leaves the bus and arrives again, reporting
// the image's version. A test can make it refuse one block.

#include <cstdint>

#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

void install_bootloader_handlers(VirtualSensor& sensor);

// The data block numbered `block` is refused with `status` (until cleared); the blocks before
// it are taken as usual.
void refuse_upgrade_block(VirtualSensor& sensor, std::uint32_t block, std::uint8_t status);
void clear_refused_upgrade_block(VirtualSensor& sensor);

// How many end records were accepted: each is an image taken.
std::uint32_t images_taken(VirtualSensor& sensor);

}  // namespace quelmar::virtual_sensor
