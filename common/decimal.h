#pragma once
// Decimal texts to whole counts of thousandths, exactly. Settings typed or written in a file
// as "2.01" µM are held as 2010 thousandths; multiplying the binary double by 1000 and
// truncating gives 2009 for this and many other two-decimal values.

#include <cstdint>
#include <optional>
#include <string_view>

namespace quelmar::common {

// The decimal number at the start of `text` (after white space), in the form "%lf" reads
// one: sign, digits with an optional point, optional exponent. Its value in thousandths,
// truncated toward zero (1.2345 is 1234, -1.2345 is -1234), held at the 64-bit limits.
// Nothing when the text does not start with such a number (also for the hexadecimal,
// infinity and NaN forms, which a caller converts through binary instead).
std::optional<std::int64_t> decimal_thousandths(std::string_view text);

}  // namespace quelmar::common
