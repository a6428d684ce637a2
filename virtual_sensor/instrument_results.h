#pragma once
// The results the instrument keeps on board: processed records in the order they were made.
// 419 rewinds the read to the oldest, each 420 gives the next one (status 1 when none is
// ready, so a reader's batch ends there), 421 wipes them all.

#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

#include "protocol/processed_output.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

// Status of a 420 when no further result is ready.
constexpr std::uint8_t no_result_status = 1;
// Results kept; the oldest go first, as on a full card.
constexpr std::size_t result_store_limit = 100000;

struct ResultStore {
    std::mutex mutex;
    std::deque<protocol::ProcessedRecord> records;
    std::size_t next_read = 0;  // index of the record the next 420 gives
};

std::shared_ptr<ResultStore> result_store(VirtualSensor& sensor);
void add_result(VirtualSensor& sensor, const protocol::ProcessedRecord& record);
std::vector<protocol::ProcessedRecord> stored_results(VirtualSensor& sensor);

void install_result_handlers(VirtualSensor& sensor);

}  // namespace quelmar::virtual_sensor
