#include "config/rs485_config.h"

#include <algorithm>
#include <limits>

#include "protocol/commands.h"
#include "protocol/record_commands.h"

namespace quelmar::config {

protocol::SensorStatus read_rs485_config(link::SensorLink& link, Rs485Config& config) {
    return protocol::read_record(link, protocol::cmd::read_rs485_config, config);
}

protocol::SensorStatus write_rs485_config(link::SensorLink& link, const Rs485Config& config) {
    return protocol::write_record(link, protocol::cmd::write_rs485_config, config);
}

namespace {
constexpr std::size_t marinodeck_index = 1;
static_assert(rs485_platform_choices[marinodeck_index].code == rs485_protocol::marinodeck_hub);
}  // namespace

Rs485Selection rs485_selection(const Rs485Config& c) {
    return {choice_index(rs485_baud_choices, c.baud_rate),
            choice_index(data_bits_choices, c.data_bits),
            choice_index(stop_bits_choices, c.stop_bits),
            choice_index(parity_choices, c.parity),
            choice_index(rs485_platform_choices, c.protocol),
            c.slave_address,
            c.poll_rate_s};
}

Rs485Config rs485_from_selection(const Rs485Selection& s) {
    Rs485Config r;
    r.byte0 = 0;
    r.baud_rate = choice_code(rs485_baud_choices, s.baud);
    r.data_bits = static_cast<std::uint8_t>(choice_code(data_bits_choices, s.data_bits));
    r.stop_bits = static_cast<std::uint8_t>(choice_code(stop_bits_choices, s.stop_bits));
    r.parity = static_cast<std::uint8_t>(choice_code(parity_choices, s.parity));
    r.protocol = choice_code(rs485_platform_choices, s.platform);
    r.slave_address = static_cast<std::uint8_t>(s.slave_address & 0xFF);
    r.poll_rate_s = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(s.poll_rate_s, std::numeric_limits<std::uint32_t>::max()));
    return r;
}

void apply_rs485_platform_preset(Rs485Selection& s) {
    const bool hub = s.platform == marinodeck_index;
    s.baud = choice_index(rs485_baud_choices, hub ? 19200 : 9600);
    s.data_bits = choice_index(data_bits_choices, 8);
    s.stop_bits = choice_index(stop_bits_choices, 1);
    s.parity = choice_index(parity_choices, hub ? parity::even : parity::none);
    s.slave_address = hub ? 64 : 0;
    s.poll_rate_s = hub ? 300 : 0;
}

bool rs485_slave_address_warning(int platform, std::uint64_t typed_address) {
    return platform == marinodeck_index && (typed_address < 64 || typed_address > 71);
}

}  // namespace quelmar::config
