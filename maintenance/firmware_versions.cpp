#include "maintenance/firmware_versions.h"

#include <cctype>
#include <cstdint>
#include <limits>

namespace quelmar::maintenance {

const std::array<FirmwareRelease, 9> firmware_releases = {{
    {"1.3.3", "19/10/2023", "Bug fixes",
     "Do not use Nutrient Processed Data features without updating firmware"},
    {"1.3.2", "07/09/2023", "Implemented pH improvements", nullptr},
    {"1.3.1", "06/09/2023", "pH bug fixes", nullptr},
    {"1.3.0", "19/07/2023", "Bug fixes", nullptr},
    {"1.2", "01/05/2023", "Test version only, do not deploy", nullptr},
    {"1.1", "22/09/2021", "RS232 bugs fixed",
     "RS232 will not work with board numbers below 50, and between 254n and 254n+50 for all n"},
    {"1.0", "30/04/2021", "Bug fixes", "Version numbers/compatibility won't work"},
    {"0.2", "28/04/2021", "Filename revisions and bug fixes",
     "If you see QUELMAR_2_8_3 above, this is either 0.2 or 0.1. Either way, UPDATE IMMEDIATELY"},
    {"0.1", "08/04/2021", "First revision", nullptr},
}};

namespace {

// A scan in the manner of sscanf for patterns made of literal characters and "%d": a number
// skips leading white space, takes an optional sign and at least one digit; the scan stops at
// the first mismatch. Returns the number of numbers matched. Numbers beyond the range of an
// int are held at its limit, where sscanf's behaviour is not defined.
int scan(std::string_view text, std::string_view pattern, std::int32_t* out) {
    std::size_t t = 0;
    int matched = 0;
    for (std::size_t p = 0; p < pattern.size(); ++p) {
        if (pattern[p] == '%' && p + 1 < pattern.size() && pattern[p + 1] == 'd') {
            ++p;
            while (t < text.size() && std::isspace(static_cast<unsigned char>(text[t]))) ++t;
            bool negative = false;
            if (t < text.size() && (text[t] == '+' || text[t] == '-')) negative = text[t++] == '-';
            if (t >= text.size() || !std::isdigit(static_cast<unsigned char>(text[t]))) return matched;
            std::int64_t v = 0;
            constexpr std::int64_t cap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
            while (t < text.size() && std::isdigit(static_cast<unsigned char>(text[t]))) {
                v = v * 10 + (text[t++] - '0');
                if (v > cap) v = cap;
            }
            if (negative) v = -v;
            if (v > std::numeric_limits<std::int32_t>::max()) v = std::numeric_limits<std::int32_t>::max();
            out[matched++] = static_cast<std::int32_t>(v);
        } else {
            if (t >= text.size() || text[t] != pattern[p]) return matched;
            ++t;
        }
    }
    return matched;
}

// The sum in the sensor's 32-bit arithmetic: absurd numbers wrap instead of overflowing.
std::int32_t weigh(std::int64_t a, std::int64_t a_weight, std::int64_t b, std::int64_t c) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(
        static_cast<std::uint64_t>(a * a_weight + b * 1000 + c)));
}

}  // namespace

std::optional<FirmwareVersion> parse_firmware_version(std::string_view text) {
    std::int32_t f[4] = {};
    if (scan(text, "QUELMAR_%d_%d_%d_T%d", f) == 4) return FirmwareVersion{weigh(f[0], 1000000, f[1], f[2]), f[3]};
    if (scan(text, "QUELMAR_%d_%d_%d", f) == 3) return FirmwareVersion{weigh(f[0], 100000, f[1], f[2]), -1};
    if (scan(text, "%d.%d.%d_T%d", f) == 4) return FirmwareVersion{weigh(f[0], 1000000, f[1], f[2]), f[3]};
    if (scan(text, "%d.%d.%d", f) == 3) return FirmwareVersion{weigh(f[0], 1000000, f[1], f[2]), -1};
    if (scan(text, "%d.%d", f) == 2) {
        const std::int32_t value = weigh(f[0], 1000000, f[1], 0);
        return FirmwareVersion{value, value == 1002000 ? 1 : -1};
    }
    return std::nullopt;
}

}  // namespace quelmar::maintenance
