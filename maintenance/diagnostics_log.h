#pragma once
// The sensor's diagnostics log: its entries as the list shows them, the commands that read,
// wipe and restart the read, and the reader that streams new entries while the view is open.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "common/record_fields.h"
#include "common/stop_signal.h"
#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::maintenance {

// One entry of the log (reply of 307).
struct DiagnosticsLogEntry {
    std::uint8_t reserved0 = 0;  // not interpreted
    std::int32_t counter = 0;
    std::array<std::uint8_t, 32> function{};  // NUL-terminated
    std::int32_t line = 0;
    std::uint8_t task_id = 0;
    std::uint8_t severity = 0;               // 1 error, 2 information, 4 debug
    std::array<std::uint8_t, 71> message{};  // NUL-terminated
};

template <class Io>
constexpr void fields(Io& io, DiagnosticsLogEntry& r) {
    io.u8(r.reserved0);
    io.i32(r.counter);
    io.u8(r.function);
    io.i32(r.line);
    io.u8(r.task_id);
    io.u8(r.severity);
    io.u8(r.message);
}
static_assert(common::record_size<DiagnosticsLogEntry>() == 114);

namespace severity {
constexpr std::uint8_t error = 1;
constexpr std::uint8_t info = 2;
constexpr std::uint8_t debug = 4;
}  // namespace severity

// The entry the firmware writes first after it comes back from a reset; it stands out in the
// list whatever its severity.
constexpr const char* restart_marker = "Restarted after reset";

enum class RowColour { black, red, blue };

constexpr std::size_t diagnostics_columns = 6;
using DiagnosticsRow = std::array<std::string, diagnostics_columns>;
extern const std::array<const char*, diagnostics_columns> diagnostics_titles;
// Column widths in average character widths.
extern const std::array<int, diagnostics_columns> diagnostics_widths;
// Before a row is added the first goes once the list holds more than this many, so the list
// keeps the newest 201 entries.
constexpr std::size_t diagnostics_row_limit = 200;

// Text fields of the entry up to their first NUL, never past the field.
std::string entry_function(const DiagnosticsLogEntry& entry);
std::string entry_message(const DiagnosticsLogEntry& entry);
const char* severity_text(std::uint8_t severity);
DiagnosticsRow diagnostics_row(const DiagnosticsLogEntry& entry);
RowColour diagnostics_colour(const DiagnosticsLogEntry& entry);

// Commands: 309 starts a read from the oldest entry, 307 gives the next one, 308 wipes the
// log, 296 toggles the indicator LED.
protocol::SensorStatus start_log_read(link::SensorLink& link);
protocol::SensorStatus read_log_entry(link::SensorLink& link, DiagnosticsLogEntry& entry);
protocol::SensorStatus wipe_log(link::SensorLink& link);
protocol::SensorStatus toggle_led(link::SensorLink& link);

// Starts a read and takes every entry the sensor holds, at most `limit` of them (a sensor that
// never runs out cannot hold the caller for ever). Empty when the read cannot start.
std::vector<DiagnosticsLogEntry> read_whole_log(link::SensorLink& link, std::size_t limit);

// The log reader's thread. It starts the read, then drains every pending entry and waits
// `period` on its stop signal, again and again; while paused it requests nothing. Entries are
// handed to `deliver` on the reader's own thread: a window marshals them to its own thread.
class DiagnosticsLogReader {
  public:
    using Deliver = std::function<void(const DiagnosticsLogEntry&)>;

    ~DiagnosticsLogReader();
    void start(link::SensorLink& link, Deliver deliver,
               std::chrono::milliseconds period = std::chrono::milliseconds(500));
    // Returns once the thread has ended; an entry being read finishes first (at most one link
    // time-out).
    void stop();
    void set_paused(bool paused) { paused_.store(paused); }
    bool running() const { return thread_.joinable(); }

  private:
    common::StopSignal stop_;
    std::thread thread_;
    std::atomic<bool> paused_{false};
};

}  // namespace quelmar::maintenance
