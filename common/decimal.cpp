#include "common/decimal.h"

#include <limits>
#include <string>

namespace quelmar::common {

namespace {

bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::int64_t> decimal_thousandths(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && is_space(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        return std::nullopt;  // hexadecimal

    // The significant digits without leading zeros, and where the point stands among them.
    std::string digits;
    std::int64_t point = 0;  // value = digits × 10^(point − digits.size())
    bool any_digit = false;
    bool after_point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !after_point) {
            after_point = true;
            continue;
        }
        if (!is_digit(c))
            break;
        any_digit = true;
        if (digits.empty() && c == '0') {
            if (after_point)
                --point;
            continue;
        }
        // Digits far beyond the 19 that a 64-bit count holds change nothing but its
        // saturation, which the integer part decides.
        if (digits.size() < 64)
            digits.push_back(c);
        if (!after_point)
            ++point;
    }
    if (!any_digit)
        return std::nullopt;
    std::int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool exponent_negative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            exponent_negative = text[j++] == '-';
        if (j < text.size() && is_digit(text[j])) {
            for (; j < text.size() && is_digit(text[j]); ++j)
                if (exponent < 100000)
                    exponent = exponent * 10 + (text[j] - '0');
            if (exponent_negative)
                exponent = -exponent;
        }
    }
    if (digits.empty())
        return 0;

    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    // Whole thousandths: the first (point + exponent + 3) significant digits.
    const std::int64_t whole = point + exponent + 3;
    if (whole <= 0)
        return 0;
    if (whole > 19)
        return negative ? -max : max;
    std::uint64_t v = 0;
    for (std::int64_t k = 0; k < whole; ++k) {
        const unsigned d =
            k < static_cast<std::int64_t>(digits.size()) ? static_cast<unsigned>(digits[k] - '0') : 0;
        v = v * 10 + d;
    }
    if (v > static_cast<std::uint64_t>(max))
        v = static_cast<std::uint64_t>(max);
    const auto magnitude = static_cast<std::int64_t>(v);
    return negative ? -magnitude : magnitude;
}

}  // namespace quelmar::common
