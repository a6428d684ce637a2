#include "maintenance/diagnostics_log.h"

#include "common/text.h"
#include "protocol/command.h"
#include "protocol/commands.h"

namespace quelmar::maintenance {

namespace cmd = protocol::cmd;
using protocol::SensorStatus;

const std::array<const char*, diagnostics_columns> diagnostics_titles = {
    "Counter", "Task ID", "Severity", "Function", "Line", "Message"};
const std::array<int, diagnostics_columns> diagnostics_widths = {10, 7, 7, 25, 10, 80};

namespace {
template <std::size_t N>
std::string field_text(const std::array<std::uint8_t, N>& field) {
    std::string s;
    for (std::uint8_t c : field) {
        if (c == 0)
            break;
        s.push_back(static_cast<char>(c));
    }
    return s;
}
}  // namespace

std::string entry_function(const DiagnosticsLogEntry& entry) {
    return field_text(entry.function);
}
std::string entry_message(const DiagnosticsLogEntry& entry) {
    return field_text(entry.message);
}

const char* severity_text(std::uint8_t s) {
    switch (s) {
        case severity::error:
            return "E";
        case severity::info:
            return "I";
        case severity::debug:
            return "D";
        default:
            return "?";
    }
}

DiagnosticsRow diagnostics_row(const DiagnosticsLogEntry& e) {
    return {common::format_text("%08d", e.counter),
            common::format_text("%02d", e.task_id),
            severity_text(e.severity),
            common::format_text("%s", entry_function(e).c_str()),
            common::format_text("%d", e.line),
            common::format_text("%s", entry_message(e).c_str())};
}

RowColour diagnostics_colour(const DiagnosticsLogEntry& e) {
    if (entry_message(e).find(restart_marker) != std::string::npos)
        return RowColour::blue;
    if (e.severity == severity::error)
        return RowColour::red;
    return RowColour::black;
}

SensorStatus start_log_read(link::SensorLink& link) {
    // Byte 0, then the 16-bit count of entries wanted: all of them.
    const std::uint8_t request[3] = {0, 0xFF, 0xFF};
    return protocol::send_command(link, cmd::start_log_read, request);
}

SensorStatus read_log_entry(link::SensorLink& link, DiagnosticsLogEntry& entry) {
    const std::uint8_t request[1] = {0};
    common::RecordBytes<DiagnosticsLogEntry> reply{};
    const SensorStatus s = protocol::send_command(link, cmd::read_log_entry, request, reply);
    if (s == protocol::status::ok)
        entry = common::decode_record<DiagnosticsLogEntry>(reply);
    return s;
}

SensorStatus wipe_log(link::SensorLink& link) {
    return protocol::send_command(link, cmd::wipe_log);
}

SensorStatus toggle_led(link::SensorLink& link) {
    const std::uint8_t request[1] = {0};
    return protocol::send_command(link, cmd::toggle_led, request);
}

std::vector<DiagnosticsLogEntry> read_whole_log(link::SensorLink& link, std::size_t limit) {
    std::vector<DiagnosticsLogEntry> out;
    if (start_log_read(link) != protocol::status::ok)
        return out;
    DiagnosticsLogEntry e;
    while (out.size() < limit && read_log_entry(link, e) == protocol::status::ok)
        out.push_back(e);
    return out;
}

DiagnosticsLogReader::~DiagnosticsLogReader() {
    stop();
}

void DiagnosticsLogReader::start(link::SensorLink& link, Deliver deliver,
                                 std::chrono::milliseconds period) {
    stop();
    stop_.reset();
    thread_ = std::thread([this, &link, deliver = std::move(deliver), period] {
        if (start_log_read(link) != protocol::status::ok || stop_.stop_requested())
            return;
        do {
            // Drain what the sensor holds, then rest until the next period.
            while (!stop_.stop_requested() && !paused_.load()) {
                DiagnosticsLogEntry entry;
                if (read_log_entry(link, entry) != protocol::status::ok)
                    break;
                if (stop_.stop_requested())
                    break;
                deliver(entry);
            }
        } while (!stop_.wait_for_stop(period));
    });
}

void DiagnosticsLogReader::stop() {
    if (!thread_.joinable())
        return;
    stop_.request_stop();
    thread_.join();
}

}  // namespace quelmar::maintenance
