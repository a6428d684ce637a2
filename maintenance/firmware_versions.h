#pragma once
// The sensor firmware releases this program knows, and turning a firmware's version text into
// a number that orders releases plus a mark for test builds.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/version.h"

namespace quelmar::maintenance {

struct FirmwareVersion {
    std::int32_t value = 0;   // orders versions
    std::int32_t marker = -1;  // negative for a release build, 0 or more for a test build
    bool is_test_build() const { return marker >= 0; }
};

// The five naming forms firmware has used, tried in order; nullopt for text in none of them.
// The older "QUELMAR_a_b_c" naming weighs a by 100000, so such versions below 10 order below
// 1.0. "1.2" alone is a test build.
std::optional<FirmwareVersion> parse_firmware_version(std::string_view text);

struct FirmwareRelease {
    const char* version;
    const char* date;
    const char* changes;
    const char* warning;  // compatibility warning, or nullptr
};

// Newest first; the first row is the latest firmware this program supports.
extern const std::array<FirmwareRelease, 9> firmware_releases;

constexpr const char* latest_firmware_version = "1.3.3";
constexpr const char* program_version = common::program_version;

}  // namespace quelmar::maintenance
