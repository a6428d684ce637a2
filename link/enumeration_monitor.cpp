#include "link/enumeration_monitor.h"

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>

namespace quelmar::link {

namespace {
using Key = std::pair<std::string, std::string>;  // path, hardware id

// The interfaces in order, each once.
std::vector<Key> distinct(const std::vector<InterfaceInfo>& interfaces, std::set<Key>& seen) {
    std::vector<Key> out;
    for (const auto& i : interfaces) {
        Key key{i.path, i.hardware_id};
        if (seen.insert(key).second) out.push_back(std::move(key));
    }
    return out;
}
}  // namespace

std::vector<DeviceChange> interface_changes(const std::vector<InterfaceInfo>& before,
                                            const std::vector<InterfaceInfo>& after) {
    std::set<Key> old_set;
    std::set<Key> new_set;
    const std::vector<Key> old_keys = distinct(before, old_set);
    const std::vector<Key> new_keys = distinct(after, new_set);
    std::vector<DeviceChange> changes;
    // Removals first: a listener that matches a removal against its open device must see the
    // old interface go before a new one (perhaps the same device again) arrives.
    for (const auto& k : old_keys)
        if (!new_set.count(k)) changes.push_back({device_event_removal, k.first});
    for (const auto& k : new_keys)
        if (!old_set.count(k)) changes.push_back({device_event_arrival, k.first});
    return changes;
}

InterfaceWatch::InterfaceWatch(InterfaceEnumerator enumerate) : enumerate_(std::move(enumerate)) {}

void InterfaceWatch::take_baseline() {
    if (auto listing = enumerate_()) present_ = std::move(*listing);
}

std::vector<DeviceChange> InterfaceWatch::look() {
    if (!present_) {
        take_baseline();
        return {};
    }
    auto listing = enumerate_();
    if (!listing) return {};
    std::vector<DeviceChange> changes = interface_changes(*present_, *listing);
    present_ = std::move(*listing);
    return changes;
}

void run_enumeration_monitor(InterfaceWatch& watch, common::StopSignal& stop,
                             const DeviceListener& report, std::chrono::milliseconds period) {
    watch.take_baseline();
    while (!stop.wait_for_stop(period)) {
        for (const auto& change : watch.look()) {
            if (stop.stop_requested()) return;
            report(change);
        }
    }
}

namespace {
struct MonitorThread {
    common::StopSignal stop;
    std::mutex join_mutex;
    std::thread thread;

    void end() {
        stop.request_stop();
        std::lock_guard lock(join_mutex);
        if (thread.joinable()) thread.join();
    }
    // The thread only borrows this record: whoever drops the last stop function ends it.
    ~MonitorThread() { end(); }
};
}  // namespace

std::function<void()> start_enumeration_monitor(InterfaceEnumerator enumerate, DeviceListener report,
                                                std::chrono::milliseconds period) {
    auto state = std::make_shared<MonitorThread>();
    try {
        state->thread = std::thread([state_ptr = state.get(), enumerate = std::move(enumerate),
                                     report = std::move(report), period]() mutable {
            InterfaceWatch watch(std::move(enumerate));
            run_enumeration_monitor(watch, state_ptr->stop, report, period);
        });
    } catch (...) {
        return {};
    }
    return [state] { state->end(); };
}

}  // namespace quelmar::link
