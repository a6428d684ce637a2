#pragma once
// Hot-plug by looking again: where the system offers no arrival and removal notifications we
// can use, the monitor lists the present HID interfaces once a period and reports what came
// and went since the last listing, with the same events and on the same terms as a
// notification source (one thread of its own, listener called on it, prompt stop).

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include "common/stop_signal.h"
#include "link/device_events.h"
#include "link/virtual_bus.h"

namespace quelmar::link {

// The interfaces present now, in the system's order; none when the system could not list them
// at all (which is not the same as an empty bus).
using InterfaceEnumerator = std::function<std::optional<std::vector<InterfaceInfo>>()>;

// What changed from one listing to the next: a removal for every interface that is gone, in
// the earlier listing's order, then an arrival for every one that is new, in the later one's.
// An interface is its path and its hardware id: a device that comes back under another path is
// a removal and an arrival, as when it is plugged out and in again, and so is a path that now
// names another device (a sensor that left its bootloader for its firmware between two looks
// and got the same node back). An interface listed more than once counts once.
std::vector<DeviceChange> interface_changes(const std::vector<InterfaceInfo>& before,
                                            const std::vector<InterfaceInfo>& after);

// The listing side of the monitor, one look at a time, without a thread.
class InterfaceWatch {
public:
    explicit InterfaceWatch(InterfaceEnumerator enumerate);
    // The first listing, against which later ones are compared: what is present when the
    // monitor starts has not arrived. Until it has been taken, a look takes it instead.
    void take_baseline();
    // Lists again and returns what changed. A listing the system could not give changes
    // nothing: the devices are kept as they were, not reported gone.
    std::vector<DeviceChange> look();

private:
    InterfaceEnumerator enumerate_;
    std::optional<std::vector<InterfaceInfo>> present_;
};

// The monitor's work, on the calling thread: takes the baseline, then looks once every
// `period` until `stop` is requested, and reports each change unless stop has been requested
// meanwhile (a look can take a while; what it found is no news to an owner who is leaving).
void run_enumeration_monitor(InterfaceWatch& watch, common::StopSignal& stop,
                             const DeviceListener& report, std::chrono::milliseconds period);

// Starts a thread that takes the baseline, then looks once every `period` and calls `report`
// (on that thread) with each change. Returns the monitor's stop: it wakes the thread at once
// instead of letting it wait out the period, returns when the thread has ended, and may be
// called again; nothing is reported once it has begun. Empty when no thread could be started.
std::function<void()> start_enumeration_monitor(
    InterfaceEnumerator enumerate, DeviceListener report,
    std::chrono::milliseconds period = std::chrono::seconds(1));

}  // namespace quelmar::link
