#pragma once
// State the virtual sensor's features share: the loaded state machine and the run.
// Each lives on the sensor as a feature state; lock its mutex while touching it.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

constexpr std::size_t state_record_bytes = 77;

// The state machine loaded on the sensor (434/435/436), up to 255 states of 77 bytes.
struct StateMachineStore {
    std::mutex mutex;
    std::vector<std::array<std::uint8_t, state_record_bytes>> states;
};

// The running state machine (437/438) as the readings (418) report it.
struct RunState {
    std::mutex mutex;
    bool running = false;
    std::uint8_t mode = 2;             // 0 operating, 1 sleeping, 2 idle, 3 hibernating
    std::uint8_t current_state = 255;  // 255: none
    std::chrono::steady_clock::time_point state_entered{};
    // Advances the running machine to `now` (installed by the state machine feature; when it
    // is absent the current state stays). Called with `mutex` held.
    std::function<void(RunState&, StateMachineStore&, std::chrono::steady_clock::time_point now)>
        step;
};

inline std::shared_ptr<StateMachineStore> state_machine_store(VirtualSensor& sensor) {
    return sensor.feature_state<StateMachineStore>("state_machine");
}

inline std::shared_ptr<RunState> run_state(VirtualSensor& sensor) {
    return sensor.feature_state<RunState>("run");
}

}  // namespace quelmar::virtual_sensor
