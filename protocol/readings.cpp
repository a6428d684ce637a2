#include "protocol/readings.h"

#include <algorithm>

#include "common/bytes.h"
#include "protocol/command.h"
#include "protocol/commands.h"

namespace quelmar::protocol {

ReadingsEntry decode_readings_entry(std::span<const std::uint8_t, readings_entry_size> b) {
    return common::decode_record<ReadingsEntry>(b);
}

ReadingsBytes encode_readings_entry(const ReadingsEntry& e) {
    return common::encode_record(e);
}

PlatformData decode_platform_data(std::span<const std::uint8_t, platform_data_size> b) {
    return common::decode_record<PlatformData>(b);
}

PlatformBytes encode_platform_data(const PlatformData& d) {
    return common::encode_record(d);
}

std::uint32_t readings_counter(const ReadingsBytes& entry) {
    return decode_readings_entry(entry).counter;
}

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
