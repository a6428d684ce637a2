#pragma once
// The firmware images the virtual sensor understands. A real image is opaque to the program;
// the virtual bootloader takes any image, and one that begins with a version line
//
//     %QUELMAR.FIRMWARE_VERSION=1.3.1\n
//
// (the text after '=' up to the line end, at most 24 characters) makes the sensor report that
// version once it restarts into the new firmware. What follows the line is filler.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quelmar::virtual_sensor {

constexpr const char* firmware_version_key = "%QUELMAR.FIRMWARE_VERSION=";
constexpr std::size_t firmware_version_max = 24;

// The version line and `body_bytes` of filler.
std::vector<std::uint8_t> make_firmware_image(const std::string& version, std::size_t body_bytes = 4000);
// The version an image carries, if it begins with a well-formed version line.
std::optional<std::string> firmware_image_version(std::span<const std::uint8_t> image);

}  // namespace quelmar::virtual_sensor
