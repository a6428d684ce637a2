// What the Linux build has of its own: the node lock that keeps a second program off a sensor,
// the report descriptor beside a hidraw node, and libudev as the hot-plug source.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "link/device_lock.h"
#include "link/device_report_id.h"
#include "link/hotplug_monitor.h"
#include "link/sensor_link.h"

using namespace quelmar::link;

namespace {

struct TempFile {
    std::string path;
    TempFile() {
        char name[] = "/tmp/quelmar-lock-XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0) ::close(fd);
        path = name;
    }
    ~TempFile() { std::remove(path.c_str()); }
};

TEST(DeviceLock, SecondHolderOfANodeIsToldItIsInUse) {
    TempFile node;
    DeviceLock first;
    DeviceLock second;
    ASSERT_EQ(first.acquire(node.path), LockOutcome::locked);
    EXPECT_TRUE(first.held());
    EXPECT_EQ(second.acquire(node.path), LockOutcome::in_use);
    EXPECT_FALSE(second.held());
    // Released, the node can be taken; and the first is then the one refused.
    first.release();
    EXPECT_EQ(second.acquire(node.path), LockOutcome::locked);
    EXPECT_EQ(first.acquire(node.path), LockOutcome::in_use);

    DeviceLock missing;
    EXPECT_EQ(missing.acquire("/tmp/quelmar-no-such-node"), LockOutcome::failed);
}

TEST(DeviceLock, LinkToANodeHeldElsewhereOpensAsInUse) {
    TempFile node;
    SensorLink sensor_link;
    {
        DeviceLock other_program;
        ASSERT_EQ(other_program.acquire(node.path), LockOutcome::locked);
        EXPECT_EQ(sensor_link_open(sensor_link, node.path, 100), LinkResult::in_use);
        EXPECT_FALSE(sensor_link_is_open(sensor_link));
    }
    // Free, it is tried as a device, and a plain file is none.
    EXPECT_EQ(sensor_link_open(sensor_link, node.path, 100), LinkResult::failed);
    // The failed open left no lock behind.
    DeviceLock after;
    EXPECT_EQ(after.acquire(node.path), LockOutcome::locked);
}

TEST(HidrawDescriptor, DescriptorFileOfAHidrawNode) {
    EXPECT_EQ(report_descriptor_path("/dev/hidraw3"), "/sys/class/hidraw/hidraw3/device/report_descriptor");
    EXPECT_EQ(report_descriptor_path("virtual:1"), "");
    EXPECT_EQ(report_descriptor_path("/dev/hidraw3/../../etc"), "");
    EXPECT_EQ(report_descriptor_path("/dev/ttyUSB0"), "");
    // No node, no descriptor: the link keeps its id.
    EXPECT_EQ(read_device_report_id(nullptr, "/dev/hidraw-none"), -1);
    EXPECT_EQ(read_device_report_id(nullptr, "virtual:1"), -1);
}

TEST(HotplugMonitor, LinuxBuildListensToLibudev) {
    HotplugMonitor monitor = make_hotplug_monitor([](const DeviceChange&) {});
    EXPECT_EQ(monitor.source, "libudev");
    // Whether udev runs here is the machine's business; a monitor that started stops.
    if (monitor.stop) {
        monitor.stop();
        monitor.stop();
    }
}

}  // namespace
