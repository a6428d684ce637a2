#pragma once
// The program's printf formats are used verbatim; every formatted text is limited to 255
// characters, as the sensor's own texts are.

#include <cstdint>
#include <string>

namespace quelmar::common {

constexpr std::size_t max_text_length = 255;

// printf-style formatting into at most 255 characters (longer output is cut).
std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Sensor time (unsigned seconds since 1970-01-01 00:00:00 UTC) as "dd/mm/yyyy hh:mm:ss".
// The sensor's clock is a signed 32-bit count on the PC side of the protocol, so 2^31 s and
// later are shown as the plain number instead of a date.
std::string sensor_time_text(std::uint32_t seconds);

// The short form used on graph axes: "dd/mm hh:mm" (same 32-bit rule).
std::string sensor_time_axis_text(std::uint32_t seconds);

}  // namespace quelmar::common
