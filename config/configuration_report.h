#pragma once
// The configuration report: every configuration record the connected sensor keeps, read one
// after the other and listed field by field as labelled text lines in ten sections. The
// "Sensor Configuration Log" dialog and `quelmar-cli report` show the same lines.

#include <cstdint>
#include <string>
#include <vector>

#include "link/sensor_link.h"

namespace quelmar::config {

// The file-name base until the sensor's name is known.
constexpr const char* report_default_file_base = "QUELMAR";

struct ConfigurationReport {
    std::vector<std::string> lines;                    // each at most 255 characters
    std::string file_base = report_default_file_base;  // the sensor's name once read
};

// Builds the report from the sensor on `link`. `pc_time_utc` is the PC's time now in seconds
// since 1970 (UTC). A failed read becomes its failure line; it never stops the report.
ConfigurationReport build_configuration_report(link::SensorLink& link, std::int64_t pc_time_utc);

// The name proposed when the report is saved: "<base>_config.log".
std::string report_file_name(const std::string& file_base);

// The lines, each followed by CR LF, as the clipboard and the saved file carry them.
std::string report_text_crlf(const std::vector<std::string>& lines);

// Writes the lines to `path`, each followed by the platform's line end; false when the file
// cannot be created or a write or the close fails.
bool write_report_file(const std::string& path, const std::vector<std::string>& lines);

}  // namespace quelmar::config
