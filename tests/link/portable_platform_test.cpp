// What the portable build puts in place of Linux's own: no node lock, hidapi listed again as
// the hot-plug source, and no report descriptor unless hidapi can give one.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "link/device_lock.h"
#include "link/device_report_id.h"
#include "link/hotplug_monitor.h"
#include "link/sensor_link.h"

using namespace quelmar::link;

namespace {

TEST(PortableDeviceLock, NeverReportsInUse) {
    const std::string node = "/tmp/quelmar-portable-lock";
    std::ofstream(node) << "";
    DeviceLock first;
    DeviceLock second;
    EXPECT_EQ(first.acquire(node), LockOutcome::locked);
    EXPECT_EQ(second.acquire(node), LockOutcome::locked);
    EXPECT_FALSE(first.held());
    // With nothing locked in front of it, a link tries the device itself, and a plain file is
    // no device: it fails, it is not in use.
    SensorLink sensor_link;
    EXPECT_EQ(sensor_link_open(sensor_link, node, 100), LinkResult::failed);
    EXPECT_FALSE(sensor_link_is_open(sensor_link));
    std::remove(node.c_str());
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
