#include "virtual_sensor/bootloader_image.h"

#include <algorithm>
#include <cstring>

namespace quelmar::virtual_sensor {

std::vector<std::uint8_t> make_firmware_image(const std::string& version, std::size_t body_bytes) {
    const std::string line = std::string(firmware_version_key) + version + "\n";
    std::vector<std::uint8_t> image(line.begin(), line.end());
    // Filler that is not all one value, so that a lost or repeated block shows.
    std::uint32_t x = 0x2545F491u;
    for (std::size_t i = 0; i < body_bytes; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        image.push_back(static_cast<std::uint8_t>(x));
    }
    return image;
}

std::optional<std::string> firmware_image_version(std::span<const std::uint8_t> image) {
    const std::size_t key = std::strlen(firmware_version_key);
    if (image.size() < key || !std::equal(image.begin(), image.begin() + key,
                                          reinterpret_cast<const std::uint8_t*>(firmware_version_key)))
        return std::nullopt;
    std::string version;
    for (std::size_t i = key; i < image.size(); ++i) {
        const char c = static_cast<char>(image[i]);
        if (c == '\n') {
            if (version.empty()) return std::nullopt;
            return version;
        }
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E ||
            version.size() == firmware_version_max)
            return std::nullopt;
        version += c;
    }
    return std::nullopt;  // no line end: not a version line
}

}  // namespace quelmar::virtual_sensor
