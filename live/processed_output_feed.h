#pragma once
// What the processed output views show, worked out away from any window: the twelve columns
// and their titles for a chemistry, a result's texts, and the thread that opens the sensor's
// store of results once and then drains it every period.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/stop_signal.h"
#include "protocol/chemistry.h"
#include "protocol/processed_output.h"

namespace quelmar::link {
class SensorLink;
}

namespace quelmar::live {

constexpr std::size_t processed_columns = 12;
// Before a row is appended the oldest goes once there are more than this many.
constexpr std::size_t processed_row_limit = 1000;

using ProcessedTitles = std::array<std::string, processed_columns>;
using ProcessedRow = std::array<std::string, processed_columns>;

// Column titles and widths (in average character widths) for a chemistry type.
ProcessedTitles processed_titles(protocol::ChemistryType type);
std::array<int, processed_columns> processed_widths(protocol::ChemistryType type);

const char* validity_text(std::uint8_t validity);
const char* direction_text(std::uint8_t direction);
ProcessedRow processed_row_texts(const protocol::ProcessedRecord& r);

// The table as the CSV file it is saved to.
std::vector<std::string> processed_title_list(const ProcessedTitles& titles);

// The views' thread. It sends 419 once; if that fails it ends at once and reads nothing.
// Otherwise, each period it reads records with 420 until a failure or a non-zero status (the
// sensor has no more ready) and hands the batch to `deliver` on the thread itself; the
// receiver marshals it to its own thread. While paused it reads nothing, so results wait on the
// sensor. The batch is delivered even when empty, so a graph can redraw each period.
class ProcessedOutputWorker {
public:
    using Deliver = std::function<void(std::vector<protocol::ProcessedRecord>)>;

    ~ProcessedOutputWorker();
    void start(link::SensorLink& link, Deliver deliver, std::chrono::milliseconds period);
    void stop();
    void set_paused(bool paused) { paused_.store(paused); }
    bool running() const { return thread_.joinable(); }
    // The opening 419 was answered with success (set by the thread).
    bool opened() const { return opened_.load(); }

private:
    common::StopSignal stop_;
    std::thread thread_;
    std::atomic<bool> paused_{false};
    std::atomic<bool> opened_{false};
};

}  // namespace quelmar::live
