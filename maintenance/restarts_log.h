#pragma once
// The firmware's record of its last restarts (298), as the Restarts dialog lists them.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/record_fields.h"
#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::maintenance {

struct RestartRecord {
    std::uint8_t reserved0 = 0;  // not interpreted
    std::uint8_t usb_connected = 0;
    std::uint16_t reset_cause = 0;
    std::uint16_t supply_decivolts = 0;
    std::uint32_t counter = 0;
    std::uint32_t rtc_time = 0;  // seconds since 1970 UTC
};

template <class Io>
constexpr void fields(Io& io, RestartRecord& r) {
    io.u8(r.reserved0);
    io.u8(r.usb_connected);
    io.u16(r.reset_cause);
    io.u16(r.supply_decivolts);
    io.u32(r.counter);
    io.u32(r.rtc_time);
}
static_assert(common::record_size<RestartRecord>() == 14);

constexpr std::size_t restart_columns = 5;
using RestartRow = std::array<std::string, restart_columns>;
extern const std::array<const char*, restart_columns> restart_titles;
extern const std::array<int, restart_columns> restart_widths;
// The firmware keeps its last ten restarts; the dialog asks for no more than that, so a sensor
// that never stops answering cannot hold the program in the loop.
constexpr std::size_t restart_log_limit = 10;

std::string reset_cause_text(std::uint16_t cause);
RestartRow restart_row(const RestartRecord& record);

// 298: `first` asks for the newest restart, otherwise the one after the last given.
protocol::SensorStatus read_restart_entry(link::SensorLink& link, bool first,
                                          RestartRecord& record);
// The whole log: entries until one is refused or the exchange fails, at most
// restart_log_limit of them.
std::vector<RestartRecord> read_restart_log(link::SensorLink& link);

}  // namespace quelmar::maintenance
