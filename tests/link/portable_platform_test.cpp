// What the portable build puts in place of Linux's own: no node lock, hidapi listed again as
// the hot-plug source, and no report descriptor unless hidapi can give one.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <unistd.h>

#include "link/device_lock.h"
#include "link/device_report_id.h"
#include "link/hotplug_monitor.h"
#include "link/sensor_link.h"

using namespace quelmar::link;

namespace {

TEST(PortableDeviceLock, NeverReportsInUse) {
    DeviceLock first;
    DeviceLock second;
    EXPECT_EQ(first.acquire("/dev/hidraw0"), LockOutcome::locked);
    EXPECT_EQ(second.acquire("/dev/hidraw0"), LockOutcome::locked);
    EXPECT_FALSE(first.held());
}

TEST(PortableDeviceLock, PathHidapiDoesNotListIsNeverHandedToIt) {
    // hidapi's Linux open of a plain file crashes on its way out: with no node lock in front
    // of it to look at the file, a path must be one hidapi lists before it is opened.
    struct PlainFile {
        // The process's own name, removed however the test ends.
        const std::string path =
            testing::TempDir() + "quelmar-portable-not-a-device." + std::to_string(::getpid());
        ~PlainFile() { std::remove(path.c_str()); }
    } plain;
    const std::string& file = plain.path;
    std::ofstream(file) << "not a device";
    DeviceLock lock;
    ASSERT_EQ(lock.acquire(file), LockOutcome::locked);
    EXPECT_FALSE(lock.names_device());
    SensorLink sensor_link;
    EXPECT_EQ(sensor_link_open(sensor_link, file, 100), LinkResult::failed);
    EXPECT_EQ(sensor_link_open(sensor_link, "/dev/null", 100), LinkResult::failed);
    EXPECT_FALSE(sensor_link_is_open(sensor_link));
}

TEST(PortableHotplug, MonitorListsThroughHidapi) {
    HotplugMonitor monitor = make_hotplug_monitor([](const DeviceChange&) {});
    EXPECT_EQ(monitor.source, "hidapi enumeration");
    ASSERT_TRUE(monitor.stop);
    monitor.stop();
    monitor.stop();
}

TEST(PortableReportId, WithoutADescriptorTheLinkKeepsItsId) {
    // Without a device there is no descriptor to ask for, whatever hidapi offers.
    EXPECT_EQ(read_device_report_id(nullptr, "/dev/hidraw0"), -1);
}

}  // namespace
