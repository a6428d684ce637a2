#pragma once
// The live readings the sensor reports once a second (command 418), the platform data snapshot
// it keeps from its host platform (444) and the name of its current output file (422).

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "common/record_fields.h"
#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::protocol {

constexpr std::size_t readings_entry_size = 58;
constexpr std::size_t platform_data_size = 36;
constexpr std::size_t output_file_name_size = 13;
constexpr std::size_t channel_count = 8;

// The entry as it travels: bytes 1..58 of the 418 reply (byte 0 is the sensor mode).
using ReadingsBytes = std::array<std::uint8_t, readings_entry_size>;
using PlatformBytes = std::array<std::uint8_t, platform_data_size>;

struct ReadingsEntry {
    std::uint8_t platform_valid = 0;  // non-zero: the platform fields hold data
    std::uint32_t counter = 0;        // a new reading has a new value
    std::uint32_t sensor_time = 0;    // seconds since 1970 UTC
    std::uint8_t state = 0;
    std::int32_t temperature_mdegc = 0;
    std::int32_t supply_mv = 0;
    std::array<std::uint16_t, channel_count> channels{};  // ADC counts, 5 V full scale
    std::uint16_t hall_i = 0;
    std::uint16_t hall_w = 0;
    float platform_salinity = 0;
    float platform_temperature = 0;
    float platform_oxygen = 0;
    float platform_depth = 0;
    std::uint32_t platform_time = 0;
};

struct PlatformData {
    std::array<std::uint8_t, 3> head{};  // not interpreted
    float salinity = 0;
    float temperature = 0;
    float oxygen = 0;
    float depth = 0;
    std::uint8_t direction = 0;
    std::int32_t time_offset = 0;  // not used by the PC
    std::int32_t p1 = 0;
    std::int32_t p2 = 0;
    std::int32_t p3 = 0;
};

template <class Io>
constexpr void fields(Io& io, ReadingsEntry& e) {
    io.u8(e.platform_valid);
    io.u32(e.counter);
    io.u32(e.sensor_time);
    io.u8(e.state);
    io.i32(e.temperature_mdegc);
    io.i32(e.supply_mv);
    io.u16(e.channels);
    io.u16(e.hall_i);
    io.u16(e.hall_w);
    io.f32(e.platform_salinity);
    io.f32(e.platform_temperature);
    io.f32(e.platform_oxygen);
    io.f32(e.platform_depth);
    io.u32(e.platform_time);
}

template <class Io>
constexpr void fields(Io& io, PlatformData& p) {
    io.u8(p.head);
    io.f32(p.salinity);
    io.f32(p.temperature);
    io.f32(p.oxygen);
    io.f32(p.depth);
    io.u8(p.direction);
    io.i32(p.time_offset);
    io.i32(p.p1);
    io.i32(p.p2);
    io.i32(p.p3);
}

static_assert(common::record_size<ReadingsEntry>() == readings_entry_size);
static_assert(common::record_size<PlatformData>() == platform_data_size);

ReadingsEntry decode_readings_entry(std::span<const std::uint8_t, readings_entry_size> b);
ReadingsBytes encode_readings_entry(const ReadingsEntry& e);
PlatformData decode_platform_data(std::span<const std::uint8_t, platform_data_size> b);
PlatformBytes encode_platform_data(const PlatformData& p);

// The reading counter straight from the entry's bytes.
std::uint32_t readings_counter(const ReadingsBytes& entry);

// A channel's count in volts (5 V full scale over 16 bits).
inline double channel_volts(std::uint16_t count) { return count * 5.0 / 65536.0; }

// 418. The mode byte is taken on status 0 and on status 6 (which carries no readings); the
// entry only on status 0.
protocol::SensorStatus read_readings(link::SensorLink& link, std::uint8_t& mode,
                                     ReadingsBytes& entry);
protocol::SensorStatus read_platform_data(link::SensorLink& link, PlatformBytes& data);
// 422: the 8.3 name, cut at its NUL or at 13 bytes.
protocol::SensorStatus read_output_file_name(link::SensorLink& link, std::string& name);

}  // namespace quelmar::protocol
