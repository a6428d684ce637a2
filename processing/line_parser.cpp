#include "processing/line_parser.h"

#include "processing/c_locale.h"

#include <locale.h>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace quelmar::processing {

locale_t c_locale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

namespace {

inline bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
inline bool is_digit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

enum class Scan { ok, fail, other };

// "%u": white space, an optional sign, decimal digits; the value is what strtoul gives,
// cut to 32 bits.
__attribute__((always_inline)) inline Scan scan_unsigned(const char*& position, std::uint32_t& out) {
    const char* p = position;
    while (is_space(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (!is_digit(*p))
        return Scan::fail;
    // 19 digits always fit in 64 bits; only longer numbers need the overflow test.
    const char* const first = p;
    std::uint64_t v = 0;
    bool overflow = false;
    while (is_digit(*p) && p - first < 19)
        v = v * 10 + static_cast<unsigned>(*p++ - '0');
    while (is_digit(*p)) {
        const unsigned d = static_cast<unsigned>(*p - '0');
        if (!overflow) {
            if (v > (UINT64_MAX - d) / 10)
                overflow = true;
            else
                v = v * 10 + d;
        }
        ++p;
    }
    if (overflow)
        v = UINT64_MAX;
    else if (negative)
        v = ~v + 1;
    out = static_cast<std::uint32_t>(v);
    position = p;
    return Scan::ok;
}

constexpr double exact_powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// "%lf" for the decimal forms. The scan takes an optional sign, digits with at most one
// point (at least one digit), then an exponent marker with an optional sign; the marker and
// its sign are consumed even when no exponent digit follows, and then add nothing. Infinity,
// NaN and hexadecimal numbers are left to sscanf (Scan::other).
__attribute__((always_inline)) inline Scan scan_double(const char*& position, double& out) {
    const char* p = position;
    while (is_space(*p))
        ++p;
    const char* token = p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    const char first = *p;
    if (first == 'i' || first == 'I' || first == 'n' || first == 'N')
        return Scan::other;
    if (first == '0' && (p[1] == 'x' || p[1] == 'X'))
        return Scan::other;

    // Accumulated as it is scanned; with more than 19 digits it may wrap, and is then not
    // used.
    std::uint64_t mantissa = 0;
    const char* const int_begin = p;
    while (is_digit(*p))
        mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
    const char* const int_end = p;
    const char* frac_begin = p;
    if (*p == '.') {
        ++p;
        frac_begin = p;
        while (is_digit(*p))
            mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
    }
    const char* const frac_end = p;
    if (int_end == int_begin && frac_end == frac_begin)
        return Scan::fail;
    const char* value_end = p;
    int exponent = 0;
    if (*p == 'e' || *p == 'E') {
        ++p;
        bool exponent_negative = false;
        if (*p == '+' || *p == '-') {
            exponent_negative = *p == '-';
            ++p;
        }
        if (is_digit(*p)) {
            int e = 0;
            do {
                if (e < 100000)
                    e = e * 10 + (*p - '0');
                ++p;
            } while (is_digit(*p));
            exponent = exponent_negative ? -e : e;
            value_end = p;
        }
    }
    position = p;

    // Up to 19 digits, leading zeros included, fit the 64-bit mantissa.
    const auto digits = static_cast<std::size_t>((int_end - int_begin) + (frac_end - frac_begin));
    if (digits <= 19) {
        if (mantissa == 0) {
            out = negative ? -0.0 : 0.0;
            return Scan::ok;
        }
        exponent -= static_cast<int>(frac_end - frac_begin);
        // Both the mantissa and the power of ten are exact doubles, so one multiplication or
        // division rounds exactly as strtod does.
        if (mantissa <= (std::uint64_t{1} << 53) && exponent >= -22 && exponent <= 22) {
            double v = static_cast<double>(mantissa);
            v = exponent < 0 ? v / exact_powers[-exponent] : v * exact_powers[exponent];
            out = negative ? -v : v;
            return Scan::ok;
        }
    }
    // The token ends before a character that cannot continue it, so strtod reads exactly it.
    char local[128];
    std::string heap;
    const auto n = static_cast<std::size_t>(value_end - token);
    const char* text;
    if (n < sizeof local) {
        std::memcpy(local, token, n);
        local[n] = '\0';
        text = local;
    } else {
        heap.assign(token, n);
        text = heap.c_str();
    }
    out = strtod_l(text, nullptr, c_locale());
    return Scan::ok;
}

}  // namespace

int parse_data_line_scanf(std::string_view line, DataForm form, RawRecord& r) {
    thread_local std::string text;
    text.assign(line.data(), line.size());
    unsigned state = 0;
    int n;
    {
        CLocaleScope scope;
        if (form == DataForm::fields15) {
            n = std::sscanf(text.c_str(), "%u,%u,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%u,%u,%u",
                            &r.counter, &state, &r.channels[0], &r.channels[1], &r.channels[2],
                            &r.channels[3], &r.channels[4], &r.channels[5], &r.channels[6],
                            &r.channels[7], &r.temperature, &r.voltage, &r.hall_inject,
                            &r.hall_withdraw, &r.sensor_time);
        } else {
            n = std::sscanf(
                text.c_str(),
                "%u,%u,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%u,%u,%u,%lf,%lf,%lf,%lf,%u",
                &r.counter, &state, &r.channels[0], &r.channels[1], &r.channels[2], &r.channels[3],
                &r.channels[4], &r.channels[5], &r.channels[6], &r.channels[7], &r.temperature,
                &r.voltage, &r.hall_inject, &r.hall_withdraw, &r.sensor_time, &r.platform_salinity,
                &r.platform_temperature, &r.platform_do, &r.platform_depth, &r.platform_time);
        }
    }
    if (n >= 2)
        r.state = static_cast<std::uint8_t>(state);
    return n < 0 ? 0 : n;
}

int parse_data_line(std::string_view line, DataForm form, RawRecord& r) {
    // A NUL-terminated copy: the terminator stops every scan without a bounds test, and a NUL
    // inside the line ends it as it ends sscanf's string.
    char local[512];
    std::string heap;
    const char* p;
    if (line.size() < sizeof local) {
        std::memcpy(local, line.data(), line.size());
        local[line.size()] = '\0';
        p = local;
    } else {
        heap.assign(line.data(), line.size());
        p = heap.c_str();
    }
    int n = 0;
    Scan s = Scan::ok;
    std::uint32_t state = 0;
    // Each field after the first is a literal "," and its conversion; the first failure ends
    // the scan with the count so far.
#define QUELMAR_FIELD(scan, target)        \
    if (n > 0) {                           \
        if (*p != ',')                     \
            return n;                      \
        ++p;                               \
    }                                      \
    if ((s = scan(p, target)) != Scan::ok) \
        goto stopped;                      \
    ++n;
    QUELMAR_FIELD(scan_unsigned, r.counter)
    QUELMAR_FIELD(scan_unsigned, state)
    r.state = static_cast<std::uint8_t>(state);
    for (double& c : r.channels) {
        QUELMAR_FIELD(scan_double, c)
    }
    QUELMAR_FIELD(scan_double, r.temperature)
    QUELMAR_FIELD(scan_double, r.voltage)
    QUELMAR_FIELD(scan_unsigned, r.hall_inject)
    QUELMAR_FIELD(scan_unsigned, r.hall_withdraw)
    QUELMAR_FIELD(scan_unsigned, r.sensor_time)
    if (form == DataForm::fields20) {
        QUELMAR_FIELD(scan_double, r.platform_salinity)
        QUELMAR_FIELD(scan_double, r.platform_temperature)
        QUELMAR_FIELD(scan_double, r.platform_do)
        QUELMAR_FIELD(scan_double, r.platform_depth)
        QUELMAR_FIELD(scan_unsigned, r.platform_time)
    }
#undef QUELMAR_FIELD
    return n;
stopped:
    // Infinity, NaN and hexadecimal numbers: the whole line is read by sscanf instead.
    if (s == Scan::other)
        return parse_data_line_scanf(line, form, r);
    return n;
}

}  // namespace quelmar::processing
