#pragma once
// Helpers shared by the processing tests: records and raw-file text built in place.

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "processing/raw_record.h"

namespace quelmar::processing::test {

inline RawRecord record(std::uint8_t state, std::array<double, 8> channels = {},
                        std::uint32_t time = 0) {
    RawRecord r;
    r.state = state;
    r.channels = channels;
    r.sensor_time = time;
    r.platform_time = time;
    return r;
}

inline std::array<double, 8> all_channels(double v) {
    return {v, v, v, v, v, v, v, v};
}

// A 20-field data line as the sensor writes it.
inline std::string data_line(unsigned counter, unsigned state, std::array<double, 8> ch,
                             unsigned time = 1767225600, bool platform = true) {
    char buf[400];
    int n = std::snprintf(
        buf, sizeof buf, "%u,%u,%.6f,%.6f,%.6f,%.6f,%.6f,%.6f,%.6f,%.6f,15.20,12.10,1,2,%u",
        counter, state, ch[0], ch[1], ch[2], ch[3], ch[4], ch[5], ch[6], ch[7], time);
    std::string s(buf, static_cast<std::size_t>(n));
    if (platform) {
        std::snprintf(buf, sizeof buf, ",35.100,12.300,5.500,10.00,%u", time - 2);
        s += buf;
    }
    return s + "\n";
}

}  // namespace quelmar::processing::test
