#pragma once
// What the configuration dialogs' boxes hold, read the way the sensor expects it: text that is
// not a number reads as 0, and nothing that is not a finite 32-bit float ever reaches a record
// bound for the sensor.

#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/sensor_status.h"

namespace quelmar::config {

// Decimal boxes take at most this many characters.
constexpr std::size_t decimal_field_length = 23;

// An unsigned integer box: leading white space, an optional "+", digits; anything else (or
// an empty box) reads as 0. Values beyond 64 bits are held at the 64-bit limit.
std::uint64_t typed_unsigned(std::string_view text);

// A signed integer box, held to the 32-bit range of the record's field.
std::int32_t typed_signed(std::string_view text);

// A decimal, read as "%f" reads a number. Text that is not a number, and "nan" or "inf" in any
// spelling, reads as 0; a finite value beyond the float range is held at the largest float of
// its sign.
float typed_decimal(std::string_view text);
// The same for the boxes that take only their first 23 characters (optics, valves and pump;
// communications, platform and thermistors).
float typed_decimal_box(std::string_view text);

// The text without the white space "%f" and "%u" skip before a number.
std::string_view skip_space(std::string_view text);

// A number with `digits` decimals, whatever the desktop's locale ("%.3f" of the platform boxes,
// "%.5f" of the thermistor and chemistry boxes); NaN and infinity show as zero.
std::string fixed_text(double value, int digits);
std::string decimal_text(float value, int digits);

// What every settings dialog says after Save (caption "Save").
inline constexpr const char* save_caption = "Save";
inline constexpr const char* settings_saved_text = "Settings saved";
inline constexpr const char* save_failed_text = "Failed to save settings";

// The Save pattern: the write, and only when it succeeded the read-back. Saved only when both
// answered 0.
template <class Write, class ReadBack>
bool save_then_read_back(Write&& write, ReadBack&& read_back) {
    if (write() != protocol::status::ok) return false;
    return read_back() == protocol::status::ok;
}

}  // namespace quelmar::config
