#pragma once
// The sensor's RS485 port: line settings, the bus protocol, the sensor's slave address on the
// bus and how often it is polled.

#include <array>
#include <cstdint>

#include "config/rs232_config.h"

namespace quelmar::config {

constexpr std::size_t rs485_config_size = 17;

namespace rs485_protocol {
constexpr std::uint32_t none = 0;
constexpr std::uint32_t marinodeck_hub = 1;
constexpr std::uint32_t storm_logger = 2;
}  // namespace rs485_protocol

struct Rs485Config {
    std::uint8_t byte0 = 0;  // written as 0, not interpreted
    std::uint32_t baud_rate = 9600;
    std::uint8_t parity = parity::none;
    std::uint8_t data_bits = 8;
    std::uint8_t stop_bits = 1;
    std::uint32_t protocol = rs485_protocol::none;
    std::uint8_t slave_address = 0;
    std::uint32_t poll_rate_s = 0;
    bool operator==(const Rs485Config&) const = default;
};

template <class Io>
constexpr void fields(Io& io, Rs485Config& r) {
    io.u8(r.byte0);
    io.u32(r.baud_rate);
    io.u8(r.parity);
    io.u8(r.data_bits);
    io.u8(r.stop_bits);
    io.u32(r.protocol);
    io.u8(r.slave_address);
    io.u32(r.poll_rate_s);
}
static_assert(common::record_size<Rs485Config>() == rs485_config_size);

protocol::SensorStatus read_rs485_config(link::SensorLink& link, Rs485Config& config);
protocol::SensorStatus write_rs485_config(link::SensorLink& link, const Rs485Config& config);

inline constexpr std::array<Choice, 6> rs485_baud_choices{{{"9600", 9600},
                                                            {"14400", 14400},
                                                            {"19200", 19200},
                                                            {"38400", 38400},
                                                            {"57600", 57600},
                                                            {"115200", 115200}}};
inline constexpr std::array<Choice, 3> rs485_platform_choices{
    {{"None", rs485_protocol::none},
     {"Marinodeck Hub", rs485_protocol::marinodeck_hub},
     {"Storm Logger", rs485_protocol::storm_logger}}};

// The dialog's contents: list positions and the two typed numbers as typed.
struct Rs485Selection {
    int baud = 0;
    int data_bits = 0;
    int stop_bits = 0;
    int parity = 0;
    int platform = 0;
    std::uint64_t slave_address = 0;
    std::uint64_t poll_rate_s = 0;
};

Rs485Selection rs485_selection(const Rs485Config& config);
// The record written: the address keeps its low 8 bits, the poll rate is held to 32 bits.
Rs485Config rs485_from_selection(const Rs485Selection& selection);
// Choosing a platform presets everything else: a Marinodeck hub talks 19200 8E1 and polls
// addresses 64..71 every 300 s; the other platforms get 9600 8N1, address 0, no polling.
void apply_rs485_platform_preset(Rs485Selection& selection);
// A Marinodeck hub only polls addresses 64..71: any other typed address is shown in red. It
// is a warning only; the address can still be saved.
bool rs485_slave_address_warning(int platform, std::uint64_t typed_address);

}  // namespace quelmar::config
