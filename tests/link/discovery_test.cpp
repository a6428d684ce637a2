#include "link/discovery.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "link/device_events.h"
#include "link/hidapi_backend.h"
#include "link/sensor_link.h"
#include "virtual_sensor/virtual_sensor.h"

using namespace quelmar;

namespace {

TEST(Discovery, HardwareIdFilterIsCaseSensitiveAndMatchesAnywhere) {
    const std::vector<link::InterfaceInfo> interfaces = {
        {"/dev/hidraw0", link::hardware_id_text(0x046D, 0xC52B)},            // a mouse receiver
        {"/dev/hidraw1", link::hardware_id_text(0x04D8, 0xE968)},            // a sensor
        {"/dev/hidraw2", "USB\\BUS2\\HUB1\\VID_04D8&PID_E968&REV_0102"},     // prefixed id
        {"/dev/hidraw3", "HID\\vid_04d8&pid_e968"},                          // lower case
        {"/dev/hidraw4", link::hardware_id_text(0xC1CA, 0xB4BA)},
        {"/dev/hidraw5", link::hardware_id_text(0x04D8, 0xE96A)},            // neighbouring id
        {"/dev/hidraw6", std::string("HID\\OTHER\0VID_04D8&PID_E968", 27)},  // only the second id
    };
    const link::DeviceList found = link::filter_sensor_interfaces(interfaces);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].path, "/dev/hidraw1");
    EXPECT_EQ(found[1].path, "/dev/hidraw2");
    EXPECT_EQ(found[2].path, "/dev/hidraw4");
    for (const auto& e : found) EXPECT_EQ(e.mode, link::device_mode_unknown);

    EXPECT_TRUE(link::filter_sensor_interfaces({}).empty());
    EXPECT_EQ(link::hardware_id_text(0x04D8, 0xEABC), "HID\\VID_04D8&PID_EABC");
    for (const auto& id : link::sensor_hardware_ids())
        EXPECT_TRUE(link::matches_sensor_hardware_id("HID\\" + id));
    EXPECT_EQ(link::sensor_hardware_ids().size(), 7u);
}

TEST(Discovery, DeviceTypeNames) {
    EXPECT_EQ(link::device_type_name(7310), link::device_type_name(7323));
    EXPECT_EQ(link::device_type_name(7310), "Stillmarsh Device type 2");
    EXPECT_EQ(link::device_type_name(0), "Stillmarsh Unknown Device");
    EXPECT_EQ(link::device_type_name(7306), "Stillmarsh Device type 1");
    EXPECT_EQ(link::device_type_name(7367), "Stillmarsh Device type 25");
    EXPECT_EQ(link::device_type_name(0x10000 + 7310), "Stillmarsh Device type 2");  // low 16 bits
    EXPECT_EQ(link::device_type_name(7311), "Stillmarsh Unknown Device");

    // Every known code has a name of its own text, and callers on several threads each get theirs.
    const std::uint32_t codes[] = {7306, 7312, 7335, 7366};
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (auto code : codes) {
        threads.emplace_back([code, &wrong] {
            const std::string expected = link::device_type_name(code);
            for (int i = 0; i < 2000; ++i)
                if (link::device_type_name(code) != expected) ++wrong;
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(Discovery, ChangeEventsAndPathComparison) {
    EXPECT_EQ(link::device_change_event(0x8000), 1);
    EXPECT_EQ(link::device_change_event(0x8003), 4);
    EXPECT_EQ(link::device_change_event(0x8004), 5);
    EXPECT_EQ(link::device_change_event(0x8005), 6);
    EXPECT_EQ(link::device_change_event(0x7FFF), 0);
    EXPECT_EQ(link::device_change_event(0x8006), 0);

    EXPECT_TRUE(link::same_interface_path("\\\\?\\HID#VID_04D8", "\\\\?\\hid#vid_04d8"));
    EXPECT_FALSE(link::same_interface_path("/dev/hidraw1", "/dev/hidraw10"));
    EXPECT_FALSE(link::same_interface_path("/dev/hidraw1", "/dev/hidraw2"));
}

struct EventLog {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<link::DeviceChange> events;

    bool wait_for(std::size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(2), [&] { return events.size() >= count; });
    }
};

TEST(Discovery, VirtualSensorsAreListedAndRaiseArrivalAndRemoval) {
    EventLog log;
    const int id = link::add_device_listener([&log](const link::DeviceChange& c) {
        if (c.path.rfind("virtual:", 0) != 0) return;  // real hot-plug events of this machine
        std::lock_guard lock(log.mutex);
        log.events.push_back(c);
        log.changed.notify_all();
    });

    virtual_sensor::VirtualSensor sensor;
    virtual_sensor::VirtualSensorOptions other_options;
    other_options.hardware_id = "VIRTUAL\\VID_1234&PID_5678";  // not a sensor
    virtual_sensor::VirtualSensor other(other_options);
    sensor.attach();
    other.attach();
    ASSERT_TRUE(log.wait_for(2));
    EXPECT_EQ(log.events[0].event, link::device_event_arrival);
    EXPECT_EQ(log.events[0].path, sensor.path());

    const link::DeviceList devices = link::enumerate_devices();
    std::set<std::string> paths;
    for (const auto& d : devices) paths.insert(d.path);
    EXPECT_TRUE(paths.count(sensor.path()));
    EXPECT_FALSE(paths.count(other.path()));

    sensor.detach();
    ASSERT_TRUE(log.wait_for(3));
    EXPECT_EQ(log.events[2].event, link::device_event_removal);
    EXPECT_EQ(log.events[2].path, sensor.path());
    for (const auto& d : link::enumerate_devices()) EXPECT_NE(d.path, sensor.path());
    link::remove_device_listener(id);
}

TEST(Discovery, BootloaderStartsTheFirmwareByLeavingAndArrivingAgain) {
    EventLog log;
    virtual_sensor::VirtualSensorOptions options;
    options.mode = 1;
    virtual_sensor::VirtualSensor sensor(options);
    const int id = link::add_device_listener([&](const link::DeviceChange& c) {
        if (c.path.rfind("virtual:", 0) != 0) return;
        std::lock_guard lock(log.mutex);
        log.events.push_back(c);
        log.changed.notify_all();
    });
    sensor.attach();
    ASSERT_TRUE(log.wait_for(1));

    link::SensorLink sensor_link;
    ASSERT_EQ(link::sensor_link_open(sensor_link, sensor.path(), 500), link::LinkResult::ok);
    auto r = link::SensorReport::request(258);
    ASSERT_EQ(link::sensor_exchange(sensor_link, r), link::LinkResult::ok);
    EXPECT_EQ(r.status(), 0);
    ASSERT_TRUE(log.wait_for(3));
    EXPECT_EQ(log.events[1].event, link::device_event_removal);
    EXPECT_EQ(log.events[2].event, link::device_event_arrival);
    EXPECT_EQ(sensor.mode(), 2);
    link::sensor_link_close(sensor_link);
    link::remove_device_listener(id);
}

}  // namespace
