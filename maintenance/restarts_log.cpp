#include "maintenance/restarts_log.h"

#include "common/text.h"
#include "protocol/command.h"
#include "protocol/commands.h"

namespace quelmar::maintenance {

const std::array<const char*, restart_columns> restart_titles = {
    "Counter", "RTC Time", "Reset Cause", "Supply Voltage", "USB Connected"};
const std::array<int, restart_columns> restart_widths = {10, 15, 15, 15, 15};

std::string reset_cause_text(std::uint16_t cause) {
    const unsigned c = cause;
    switch (cause) {
        case 0:
            return common::format_text("%u (RTC time changed)", c);
        case 1:
            return common::format_text("%u (Power On Reset)", c);
        case 4:
            return common::format_text("%u (External Reset)", c);
        case 8:
            return common::format_text("%u (WDT reset)", c);
        default:
            return common::format_text("%u (see datasheet)", c);
    }
}

RestartRow restart_row(const RestartRecord& r) {
    return {common::format_text("%u", static_cast<unsigned>(r.counter)),
            common::sensor_time_text(r.rtc_time), reset_cause_text(r.reset_cause),
            common::format_text("%.1fV", r.supply_decivolts / 10.0),
            r.usb_connected ? "yes" : "no"};
}

protocol::SensorStatus read_restart_entry(link::SensorLink& link, bool first,
                                          RestartRecord& record) {
    const std::uint8_t request[1] = {static_cast<std::uint8_t>(first ? 1 : 0)};
    common::RecordBytes<RestartRecord> reply{};
    const auto s = protocol::send_command(link, protocol::cmd::read_restart_entry, request, reply);
    if (s == protocol::status::ok)
        record = common::decode_record<RestartRecord>(reply);
    return s;
}

std::vector<RestartRecord> read_restart_log(link::SensorLink& link) {
    std::vector<RestartRecord> out;
    while (out.size() < restart_log_limit) {
        RestartRecord r;
        if (read_restart_entry(link, out.empty(), r) != protocol::status::ok)
            break;
        out.push_back(r);
    }
    return out;
}

}  // namespace quelmar::maintenance
