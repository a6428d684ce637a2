#include "maintenance/compatibility_report.h"

#include "common/text.h"
#include "maintenance/firmware_versions.h"

namespace quelmar::maintenance {

Rgb colour_rgb(LineColour colour) {
    switch (colour) {
        case LineColour::red: return {255, 0, 0};
        case LineColour::green: return {0, 128, 64};
        case LineColour::grey: return {100, 100, 100};
        case LineColour::black: break;
    }
    return {0, 0, 0};
}

std::vector<VerdictLine> compatibility_verdict(const std::string& sensor_version) {
    using C = LineColour;
    std::vector<VerdictLine> lines = {
        {common::format_text("Sensor's Firmware Version: %s", sensor_version.c_str()), C::black},
        {common::format_text("Latest Firmware Version supported by this GUI: %s", latest_firmware_version),
         C::black},
        {common::format_text("This GUI Version: %s", program_version), C::black},
        {"", C::black},
    };
    const std::int32_t latest = parse_firmware_version(latest_firmware_version)->value;
    const auto sensor = parse_firmware_version(sensor_version);
    if (!sensor) {
        lines.push_back({"The firmware you are running is unrecognised.", C::red});
        lines.push_back({"Please do not deploy this firmware.", C::red});
    } else if (sensor->is_test_build()) {
        lines.push_back({"The firmware you are running is for testing only.", C::red});
        lines.push_back({"Please do not deploy this firmware.", C::red});
    } else if (latest < sensor->value) {
        // The text's spelling is the program's own and is kept as users know it.
        lines.push_back({"The firmware you are running is newer than than the latest known to this GUI "
                         "so there may be compatbility problems.",
                         C::red});
        lines.push_back({"Please check your firmware's release notes or upgrade to the latest GUI.", C::red});
        lines.push_back({"", C::black});
        lines.push_back({"Starting & stopping the sensor and downloading data files will be safe.", C::black});
    } else if (latest == sensor->value) {
        lines.push_back({"The firmware you are running is the latest supported by this GUI.", C::black});
        lines.push_back({"", C::black});
        lines.push_back({"All operations are safe.", C::green});
    } else {
        lines.push_back({"The firmware you are running is not the latest supported by this GUI.", C::black});
        lines.push_back({"Please observe any compatibility warnings listed here:", C::black});
        lines.push_back({"", C::black});
        // Every release newer than the sensor's may carry a warning; a version the table does
        // not know gets all of them.
        bool warned = false;
        for (const auto& release : firmware_releases) {
            if (parse_firmware_version(release.version)->value == sensor->value) break;
            if (release.warning) {
                lines.push_back({release.warning, C::red});
                warned = true;
            }
        }
        if (warned) {
            lines.push_back({"", C::black});
            lines.push_back({"All other operations are safe.", C::black});
        } else {
            lines.push_back({"All operations are safe.", C::green});
        }
    }
    return lines;
}

std::vector<ReleaseListRow> release_list(const std::string& sensor_version) {
    const auto sensor = parse_firmware_version(sensor_version);
    std::vector<ReleaseListRow> rows;
    for (const auto& release : firmware_releases) {
        const bool own = sensor && parse_firmware_version(release.version)->value == sensor->value;
        rows.push_back({release.version, release.date, release.changes,
                        own ? LineColour::black : LineColour::grey});
    }
    return rows;
}

}  // namespace quelmar::maintenance
