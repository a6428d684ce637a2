#include "config/thermistor_config.h"

#include "protocol/commands.h"
#include "protocol/record_commands.h"

namespace quelmar::config {

ThermistorConfig decode_thermistor_config(std::span<const std::uint8_t, thermistor_config_size> b) {
    return common::decode_record<ThermistorConfig>(b);
}

std::array<std::uint8_t, thermistor_config_size> encode_thermistor_config(const ThermistorConfig& r) {
    return common::encode_record(r);
}

protocol::SensorStatus read_thermistor_config(link::SensorLink& link, std::uint8_t index,
                                              ThermistorConfig& config) {
    const std::array<std::uint8_t, 1> request{index};
    return protocol::read_record(link, protocol::cmd::read_thermistor, config, request);
}

double thermistor_temperature(const ThermistorConfig& config,
                              const std::array<std::uint16_t, 8>& channels) {
    const double v =
        config.input_channel < channels.size() ? channels[config.input_channel] * 5.0 / 65536.0 : 0.0;
    return ((config.c3 * v + config.c2) * v + config.c1) * v + config.c0;
}

}  // namespace quelmar::config
