// Hot-plug by listing the interfaces again: what a new listing reports against the last one,
// and the monitor thread that looks once a period and stops when told.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/enumeration_monitor.h"

using namespace quelmar::link;
using Listing = std::optional<std::vector<InterfaceInfo>>;

namespace {

// Hands out the listings queued, one per call, then the last one again and again.
struct FakeEnumerator {
    std::mutex mutex;
    std::condition_variable called;
    std::deque<Listing> queued;
    Listing last = std::vector<InterfaceInfo>{};
    int calls = 0;

    void queue(Listing l) {
        std::lock_guard lock(mutex);
        queued.push_back(std::move(l));
    }
    InterfaceEnumerator function() {
        return [this]() -> Listing {
            std::lock_guard lock(mutex);
            if (!queued.empty()) {
                last = queued.front();
                queued.pop_front();
            }
            ++calls;
            called.notify_all();
            return last;
        };
    }
    void wait_for_calls(int n) {
        std::unique_lock lock(mutex);
        called.wait(lock, [&] { return calls >= n; });
    }
};

const std::string firmware_id = "HID\\VID_04D8&PID_E968";
const std::string bootloader_id = "HID\\VID_04D8&PID_E967";

// Interfaces at these paths, all with the same hardware id.
std::vector<InterfaceInfo> paths(std::initializer_list<const char*> p, const std::string& id = firmware_id) {
    std::vector<InterfaceInfo> out;
    for (const char* path : p) out.push_back({path, id});
    return out;
}

std::string text(const std::vector<DeviceChange>& changes) {
    std::string out;
    for (const auto& c : changes) out += (c.event == device_event_arrival ? "+" : "-") + c.path + " ";
    return out;
}

TEST(InterfaceChanges, ArrivalsAndRemovalsBetweenTwoListings) {
    // Unchanged: nothing, whatever the order the system lists them in.
    EXPECT_EQ(text(interface_changes(paths({"a", "b"}), paths({"b", "a"}))), "");
    EXPECT_EQ(text(interface_changes({}, {})), "");
    // One plugged in, one plugged out.
    EXPECT_EQ(text(interface_changes(paths({"a"}), paths({"a", "b"}))), "+b ");
    EXPECT_EQ(text(interface_changes(paths({"a", "b"}), paths({"b"}))), "-a ");
    // Everything gone, then everything back, in the listing's order.
    EXPECT_EQ(text(interface_changes(paths({"a", "b"}), {})), "-a -b ");
    EXPECT_EQ(text(interface_changes({}, paths({"b", "a"}))), "+b +a ");
    // A device that comes back under another path left its old one first, so a listener
    // that matches removals against its open device sees it go before anything arrives.
    EXPECT_EQ(text(interface_changes(paths({"x", "dev1"}), paths({"dev2", "x"}))), "-dev1 +dev2 ");
    // A path listed twice (one per usage, as some systems list a device) is one interface:
    // neither a second arrival nor, when one of the two entries goes, a removal.
    EXPECT_EQ(text(interface_changes({}, paths({"a", "a"}))), "+a ");
    EXPECT_EQ(text(interface_changes(paths({"a", "a"}), paths({"a"}))), "");
    EXPECT_EQ(text(interface_changes(paths({"a", "a"}), {})), "-a ");
    // Paths are compared whole: a prefix is another interface.
    EXPECT_EQ(text(interface_changes(paths({"/dev/hidraw1"}), paths({"/dev/hidraw10"}))),
              "-/dev/hidraw1 +/dev/hidraw10 ");
}

TEST(InterfaceChanges, SamePathNamingAnotherDeviceLeftAndArrived) {
    // The bootloader was told to start the firmware, and between two looks the sensor left
    // and came back as its firmware on the node it had: the connect view waits for exactly
    // this pair to connect again.
    EXPECT_EQ(text(interface_changes(paths({"/dev/hidraw0"}, bootloader_id),
                                     paths({"/dev/hidraw0"}, firmware_id))),
              "-/dev/hidraw0 +/dev/hidraw0 ");
    // Listed twice with two ids, once gone: only that one left.
    std::vector<InterfaceInfo> both = paths({"p"}, bootloader_id);
    both.push_back({"p", firmware_id});
    EXPECT_EQ(text(interface_changes(both, paths({"p"}, firmware_id))), "-p ");
    EXPECT_EQ(text(interface_changes(paths({"p"}, firmware_id), both)), "+p ");
}

TEST(InterfaceWatch, ReportsChangesSinceTheLastLookOnly) {
    FakeEnumerator fake;
    fake.queue(paths({"a", "b"}));
    InterfaceWatch watch(fake.function());
    watch.take_baseline();  // what is there at the start has not arrived
    EXPECT_EQ(text(watch.look()), "");
    fake.queue(paths({"a", "b", "c"}));
    EXPECT_EQ(text(watch.look()), "+c ");
    EXPECT_EQ(text(watch.look()), "");  // reported once, not at every look
    fake.queue(paths({"c"}));
    EXPECT_EQ(text(watch.look()), "-a -b ");
    // A listing the system could not give is not an empty bus: nothing is reported gone, and
    // the next good listing is compared with the last good one.
    fake.queue(std::nullopt);
    EXPECT_EQ(text(watch.look()), "");
    fake.queue(paths({"c", "d"}));
    EXPECT_EQ(text(watch.look()), "+d ");
}

TEST(InterfaceWatch, NoBaselineYetTakesItInsteadOfReportingEverything) {
    FakeEnumerator fake;
    fake.queue(std::nullopt);  // the system could not list at the start
    fake.queue(paths({"a"}));
    fake.queue(paths({"a", "b"}));
    InterfaceWatch watch(fake.function());
    watch.take_baseline();
    EXPECT_EQ(text(watch.look()), "");  // "a" was there before anybody could look
    EXPECT_EQ(text(watch.look()), "+b ");
}

// Collects what the monitor thread reports.
struct Sink {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<DeviceChange> events;

    DeviceListener function() {
        return [this](const DeviceChange& c) {
            std::lock_guard lock(mutex);
            events.push_back(c);
            changed.notify_all();
        };
    }
    std::string wait_for(std::size_t n) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return events.size() >= n; });
        return text(events);
    }
    std::size_t count() {
        std::lock_guard lock(mutex);
        return events.size();
    }
};

TEST(EnumerationMonitor, ThreadReportsPlugAndUnplugToTheListener) {
    FakeEnumerator fake;
    Sink sink;
    fake.queue(paths({"keyboard"}));
    fake.queue(paths({"keyboard", "sensor"}));
    fake.queue(paths({"keyboard"}));
    // A short period keeps the test quick; nothing here depends on how long a look takes.
    auto stop = start_enumeration_monitor(fake.function(), sink.function(), std::chrono::milliseconds(1));
    ASSERT_TRUE(stop);
    EXPECT_EQ(sink.wait_for(2), "+sensor -sensor ");
    // Looking on without change reports nothing more.
    fake.wait_for_calls(6);
    stop();
    EXPECT_EQ(sink.count(), 2u);
}

TEST(EnumerationMonitor, StopWakesTheMonitorInsteadOfWaitingOutThePeriod) {
    FakeEnumerator fake;
    Sink sink;
    fake.queue(paths({"a"}));
    fake.queue(paths({"a", "b"}));
    // A period no test would sit through: stop() returning at all shows it wakes the wait.
    auto stop = start_enumeration_monitor(fake.function(), sink.function(), std::chrono::hours(24));
    ASSERT_TRUE(stop);
    fake.wait_for_calls(1);  // the baseline, after which the monitor waits its period
    stop();
    stop();  // again: nothing left to end
    std::lock_guard lock(fake.mutex);
    EXPECT_EQ(fake.calls, 1);  // it did not look again on its way out
    EXPECT_TRUE(sink.events.empty());
}

TEST(EnumerationMonitor, NothingIsReportedOnceStopHasBegun) {
    // The owner asks the monitor to stop while a look is under way, and the look finds two
    // changes: the owner, perhaps already taking its listener down, hears of neither.
    quelmar::common::StopSignal stop;
    int calls = 0;
    InterfaceWatch watch([&]() -> Listing {
        if (++calls == 1) return paths({"a"});
        stop.request_stop();
        return paths({"b", "c"});
    });
    Sink sink;
    run_enumeration_monitor(watch, stop, sink.function(), std::chrono::milliseconds(0));
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(sink.events.empty());

    // Not stopped, the same look is reported in full, then the loop runs until asked to end.
    quelmar::common::StopSignal keep_going;
    int looks = 0;
    InterfaceWatch second([&]() -> Listing {
        ++looks;
        if (looks == 1) return paths({"a"});
        if (looks == 3) keep_going.request_stop();
        return paths({"b", "c"});
    });
    run_enumeration_monitor(second, keep_going, sink.function(), std::chrono::milliseconds(0));
    EXPECT_EQ(text(sink.events), "-a +b +c ");
}

}  // namespace
