#include "protocol/chemistry.h"

#include <cstring>

#include "common/bytes.h"
#include "protocol/command.h"
#include "protocol/commands.h"
#include "protocol/record_commands.h"

namespace quelmar::protocol {

using namespace common;

bool is_nutrient_chemistry(ChemistryType type) {
    return type == chemistry::nitrate || type == chemistry::phosphate ||
           type == chemistry::silicate || type == chemistry::nitrite || type == chemistry::iron;
}

std::string chemistry_name(ChemistryType type) {
    switch (type) {
        case chemistry::generic: return "Generic";
        case chemistry::nitrate: return "Nitrate";
        case chemistry::phosphate: return "Phosphate";
        case chemistry::silicate: return "Silicate";
        case chemistry::ph: return "pH";
        case chemistry::nitrite: return "Nitrite";
        case chemistry::iron: return "Iron";
        case chemistry::ta: return "TA";
        case chemistry::dic: return "DIC";
        case chemistry::ammonia: return "Ammonia";
        default: return {};
    }
}

ChemistryConfig decode_chemistry_config(std::span<const std::uint8_t, chemistry_config_size> b) {
    return decode_record<ChemistryConfig>(b);
}

std::array<std::uint8_t, chemistry_config_size> encode_chemistry_config(const ChemistryConfig& r) {
    return encode_record(r);
}

SensorStatus read_chemistry_config(link::SensorLink& link, ChemistryConfig& config) {
    return read_record(link, cmd::read_chemistry_config, config);
}

SensorStatus write_chemistry_config(link::SensorLink& link, const ChemistryConfig& config) {
    return write_record(link, cmd::write_chemistry_config, config);
}

std::array<std::uint8_t, nutrient_parameters_size> nutrient_record_from_legacy(
    std::span<const std::uint8_t, legacy_nutrient_parameters_size> legacy) {
    std::array<std::uint8_t, nutrient_parameters_size> r{};
    std::memcpy(r.data(), legacy.data(), legacy.size());
    r[0] = 1;
    if (r[2] > 3) r[2] = 1;  // an output channel the old layout cannot hold becomes Medium
    r[23] = 0;
    r[24] = 1;
    r[25] = 2;
    r[26] = r[27] = r[28] = 255;
    // Output channel 3 has no monitoring byte in the current layout: nothing to carry over.
    if (legacy[21] != 0 && r[2] <= 2) r[26 + r[2]] = legacy[22];
    return r;
}

namespace {
SensorStatus request_parameters(link::SensorLink& link, std::uint32_t count,
                                link::SensorReport& reply) {
    std::uint8_t request[4];
    put_u32le(request, count);
    reply = link::SensorReport::request(cmd::read_processing_parameters, request, sizeof request);
    return run_command(link, reply);
}
}  // namespace

SensorStatus read_processing_parameters(link::SensorLink& link, ChemistryType type,
                                        std::span<std::uint8_t> record) {
    const std::size_t size = record.size() < link::payload_capacity ? record.size()
                                                                     : link::payload_capacity;
    link::SensorReport reply;
    SensorStatus s = request_parameters(link, static_cast<std::uint32_t>(size), reply);
    if (s == status::ok) {
        std::memcpy(record.data(), reply.payload(), size);
        return s;
    }
    if (s != status::wrong_record_length || !is_nutrient_chemistry(type)) return s;

    s = request_parameters(link, legacy_nutrient_parameters_size, reply);
    if (s == status::exchange_failed) return status::wrong_record_length;
    if (s != status::ok) return s;
    std::array<std::uint8_t, legacy_nutrient_parameters_size> legacy{};
    std::memcpy(legacy.data(), reply.payload(), legacy.size());
    const auto current = nutrient_record_from_legacy(legacy);
    std::memset(record.data(), 0, size);
    std::memcpy(record.data(), current.data(), size < current.size() ? size : current.size());
    return status::ok;
}

SensorStatus write_processing_parameters(link::SensorLink& link, ChemistryType type,
                                         std::span<const std::uint8_t> record) {
    const std::size_t size = record.size() < link::payload_capacity - 4
                                 ? record.size()
                                 : link::payload_capacity - 4;
    std::vector<std::uint8_t> request(4 + size);
    put_u32le(request.data(), static_cast<std::uint32_t>(size));
    std::memcpy(request.data() + 4, record.data(), size);
    SensorStatus s = send_command(link, cmd::write_processing_parameters, request);
    if (s != status::wrong_record_length || !is_nutrient_chemistry(type)) return s;

    std::array<std::uint8_t, 4 + legacy_nutrient_parameters_size> legacy{};
    put_u32le(legacy.data(), legacy_nutrient_parameters_size);
    std::memcpy(legacy.data() + 4, record.data(),
                size < legacy_nutrient_parameters_size ? size : legacy_nutrient_parameters_size);
    legacy[4] = 0;  // format 0: the legacy layout
    s = send_command(link, cmd::write_processing_parameters, legacy);
    return s == status::exchange_failed ? status::wrong_record_length : s;
}

}  // namespace quelmar::protocol
