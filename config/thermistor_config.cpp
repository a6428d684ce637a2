#include "config/thermistor_config.h"

#include <algorithm>

#include "config/typed_fields.h"
#include "protocol/command.h"
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

protocol::SensorStatus write_thermistor_config(link::SensorLink& link, std::uint8_t index,
                                               const ThermistorConfig& config) {
    std::array<std::uint8_t, 1 + thermistor_config_size> request{};
    request[0] = index;
    const auto record = encode_thermistor_config(config);
    std::copy(record.begin(), record.end(), request.begin() + 1);
    return protocol::send_command(link, protocol::cmd::write_thermistor, request);
}

protocol::SensorStatus read_thermistors(link::SensorLink& link, Thermistors& configs) {
    Thermistors read{};
    for (std::uint8_t i = 0; i < thermistor_count; ++i) {
        const auto s = read_thermistor_config(link, i, read[i]);
        if (s != protocol::status::ok) return s;
    }
    configs = read;
    return protocol::status::ok;
}

protocol::SensorStatus write_thermistors(link::SensorLink& link, const Thermistors& configs,
                                         Thermistors& read_back) {
    for (std::uint8_t i = 0; i < thermistor_count; ++i) {
        const auto s = write_thermistor_config(link, i, configs[i]);
        if (s != protocol::status::ok) return s;
    }
    return read_thermistors(link, read_back);
}

std::uint8_t shown_input_channel(const ThermistorConfig& config) {
    return config.input_channel < thermistor_input_choices ? config.input_channel : 0;
}

ThermistorRowText thermistor_row_text(const ThermistorConfig& c) {
    return {shown_input_channel(c),
            {decimal_text(c.c3, 5), decimal_text(c.c2, 5), decimal_text(c.c1, 5),
             decimal_text(c.c0, 5)}};
}

ThermistorConfig thermistor_from_row(const ThermistorRowText& row) {
    ThermistorConfig c;
    c.byte0 = 0;
    c.input_channel = row.input_channel < thermistor_input_choices ? row.input_channel : 0;
    c.c3 = typed_decimal_box(row.coefficients[0]);
    c.c2 = typed_decimal_box(row.coefficients[1]);
    c.c1 = typed_decimal_box(row.coefficients[2]);
    c.c0 = typed_decimal_box(row.coefficients[3]);
    return c;
}

double thermistor_temperature(const ThermistorConfig& config,
                              const std::array<std::uint16_t, 8>& channels) {
    const double v =
        config.input_channel < channels.size() ? channels[config.input_channel] * 5.0 / 65536.0 : 0.0;
    return ((config.c3 * v + config.c2) * v + config.c1) * v + config.c0;
}

}  // namespace quelmar::config
