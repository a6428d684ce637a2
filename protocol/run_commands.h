#pragma once
// Starting and stopping the sensor's state machine, and the start states that a run can begin
// at. The start states live in the chemistry configuration record.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/sensor_link.h"
#include "protocol/chemistry.h"
#include "protocol/sensor_status.h"

namespace quelmar::protocol {

// 434: the number of states of the loaded machine.
protocol::SensorStatus read_state_count(link::SensorLink& link, std::uint16_t& count);
protocol::SensorStatus start_state_machine(link::SensorLink& link, std::uint8_t start_state);
protocol::SensorStatus stop_state_machine(link::SensorLink& link);
protocol::SensorStatus mount_as_drive(link::SensorLink& link);

enum class StartOutcome { started, no_configuration, nothing_loaded, voltage_too_low, failed };
// Checks that a machine is loaded (434), then starts it at `start_state` (437).
StartOutcome start_run(link::SensorLink& link, std::uint8_t start_state);
// The message for a failed start, titled "Start"; empty for `started`.
std::string start_outcome_message(StartOutcome outcome);
constexpr const char* stop_failed_message = "Failed to stop state machine";

// A view's start-state list: Deploy, Prime, Flush, Special1..3, leaving out the unset ones.
struct StartChoice {
    std::string name;
    std::uint8_t state;
};
std::vector<StartChoice> start_choices(const protocol::ChemistryConfig& config);

// What a view runs with when the sensor's chemistry configuration cannot be read: no flushing,
// priming or deployment start state, every other byte 0.
protocol::ChemistryConfig fallback_chemistry_config();

// The seven rows of the start states dialog, in its order: Automatic Deployment, Manual
// Deployment, Priming, Flushing, Special1, Special2, Special3.
constexpr std::size_t start_state_rows = 7;
extern const std::array<const char*, start_state_rows> start_state_labels;
std::array<std::uint8_t, start_state_rows> start_state_values(const protocol::ChemistryConfig& c);
void set_start_state_values(protocol::ChemistryConfig& c,
                            const std::array<std::uint8_t, start_state_rows>& values);

// Opening the dialog from a view's "Autostart" box toggles autostart in the dialog's copy.
void toggle_autostart(protocol::ChemistryConfig& c);
inline bool autostart_on(const protocol::ChemistryConfig& c) {
    return c.autostart_state != protocol::state_none;
}
// The highest valid state number for a loaded machine of `count` states; 255 when not known.
std::uint8_t highest_valid_state(protocol::SensorStatus count_status, std::uint16_t count);
// A checked row's typed number as stored: 255 and above become 254.
std::uint8_t stored_start_state(std::uint64_t typed);
// A checked row above the highest valid state is shown as wrong.
bool start_state_out_of_range(std::uint64_t typed, std::uint8_t highest_valid);

}  // namespace quelmar::protocol
