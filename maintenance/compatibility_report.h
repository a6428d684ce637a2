#pragma once
// What the compatibility view says about the firmware in the sensor: the verdict lines with
// their colours, and the release list with the sensor's own release picked out.

#include <cstdint>
#include <string>
#include <vector>

namespace quelmar::maintenance {

enum class LineColour { black, red, green, grey };

// The colours as red, green, blue.
struct Rgb {
    std::uint8_t r, g, b;
};
Rgb colour_rgb(LineColour colour);

struct VerdictLine {
    std::string text;
    LineColour colour = LineColour::black;
};

// The verdict for a sensor whose firmware reports `sensor_version`.
std::vector<VerdictLine> compatibility_verdict(const std::string& sensor_version);

struct ReleaseListRow {
    std::string version, date, changes;
    LineColour colour = LineColour::grey;  // black for the sensor's own release
};
std::vector<ReleaseListRow> release_list(const std::string& sensor_version);

// The view's messages.
constexpr const char* version_unreadable_text = "Can't read firmware version from sensor";
constexpr const char* version_unreadable_title = "Connect";

}  // namespace quelmar::maintenance
