#include "protocol/sensor_listing.h"

#include <gtest/gtest.h>

#include "virtual_sensor/virtual_sensor.h"

using namespace quelmar;

namespace {

TEST(SensorListing, SensorHeldByAnotherProgramIsShownInUseWithoutBeingAsked) {
    virtual_sensor::VirtualSensorOptions held_options;
    held_options.name = "Held";
    virtual_sensor::VirtualSensor held(held_options);
    virtual_sensor::VirtualSensorOptions free_options;
    free_options.name = "Free";
    free_options.mode = 1;
    virtual_sensor::VirtualSensor free(free_options);
    held.attach();
    free.attach();

    link::SensorLink other_program;
    ASSERT_EQ(link::sensor_link_open(other_program, held.path(), 500), link::LinkResult::ok);
    held.clear_requests();

    link::DeviceList devices = {{held.path(), link::device_mode_firmware}, {free.path(), 0}};
    link::SensorLink probe;
    const auto rows = protocol::build_sensor_rows(devices, probe);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].in_use);
    EXPECT_EQ(rows[0].entry, 0u);
    EXPECT_EQ(rows[0].name, "Unknown device");
    EXPECT_EQ(rows[0].type, "in use by another program");
    EXPECT_EQ(rows[0].state, "");
    EXPECT_EQ(devices[0].mode, link::device_mode_unknown);  // so it cannot be connected
    EXPECT_TRUE(held.requests().empty());

    EXPECT_FALSE(rows[1].in_use);
    EXPECT_EQ(rows[1].name, "Free");
    EXPECT_EQ(rows[1].state, "Bootloader (v3)");
    EXPECT_EQ(devices[1].mode, link::device_mode_bootloader);
    EXPECT_FALSE(link::sensor_link_is_open(probe));

    // The other program's connection was left alone, and once it lets go the sensor lists.
    link::SensorReport r = link::SensorReport::request(295);
    EXPECT_EQ(link::sensor_exchange(other_program, r), link::LinkResult::ok);
    link::sensor_link_close(other_program);
    const auto again = protocol::build_sensor_rows(devices, probe);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0].name, "Held");
    EXPECT_EQ(again[0].state, "Firmware");
}

}  // namespace
