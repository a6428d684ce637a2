#pragma once
// The host platforms' serial protocols: the gliders (Seaglider, KORVANE) with their status
// lines, sampler and download, and the ETI logger's "$CMD" sentences. Each runs on a worker
// thread against a SerialPort and hands what it sees to the caller's callbacks; it never
// touches a window.

#include <array>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/stop_signal.h"
#include "simulator/platform_settings.h"
#include "simulator/serial_port.h"

namespace quelmar::simulator {

constexpr std::size_t result_columns = 13;
inline constexpr std::array<const char*, result_columns> result_column_titles = {
    "Dive Number", "Time (platform)", "Value", "Std Dev", "Validity", "Depth (m)", "Direction",
    "Salinity (PSU)", "Temperature (degC)", "P1", "P2", "P3", "Supply (V)"};
inline constexpr std::array<int, result_columns> result_column_widths = {10, 15, 15, 10, 10, 10, 10,
                                                                         10, 15, 10, 10, 10, 10};
// The list keeps the latest rows only.
constexpr std::size_t max_result_rows = 1001;

// One row of the result list; "-" in every cell the protocol does not supply.
struct ResultRow {
    std::array<std::string, result_columns> cells;
    ResultRow() { cells.fill("-"); }
};

// Where a protocol's texts and rows go. Called on the worker threads: the window's callbacks
// queue them to its own thread.
struct SimulationEvents {
    std::function<void(const std::string&)> status;
    std::function<void(const ResultRow&)> row;
    std::function<void()> clear_rows;
};

// How long "one second" of the intervals is; tests shorten it.
struct SimulationTiming {
    std::chrono::milliseconds second{1000};
    // Waiting for the shared port: a report that cannot get it in this time is skipped.
    std::chrono::milliseconds lock_wait{500};
};

// CRC-16/ARC: reflected polynomial 0x8005, initial value 0, no final XOR.
std::uint16_t crc16_arc(std::string_view bytes);
// "text*XXXX\r\n" with the checksum of `text`.
std::string eti_sentence(std::string_view text);

// The glider's depth walk, in centimetres.
class DepthWalk {
public:
    DepthWalk(const PlatformSettings& settings);
    struct Report {
        bool diving;
        std::int64_t depth_cm;
    };
    Report next();

private:
    std::int64_t min_cm_, max_cm_, dive_step_, climb_step_, depth_;
    bool diving_ = true;
};

// "status=a,0.00,1,2,3\r"
std::string glider_status_line(const DepthWalk::Report& report, const PlatformSettings& s);
// The sampler's reply ("SC>" prompt allowed in front): the row, or nothing when malformed.
std::optional<ResultRow> parse_sample_reply(std::string_view reply);
// One line of a download: the row, or nothing for a line that is not a record.
std::optional<ResultRow> parse_download_line(std::string_view line);
// The clock-set line for a time, in UTC.
std::string glider_clock_line(std::time_t now);

// An ETI reply checked against its checksum: the text before "*" when the checksum is good,
// otherwise the status text to show ("Ignoring >>...<<" or "Invalid CRC (...)").
struct EtiCheck {
    bool ok = false;
    std::string error;
};
EtiCheck check_eti_checksum(std::string_view reply);

// The protocols. Each returns when `stop` is requested (the download also when the sensor has
// nothing more to send). `now` gives the PC's clock (seconds since 1970, UTC).
void run_glider(SerialPort& port, const PlatformSettings& settings, const SimulationEvents& events,
                common::StopSignal& stop, SimulationTiming timing = {},
                std::function<std::time_t()> now = [] { return std::time(nullptr); });
void run_glider_download(SerialPort& port, const SimulationEvents& events, common::StopSignal& stop);
void run_eti(SerialPort& port, const PlatformSettings& settings, const SimulationEvents& events,
             common::StopSignal& stop, SimulationTiming timing = {},
             std::function<std::time_t()> now = [] { return std::time(nullptr); });

}  // namespace quelmar::simulator
