#include "protocol/readings.h"

#include <algorithm>

#include "common/bytes.h"
#include "protocol/command.h"
#include "protocol/commands.h"

namespace quelmar::protocol {

using common::get_f32le;
using common::get_i32le;
using common::get_u16le;
using common::get_u32le;

ReadingsEntry decode_readings_entry(std::span<const std::uint8_t, readings_entry_size> b) {
    ReadingsEntry e;
    const std::uint8_t* p = b.data();
    e.platform_valid = p[0];
    e.counter = get_u32le(p + 1);
    e.sensor_time = get_u32le(p + 5);
    e.state = p[9];
    e.temperature_mdegc = get_i32le(p + 10);
    e.supply_mv = get_i32le(p + 14);
    for (std::size_t i = 0; i < channel_count; ++i) e.channels[i] = get_u16le(p + 18 + 2 * i);
    e.hall_i = get_u16le(p + 34);
    e.hall_w = get_u16le(p + 36);
    e.platform_salinity = get_f32le(p + 38);
    e.platform_temperature = get_f32le(p + 42);
    e.platform_oxygen = get_f32le(p + 46);
    e.platform_depth = get_f32le(p + 50);
    e.platform_time = get_u32le(p + 54);
    return e;
}

ReadingsBytes encode_readings_entry(const ReadingsEntry& e) {
    ReadingsBytes b{};
    std::uint8_t* p = b.data();
    p[0] = e.platform_valid;
    common::put_u32le(p + 1, e.counter);
    common::put_u32le(p + 5, e.sensor_time);
    p[9] = e.state;
    common::put_i32le(p + 10, e.temperature_mdegc);
    common::put_i32le(p + 14, e.supply_mv);
    for (std::size_t i = 0; i < channel_count; ++i)
        common::put_u16le(p + 18 + 2 * i, e.channels[i]);
    common::put_u16le(p + 34, e.hall_i);
    common::put_u16le(p + 36, e.hall_w);
    common::put_f32le(p + 38, e.platform_salinity);
    common::put_f32le(p + 42, e.platform_temperature);
    common::put_f32le(p + 46, e.platform_oxygen);
    common::put_f32le(p + 50, e.platform_depth);
    common::put_u32le(p + 54, e.platform_time);
    return b;
}

PlatformData decode_platform_data(std::span<const std::uint8_t, platform_data_size> b) {
    PlatformData d;
    const std::uint8_t* p = b.data();
    std::copy(p, p + 3, d.head.begin());
    d.salinity = get_f32le(p + 3);
    d.temperature = get_f32le(p + 7);
    d.oxygen = get_f32le(p + 11);
    d.depth = get_f32le(p + 15);
    d.direction = p[19];
    d.time_offset = get_i32le(p + 20);
    d.p1 = get_i32le(p + 24);
    d.p2 = get_i32le(p + 28);
    d.p3 = get_i32le(p + 32);
    return d;
}

PlatformBytes encode_platform_data(const PlatformData& d) {
    PlatformBytes b{};
    std::uint8_t* p = b.data();
    std::copy(d.head.begin(), d.head.end(), p);
    common::put_f32le(p + 3, d.salinity);
    common::put_f32le(p + 7, d.temperature);
    common::put_f32le(p + 11, d.oxygen);
    common::put_f32le(p + 15, d.depth);
    p[19] = d.direction;
    common::put_i32le(p + 20, d.time_offset);
    common::put_i32le(p + 24, d.p1);
    common::put_i32le(p + 28, d.p2);
    common::put_i32le(p + 32, d.p3);
    return b;
}

std::uint32_t readings_counter(const ReadingsBytes& entry) { return get_u32le(entry.data() + 1); }

protocol::SensorStatus read_readings(link::SensorLink& link, std::uint8_t& mode,
                                     ReadingsBytes& entry) {
    auto report = link::SensorReport::request(protocol::cmd::read_readings);
    const protocol::SensorStatus s = protocol::run_command(link, report);
    if (s == protocol::status::ok || s == protocol::status::voltage_too_low)
        mode = report.payload()[0];
    if (s == protocol::status::ok)
        std::copy(report.payload() + 1, report.payload() + 1 + readings_entry_size, entry.begin());
    return s;
}

protocol::SensorStatus read_platform_data(link::SensorLink& link, PlatformBytes& data) {
    return protocol::send_command(link, protocol::cmd::read_platform_data, {}, data);
}

protocol::SensorStatus read_output_file_name(link::SensorLink& link, std::string& name) {
    std::array<std::uint8_t, output_file_name_size> raw{};
    const protocol::SensorStatus s =
        protocol::send_command(link, protocol::cmd::read_output_file_name, {}, raw);
    if (s == protocol::status::ok) name = common::get_text(raw.data(), raw.size());
    return s;
}

}  // namespace quelmar::protocol
