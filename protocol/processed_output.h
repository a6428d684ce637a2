#pragma once
// The sensor's on-board results: one processed record per measurement with its platform
// context, read one at a time after the read has been opened, and wiped on request.

#include <array>
#include <cstdint>
#include <span>

#include "common/record_fields.h"
#include "protocol/command.h"

namespace quelmar::protocol {

struct ProcessedRecord {
    std::uint8_t byte0 = 0;             // not interpreted, carried unchanged
    std::uint16_t dive_number = 0;      // for DIC: the measurement state
    std::uint32_t sensor_time = 0;      // seconds since 1970 UTC
    std::uint32_t platform_time = 0;    // seconds since 1970 UTC
    float platform_salinity = 0;        // PSU
    float platform_temperature = 0;     // degC
    float platform_depth = 0;           // m
    // The result as the sensor's little-endian double; read and set it with processed_value()
    // and set_processed_value().
    std::array<std::uint8_t, 8> value_bytes{};
    std::array<std::uint8_t, 8> reserved{};  // not interpreted, carried unchanged
    std::uint8_t validity = 0;          // 1 good, 2 bad, otherwise unknown
    std::uint8_t direction = 0;         // 1 surfaced, 2 diving, 3 climbing, 4 hovering
    std::array<float, 3> extra{};       // meaning by chemistry
};

template <class Io>
constexpr void fields(Io& io, ProcessedRecord& r) {
    io.u8(r.byte0);
    io.u16(r.dive_number);
    io.u32(r.sensor_time);
    io.u32(r.platform_time);
    io.f32(r.platform_salinity);
    io.f32(r.platform_temperature);
    io.f32(r.platform_depth);
    io.u8(r.value_bytes);
    io.u8(r.reserved);
    io.u8(r.validity);
    io.u8(r.direction);
    io.f32(r.extra[0]);
    io.f32(r.extra[1]);
    io.f32(r.extra[2]);
}
static_assert(common::record_size<ProcessedRecord>() == 53);

double processed_value(const ProcessedRecord& r);
void set_processed_value(ProcessedRecord& r, double value);

// 419: opens the read of the stored results; sent once before a series of 420.
SensorStatus start_processed_read(link::SensorLink& link);
// 420: the next stored result; a non-zero status when none is ready.
SensorStatus read_processed_record(link::SensorLink& link, ProcessedRecord& record);
// 421: wipes every result stored on the sensor.
SensorStatus wipe_processed_output(link::SensorLink& link);

// The constant payloads the sensor expects.
inline constexpr std::array<std::uint8_t, 3> start_processed_request{2, 255, 255};
inline constexpr std::array<std::uint8_t, 1> read_processed_request{2};

}  // namespace quelmar::protocol
