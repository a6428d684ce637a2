#pragma once
// The sensor's RS232 port: line settings and the host platform protocol it speaks there.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "config/choices.h"
#include "common/record_fields.h"
#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::config {

constexpr std::size_t rs232_config_size = 13;

namespace parity {
constexpr std::uint8_t even = 0;
constexpr std::uint8_t odd = 1;
constexpr std::uint8_t space = 2;
constexpr std::uint8_t mark = 3;
constexpr std::uint8_t none = 4;
}  // namespace parity

struct Rs232Config {
    std::uint8_t byte0 = 0;  // written as 0, not interpreted
    std::uint32_t baud_rate = 9600;
    std::uint8_t parity = parity::none;
    std::uint8_t data_bits = 8;
    std::uint8_t stop_bits = 1;
    std::uint32_t protocol = 0;
    std::uint8_t mode = 0;  // 0 normal, 1 debug
    bool operator==(const Rs232Config&) const = default;
};

template <class Io>
constexpr void fields(Io& io, Rs232Config& r) {
    io.u8(r.byte0);
    io.u32(r.baud_rate);
    io.u8(r.parity);
    io.u8(r.data_bits);
    io.u8(r.stop_bits);
    io.u32(r.protocol);
    io.u8(r.mode);
}
static_assert(common::record_size<Rs232Config>() == rs232_config_size);

protocol::SensorStatus read_rs232_config(link::SensorLink& link, Rs232Config& config);
protocol::SensorStatus write_rs232_config(link::SensorLink& link, const Rs232Config& config);

// The name of an RS232 protocol code, as the configuration report prints it; empty for an
// obsolete code.
std::string_view rs232_protocol_name(std::uint32_t code);

namespace rs232_protocol {
constexpr std::uint32_t none = 0;
constexpr std::uint32_t seaglider = 1;
constexpr std::uint32_t storm_logger = 2;
constexpr std::uint32_t slocum_glider = 4;
constexpr std::uint32_t korvane_glider = 5;
constexpr std::uint32_t esm2_logger = 9;
constexpr std::uint32_t drav_hub = 11;
constexpr std::uint32_t generic_polled = 12;
constexpr std::uint32_t generic_streaming = 13;
constexpr std::uint32_t f250_thermometer = 14;
}  // namespace rs232_protocol

// The lists of the RS232 dialog.
inline constexpr std::array<Choice, 9> rs232_baud_choices{{{"1200", 1200},
                                                            {"2400", 2400},
                                                            {"4800", 4800},
                                                            {"9600", 9600},
                                                            {"14400", 14400},
                                                            {"19200", 19200},
                                                            {"38400", 38400},
                                                            {"57600", 57600},
                                                            {"115200", 115200}}};
inline constexpr std::array<Choice, 4> data_bits_choices{{{"5", 5}, {"6", 6}, {"7", 7}, {"8", 8}}};
inline constexpr std::array<Choice, 2> stop_bits_choices{{{"1", 1}, {"2", 2}}};
inline constexpr std::array<Choice, 5> parity_choices{{{"None", parity::none},
                                                       {"Even", parity::even},
                                                       {"Odd", parity::odd},
                                                       {"Space", parity::space},
                                                       {"Mark", parity::mark}}};
inline constexpr std::array<Choice, 4> rs232_platform_choices{
    {{"None", rs232_protocol::none},
     {"Seaglider", rs232_protocol::seaglider},
     {"Generic Polled", rs232_protocol::generic_polled},
     {"Generic Streaming", rs232_protocol::generic_streaming}}};

// What the dialog's lists select, as positions in the lists above.
struct Rs232Selection {
    int baud = 0;
    int data_bits = 0;
    int stop_bits = 0;
    int parity = 0;
    int platform = 0;
};

Rs232Selection rs232_selection(const Rs232Config& config);
// The record the dialog writes: the selected codes, byte 0 and the mode as 0 (normal). A
// protocol the dialog does not offer was shown as "None" and is written as 0.
Rs232Config rs232_from_selection(const Rs232Selection& selection);
// Choosing a platform sets the line to 9600 baud, 8 data bits, 1 stop bit, no parity.
void apply_rs232_platform_preset(Rs232Selection& selection);

}  // namespace quelmar::config
