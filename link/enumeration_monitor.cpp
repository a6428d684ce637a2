#include "link/enumeration_monitor.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_set>


namespace quelmar::link {

namespace {
// The paths in order, each once.
std::vector<std::string> distinct(const std::vector<std::string>& paths, std::unordered_set<std::string>& seen) {
    std::vector<std::string> out;
    for (const auto& p : paths)
        if (seen.insert(p).second) out.push_back(p);
    return out;
}
}  // namespace

std::vector<DeviceChange> interface_changes(const std::vector<std::string>& before,
                                            const std::vector<std::string>& after) {
    std::unordered_set<std::string> old_set;
    std::unordered_set<std::string> new_set;
    const std::vector<std::string> old_paths = distinct(before, old_set);
    const std::vector<std::string> new_paths = distinct(after, new_set);
    std::vector<DeviceChange> changes;
    // Removals first: a listener that matches a removal against its open device must see the
    // old path go before a new one (perhaps the same device again) arrives.
    for (const auto& p : old_paths)
        if (!new_set.count(p)) changes.push_back({device_event_removal, p});
    for (const auto& p : new_paths)
        if (!old_set.count(p)) changes.push_back({device_event_arrival, p});
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
