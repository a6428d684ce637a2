#pragma once
// The program's printf formats are used verbatim; every formatted text is limited to 255
// characters, as the sensor's own texts are.

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace quelmar::common {

constexpr std::size_t max_text_length = 255;

// printf-style formatting into at most 255 characters (longer output is cut).
std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A number as printf's "%.{digits}f" writes it (digits 0..17).
struct Fixed {
    double value;
    int digits = 6;
};

// The pieces of text_of: the printf conversions the data passes write hundreds of thousands
// of times, byte for byte as printf writes them but without its cost.
void append_text(std::string& out, std::string_view piece);
inline void append_text(std::string& out, const char* piece) {
    append_text(out, std::string_view(piece));
}
void append_text(std::string& out, Fixed number);  // "%.*f"
void append_text(std::string& out, std::int64_t number);   // "%d"
void append_text(std::string& out, std::uint64_t number);  // "%u"
template <std::integral T>
    requires(!std::same_as<T, char> && !std::same_as<T, bool>)
void append_text(std::string& out, T number) {
    if constexpr (std::is_signed_v<T>)
        append_text(out, static_cast<std::int64_t>(number));
    else
        append_text(out, static_cast<std::uint64_t>(number));
}

// The pieces one after another, cut to 255 characters like format_text.
template <class... Pieces>
std::string text_of(const Pieces&... pieces) {
    std::string out;
    out.reserve(64);
    (append_text(out, pieces), ...);
    if (out.size() > max_text_length)
        out.resize(max_text_length);
    return out;
}

// Sensor time (unsigned seconds since 1970-01-01 00:00:00 UTC) as "dd/mm/yyyy hh:mm:ss".
// The sensor's clock is a signed 32-bit count on the PC side of the protocol, so 2^31 s and
// later are shown as the plain number instead of a date.
std::string sensor_time_text(std::uint32_t seconds);

// The short form used on graph axes: "dd/mm hh:mm" (same 32-bit rule).
std::string sensor_time_axis_text(std::uint32_t seconds);

}  // namespace quelmar::common
