#include "virtual_sensor/instrument_results.h"

#include "protocol/commands.h"

namespace quelmar::virtual_sensor {

std::shared_ptr<ResultStore> result_store(VirtualSensor& sensor) {
    return sensor.feature_state<ResultStore>("results");
}

void add_result(VirtualSensor& sensor, const protocol::ProcessedRecord& record) {
    auto store = result_store(sensor);
    std::lock_guard lock(store->mutex);
    store->records.push_back(record);
    if (store->records.size() > result_store_limit) {
        store->records.pop_front();
        if (store->next_read > 0) --store->next_read;
    }
}

std::vector<protocol::ProcessedRecord> stored_results(VirtualSensor& sensor) {
    auto store = result_store(sensor);
    std::lock_guard lock(store->mutex);
    return {store->records.begin(), store->records.end()};
}

void install_result_handlers(VirtualSensor& sensor) {
    namespace cmd = protocol::cmd;
    sensor.set_handler(cmd::start_processed_read, [](VirtualSensor& s, const link::SensorReport&) {
        auto store = result_store(s);
        std::lock_guard lock(store->mutex);
        store->next_read = 0;
        return Reply{0, {}};
    });
    sensor.set_handler(cmd::read_processed_record, [](VirtualSensor& s, const link::SensorReport&) {
        auto store = result_store(s);
        std::lock_guard lock(store->mutex);
        if (store->next_read >= store->records.size()) return Reply{no_result_status, {}};
        const auto bytes = common::encode_record(store->records[store->next_read++]);
        return Reply{0, {bytes.begin(), bytes.end()}};
    });
    sensor.set_handler(cmd::wipe_processed, [](VirtualSensor& s, const link::SensorReport&) {
        auto store = result_store(s);
        std::lock_guard lock(store->mutex);
        store->records.clear();
        store->next_read = 0;
        return Reply{0, {}};
    });
}

}  // namespace quelmar::virtual_sensor
