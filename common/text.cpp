#include "common/text.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace quelmar::common {

std::string format_text(const char* format, ...) {
    char buffer[max_text_length + 1];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) return std::string();
    return std::string(buffer, static_cast<std::size_t>(n) < max_text_length
                                   ? static_cast<std::size_t>(n)
                                   : max_text_length);
}

void append_text(std::string& out, std::string_view piece) {
    out.append(piece);
}

void append_text(std::string& out, Fixed number) {
    // Shortest exact fixed notation of a double is at most 309 digits before the point.
    char buffer[340];
    const int digits = number.digits < 0 ? 0 : (number.digits > 17 ? 17 : number.digits);
    if (!std::isfinite(number.value)) {
        const int n = std::snprintf(buffer, sizeof buffer, "%.*f", digits, number.value);
        out.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
        return;
    }
    // The standard's fixed form with a precision rounds exactly as printf does.
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, number.value,
                                 std::chars_format::fixed, digits);
    out.append(buffer, r.ec == std::errc() ? r.ptr : buffer);
}

void append_text(std::string& out, std::int64_t number) {
    char buffer[24];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, number);
    out.append(buffer, r.ptr);
}

void append_text(std::string& out, std::uint64_t number) {
    char buffer[24];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, number);
    out.append(buffer, r.ptr);
}

namespace {
bool utc_parts(std::uint32_t seconds, std::tm& out) {
    if (seconds >= 0x80000000u) return false;
    std::time_t t = static_cast<std::time_t>(seconds);
    return gmtime_r(&t, &out) != nullptr;
}
}  // namespace

std::string sensor_time_text(std::uint32_t seconds) {
    std::tm tm{};
    if (!utc_parts(seconds, tm)) return format_text("%u", seconds);
    return format_text("%02d/%02d/%04d %02d:%02d:%02d", tm.tm_mday, tm.tm_mon + 1,
                       tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

std::string sensor_time_axis_text(std::uint32_t seconds) {
    std::tm tm{};
    if (!utc_parts(seconds, tm)) return format_text("%u", seconds);
    return format_text("%02d/%02d %02d:%02d", tm.tm_mday, tm.tm_mon + 1, tm.tm_hour, tm.tm_min);
}

}  // namespace quelmar::common
