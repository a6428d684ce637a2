// Record codecs. The live graph decodes up to 3600 readings entries on every redraw, so the
// field-list codecs are compared with a decoder and an encoder written offset by offset.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "common/bytes.h"
#include "protocol/readings.h"
#include "statemachine/state_files.h"
#include "statemachine/state_record.h"

namespace {

using namespace quelmar;

protocol::ReadingsBytes sample_entry() {
    protocol::ReadingsBytes b{};
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return b;
}

// Out of line, as the library decoder is, so the two are compared call for call.
[[gnu::noinline]] protocol::ReadingsEntry decode_by_offsets(const protocol::ReadingsBytes& bytes) {
    using namespace common;
    const std::uint8_t* p = bytes.data();
    protocol::ReadingsEntry e;
    e.platform_valid = p[0];
    e.counter = get_u32le(p + 1);
    e.sensor_time = get_u32le(p + 5);
    e.state = p[9];
    e.temperature_mdegc = get_i32le(p + 10);
    e.supply_mv = get_i32le(p + 14);
    for (std::size_t i = 0; i < protocol::channel_count; ++i)
        e.channels[i] = get_u16le(p + 18 + 2 * i);
    e.hall_i = get_u16le(p + 34);
    e.hall_w = get_u16le(p + 36);
    e.platform_salinity = get_f32le(p + 38);
    e.platform_temperature = get_f32le(p + 42);
    e.platform_oxygen = get_f32le(p + 46);
    e.platform_depth = get_f32le(p + 50);
    e.platform_time = get_u32le(p + 54);
    return e;
}

[[gnu::noinline]] protocol::ReadingsBytes encode_by_offsets(const protocol::ReadingsEntry& e) {
    using namespace common;
    protocol::ReadingsBytes b{};
    std::uint8_t* p = b.data();
    p[0] = e.platform_valid;
    put_u32le(p + 1, e.counter);
    put_u32le(p + 5, e.sensor_time);
    p[9] = e.state;
    put_i32le(p + 10, e.temperature_mdegc);
    put_i32le(p + 14, e.supply_mv);
    for (std::size_t i = 0; i < protocol::channel_count; ++i)
        put_u16le(p + 18 + 2 * i, e.channels[i]);
    put_u16le(p + 34, e.hall_i);
    put_u16le(p + 36, e.hall_w);
    put_f32le(p + 38, e.platform_salinity);
    put_f32le(p + 42, e.platform_temperature);
    put_f32le(p + 46, e.platform_oxygen);
    put_f32le(p + 50, e.platform_depth);
    put_u32le(p + 54, e.platform_time);
    return b;
}

void readings_entry_decode(benchmark::State& state) {
    auto bytes = sample_entry();
    for (auto _ : state) {
        benchmark::DoNotOptimize(bytes);
        auto e = protocol::decode_readings_entry(bytes);
        benchmark::DoNotOptimize(e);
    }
}
BENCHMARK(readings_entry_decode);

void readings_entry_decode_by_offsets(benchmark::State& state) {
    auto bytes = sample_entry();
    for (auto _ : state) {
        benchmark::DoNotOptimize(bytes);
        auto e = decode_by_offsets(bytes);
        benchmark::DoNotOptimize(e);
    }
}
BENCHMARK(readings_entry_decode_by_offsets);

void readings_entry_encode(benchmark::State& state) {
    auto e = protocol::decode_readings_entry(sample_entry());
    for (auto _ : state) {
        benchmark::DoNotOptimize(e);
        auto b = protocol::encode_readings_entry(e);
        benchmark::DoNotOptimize(b);
    }
}
BENCHMARK(readings_entry_encode);

void readings_entry_encode_by_offsets(benchmark::State& state) {
    auto e = protocol::decode_readings_entry(sample_entry());
    for (auto _ : state) {
        benchmark::DoNotOptimize(e);
        auto b = encode_by_offsets(e);
        benchmark::DoNotOptimize(b);
    }
}
BENCHMARK(readings_entry_encode_by_offsets);

void state_record_decode(benchmark::State& state) {
    statemachine::StateBytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 13);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bytes);
        auto r = statemachine::decode_state_record(bytes);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(state_record_decode);

void dat_record_encode(benchmark::State& state) {
    statemachine::StateBytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 13);
    const auto r = statemachine::decode_state_record(bytes);
    for (auto _ : state) {
        benchmark::DoNotOptimize(r);
        auto b = statemachine::encode_dat_record(r);
        benchmark::DoNotOptimize(b);
    }
}
BENCHMARK(dat_record_encode);

}  // namespace

BENCHMARK_MAIN();
