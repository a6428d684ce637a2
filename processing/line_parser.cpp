#include "processing/line_parser.h"

#include "processing/c_locale.h"

#include <locale.h>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
inline Scan scan_unsigned(const char*& p, const char* end, std::uint32_t& out) {
    while (p < end && is_space(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p >= end || !is_digit(*p))
        return Scan::fail;
    std::uint64_t v = 0;
    bool overflow = false;
    do {
        const unsigned d = static_cast<unsigned>(*p - '0');
        if (!overflow) {
            if (v > (UINT64_MAX - d) / 10)
                overflow = true;
            else
                v = v * 10 + d;
        }
        ++p;
    } while (p < end && is_digit(*p));
    if (overflow)
        v = UINT64_MAX;
    else if (negative)
        v = ~v + 1;
    out = static_cast<std::uint32_t>(v);
    return Scan::ok;
}

constexpr double exact_powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// "%lf" for the decimal forms. The scan takes an optional sign, digits with at most one
// point (at least one digit), then an exponent marker with an optional sign; the marker and
// its sign are consumed even when no exponent digit follows, and then add nothing. Infinity,
// NaN and hexadecimal numbers are left to sscanf (Scan::other).
inline Scan scan_double(const char*& p, const char* end, double& out) {
    while (p < end && is_space(*p))
        ++p;
    const char* token = p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p >= end)
        return Scan::fail;
    const char first = *p;
    if (first == 'i' || first == 'I' || first == 'n' || first == 'N')
        return Scan::other;
    if (first == '0' && p + 1 < end && (p[1] == 'x' || p[1] == 'X'))
        return Scan::other;

    std::uint64_t mantissa = 0;
    int significant = 0;
    int exponent = 0;
    bool any_digit = false;
    bool long_mantissa = false;
    while (p < end && is_digit(*p)) {
        any_digit = true;
        const unsigned d = static_cast<unsigned>(*p - '0');
        if (mantissa != 0 || d != 0) {
            if (significant < 19) {
                mantissa = mantissa * 10 + d;
                ++significant;
            } else {
                long_mantissa = true;
            }
        }
        ++p;
    }
    if (p < end && *p == '.') {
        ++p;
        while (p < end && is_digit(*p)) {
            any_digit = true;
            const unsigned d = static_cast<unsigned>(*p - '0');
            if (mantissa != 0 || d != 0) {
                if (significant < 19) {
                    mantissa = mantissa * 10 + d;
                    ++significant;
                    --exponent;
                } else {
                    long_mantissa = true;
                }
            } else {
                --exponent;
            }
            ++p;
        }
    }
    if (!any_digit)
        return Scan::fail;
    const char* value_end = p;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool exponent_negative = false;
        if (p < end && (*p == '+' || *p == '-')) {
            exponent_negative = *p == '-';
            ++p;
        }
        if (p < end && is_digit(*p)) {
            int e = 0;
            do {
                if (e < 100000)
                    e = e * 10 + (*p - '0');
                ++p;
            } while (p < end && is_digit(*p));
            exponent += exponent_negative ? -e : e;
            value_end = p;
        }
    }

    if (mantissa == 0 && !long_mantissa) {
        out = negative ? -0.0 : 0.0;
        return Scan::ok;
    }
    // Both the mantissa and the power of ten are exact doubles, so one multiplication or
    // division rounds exactly as strtod does.
    if (!long_mantissa && mantissa <= (std::uint64_t{1} << 53) && exponent >= -22 &&
        exponent <= 22) {
        double v = static_cast<double>(mantissa);
        v = exponent < 0 ? v / exact_powers[-exponent] : v * exact_powers[exponent];
        out = negative ? -v : v;
        return Scan::ok;
    }
    char local[128];
    std::string heap;
    const std::size_t n = static_cast<std::size_t>(value_end - token);
    const char* text;
    if (n < sizeof local) {
        for (std::size_t i = 0; i < n; ++i)
            local[i] = token[i];
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
    const char* p = line.data();
    const char* const end = p + line.size();
    const int fields = static_cast<int>(form);
    int n = 0;
    std::uint32_t state = 0;
    Scan s = Scan::ok;

    auto comma = [&]() {
        if (p < end && *p == ',') {
            ++p;
            return true;
        }
        return false;
    };
    auto u = [&](std::uint32_t& out) {
        if (n > 0 && !comma())
            return false;
        s = scan_unsigned(p, end, out);
        if (s != Scan::ok)
            return false;
        ++n;
        return true;
    };
    auto d = [&](double& out) {
        if (!comma())
            return false;
        s = scan_double(p, end, out);
        if (s != Scan::ok)
            return false;
        ++n;
        return true;
    };

    bool complete = u(r.counter) && u(state);
    if (n == 2)
        r.state = static_cast<std::uint8_t>(state);
    complete = complete && d(r.channels[0]) && d(r.channels[1]) && d(r.channels[2]) &&
               d(r.channels[3]) && d(r.channels[4]) && d(r.channels[5]) && d(r.channels[6]) &&
               d(r.channels[7]) && d(r.temperature) && d(r.voltage) && u(r.hall_inject) &&
               u(r.hall_withdraw) && u(r.sensor_time);
    if (complete && fields == 20) {
        complete = d(r.platform_salinity) && d(r.platform_temperature) && d(r.platform_do) &&
                   d(r.platform_depth) && u(r.platform_time);
    }
    if (s == Scan::other)
        return parse_data_line_scanf(line, form, r);
    return n;
}

}  // namespace quelmar::processing
