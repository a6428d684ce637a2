#pragma once
// The virtual sensor, attached and opened, with a helper that loads a small state machine.

#include <gtest/gtest.h>

#include "link/sensor_link.h"
#include "statemachine/state_record.h"
#include "virtual_sensor/sensor_state.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::test_support {

// `count` states; each operates for `delay_s` seconds and goes on to the next, the last is idle.
inline void load_machine(virtual_sensor::VirtualSensor& sensor, std::size_t count,
                         std::uint32_t delay_s = 600) {
    auto store = virtual_sensor::state_machine_store(sensor);
    std::lock_guard lock(store->mutex);
    store->states.clear();
    for (std::size_t i = 0; i < count; ++i) {
        statemachine::StateRecord r;
        r.format_flag = 1;
        r.mode = i + 1 == count ? statemachine::mode::idle : statemachine::mode::operating;
        r.stop_mode = statemachine::stop::time;
        r.delay_s = delay_s;
        r.default_next = static_cast<std::uint8_t>(i + 1);
        r.timeout_next = static_cast<std::uint8_t>(i + 1);
        store->states.push_back(statemachine::encode_state_record(r));
    }
}

struct SensorFixture : ::testing::Test {
    virtual_sensor::VirtualSensor sensor;
    link::SensorLink sensor_link;
    void SetUp() override {
        sensor.attach();
        ASSERT_EQ(link::sensor_link_open(sensor_link, sensor.path(), 1000), link::LinkResult::ok);
    }
    void TearDown() override { link::sensor_link_close(sensor_link); }
    std::size_t requests_of(std::uint16_t code) const {
        std::size_t n = 0;
        for (const auto& r : sensor.requests())
            if (r.command() == code) ++n;
        return n;
    }
};

}  // namespace quelmar::test_support
