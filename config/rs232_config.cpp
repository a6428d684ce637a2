#include "config/rs232_config.h"

#include <algorithm>

#include "protocol/commands.h"
#include "protocol/record_commands.h"

namespace quelmar::config {

protocol::SensorStatus read_rs232_config(link::SensorLink& link, Rs232Config& config) {
    return protocol::read_record(link, protocol::cmd::read_rs232_config, config);
}

protocol::SensorStatus write_rs232_config(link::SensorLink& link, const Rs232Config& config) {
    return protocol::write_record(link, protocol::cmd::write_rs232_config, config);
}

std::string_view rs232_protocol_name(std::uint32_t code) {
    switch (code) {
        case rs232_protocol::none: return "None";
        case rs232_protocol::seaglider: return "Seaglider";
        case rs232_protocol::storm_logger: return "Storm Logger";
        case rs232_protocol::slocum_glider: return "Slocum Glider";
        case rs232_protocol::korvane_glider: return "KORVANE Glider";
        case rs232_protocol::esm2_logger: return "ESM2 Logger";
        case rs232_protocol::drav_hub: return "DRAV Hub";
        case rs232_protocol::generic_polled: return "Generic Polled";
        case rs232_protocol::generic_streaming: return "Generic Streaming";
        case rs232_protocol::f250_thermometer: return "F250 Thermometer";
        default: return {};
    }
}

Rs232Selection rs232_selection(const Rs232Config& config) {
    return {choice_index(rs232_baud_choices, config.baud_rate),
            choice_index(data_bits_choices, config.data_bits),
            choice_index(stop_bits_choices, config.stop_bits),
            choice_index(parity_choices, config.parity),
            choice_index(rs232_platform_choices, config.protocol)};
}

Rs232Config rs232_from_selection(const Rs232Selection& s) {
    Rs232Config r;
    r.byte0 = 0;
    r.baud_rate = choice_code(rs232_baud_choices, s.baud);
    r.data_bits = static_cast<std::uint8_t>(choice_code(data_bits_choices, s.data_bits));
    r.stop_bits = static_cast<std::uint8_t>(choice_code(stop_bits_choices, s.stop_bits));
    r.parity = static_cast<std::uint8_t>(choice_code(parity_choices, s.parity));
    r.protocol = choice_code(rs232_platform_choices, s.platform);
    r.mode = 0;
    return r;
}

void apply_rs232_platform_preset(Rs232Selection& s) {
    s.baud = choice_index(rs232_baud_choices, 9600);
    s.data_bits = choice_index(data_bits_choices, 8);
    s.stop_bits = choice_index(stop_bits_choices, 1);
    s.parity = choice_index(parity_choices, parity::none);
}

}  // namespace quelmar::config
