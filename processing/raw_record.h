#pragma once
// One data line of a raw output file, in the order the sensor writes its fields.

#include <array>
#include <cstdint>

namespace quelmar::processing {

constexpr std::uint8_t no_state = 255;
constexpr std::size_t channel_count = 8;

struct RawRecord {
    std::uint32_t counter = 0;
    std::uint8_t state = 0;                        // low 8 bits of the written value
    std::array<double, channel_count> channels{};  // volts
    double temperature = 0;
    double voltage = 0;
    std::uint32_t hall_inject = 0;
    std::uint32_t hall_withdraw = 0;
    std::uint32_t sensor_time = 0;
    double platform_salinity = 0;
    double platform_temperature = 0;
    double platform_do = 0;
    double platform_depth = 0;
    std::uint32_t platform_time = 0;
};

// Fed after the last line of a file that ended normally, so that the engines close the
// state the file ended in.
inline RawRecord end_of_file_record() {
    RawRecord r;
    r.state = no_state;
    return r;
}

}  // namespace quelmar::processing
