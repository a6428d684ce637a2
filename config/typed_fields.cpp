#include "config/typed_fields.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "common/text.h"

namespace quelmar::config {

std::string_view skip_space(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\f' || text[i] == '\v'))
        ++i;
    return text.substr(i);
}

std::uint64_t typed_unsigned(std::string_view text) {
    text = skip_space(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::uint64_t value = 0;
    bool any = false;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        any = true;
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            return std::numeric_limits<std::uint64_t>::max();
        value = value * 10 + digit;
    }
    return any ? value : 0;
}

std::int32_t typed_signed(std::string_view text) {
    text = skip_space(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Only digits may follow the sign: "- 5" or "+-5" is not a number.
    if (text.empty() || text.front() < '0' || text.front() > '9') return 0;
    const std::uint64_t magnitude = typed_unsigned(text);
    constexpr std::uint64_t max_positive = std::numeric_limits<std::int32_t>::max();
    if (negative)
        return magnitude > max_positive ? std::numeric_limits<std::int32_t>::min()
                                        : -static_cast<std::int32_t>(magnitude);
    return magnitude > max_positive ? std::numeric_limits<std::int32_t>::max()
                                    : static_cast<std::int32_t>(magnitude);
}

float typed_decimal(std::string_view text) {
    text = skip_space(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        // from_chars would take a second sign after the "+"; "%f" does not.
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) return 0.0f;
    }
    double value = 0.0;
    // from_chars never depends on the user's locale, so "1.5" reads the same everywhere.
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too large (or too small) for a double: the sign decides which limit, a tiny value
        // is 0.
        const bool negative = !text.empty() && text.front() == '-';
        const auto mantissa_end = text.find_first_of("eE");
        const bool tiny = mantissa_end != std::string_view::npos &&
                          mantissa_end + 1 < text.size() && text[mantissa_end + 1] == '-';
        if (tiny) return 0.0f;
        return negative ? std::numeric_limits<float>::lowest() : std::numeric_limits<float>::max();
    }
    if (error != std::errc() || !std::isfinite(value)) return 0.0f;
    constexpr double float_max = std::numeric_limits<float>::max();
    if (value > float_max) return std::numeric_limits<float>::max();
    if (value < -float_max) return std::numeric_limits<float>::lowest();
    return static_cast<float>(value);
}

float typed_decimal_box(std::string_view text) {
    return typed_decimal(text.substr(0, decimal_field_length));
}

std::string fixed_text(double value, int digits) {
    // A record from the sensor may hold anything: a NaN or infinity shows as zero.
    if (!std::isfinite(value)) value = 0.0;
    char buf[400];
    // to_chars ignores the C locale, which a desktop may set to one with a decimal comma: the
    // box must read back what it shows.
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, digits);
    if (r.ec != std::errc{}) return "0";
    return std::string(buf, r.ptr);
}

std::string decimal_text(float value, int digits) {
    return fixed_text(static_cast<double>(value), digits);
}

}  // namespace quelmar::config
