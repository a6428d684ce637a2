#include "protocol/run_commands.h"

#include "common/bytes.h"
#include "protocol/command.h"
#include "protocol/commands.h"

namespace quelmar::protocol {

using protocol::state_none;

protocol::SensorStatus read_state_count(link::SensorLink& link, std::uint16_t& count) {
    // The sensor ignores the request byte; it is sent as 0.
    const std::array<std::uint8_t, 1> request{0};
    std::array<std::uint8_t, 2> reply{};
    const auto s = protocol::send_command(link, cmd::read_state_count, request, reply);
    if (s == protocol::status::ok) count = common::get_u16le(reply.data());
    return s;
}

protocol::SensorStatus start_state_machine(link::SensorLink& link, std::uint8_t start_state) {
    const std::array<std::uint8_t, 1> request{start_state};
    return protocol::send_command(link, cmd::start_state_machine, request);
}

protocol::SensorStatus stop_state_machine(link::SensorLink& link) {
    return protocol::send_command(link, cmd::stop_state_machine);
}

protocol::SensorStatus mount_as_drive(link::SensorLink& link) {
    return protocol::send_command(link, cmd::mount_as_drive);
}

StartOutcome start_run(link::SensorLink& link, std::uint8_t start_state) {
    std::uint16_t count = 0;
    if (read_state_count(link, count) != protocol::status::ok)
        return StartOutcome::no_configuration;
    if (count == 0) return StartOutcome::nothing_loaded;
    const auto s = start_state_machine(link, start_state);
    if (s == protocol::status::ok) return StartOutcome::started;
    if (s == protocol::status::voltage_too_low) return StartOutcome::voltage_too_low;
    return StartOutcome::failed;
}

std::string start_outcome_message(StartOutcome outcome) {
    switch (outcome) {
        case StartOutcome::started: return {};
        case StartOutcome::no_configuration:
            return "Unable get state machine configuration from sensor";
        case StartOutcome::nothing_loaded: return "Sensor has no state machine loaded";
        case StartOutcome::voltage_too_low: return "Voltage too low to run state machine";
        case StartOutcome::failed: return "Failed to start state machine";
    }
    return {};
}

std::vector<StartChoice> start_choices(const protocol::ChemistryConfig& c) {
    const std::pair<const char*, std::uint8_t> all[] = {
        {"Deploy", c.deployment_state},      {"Prime", c.priming_state},
        {"Flush", c.flushing_state},         {"Special1", c.special_states[0]},
        {"Special2", c.special_states[1]},   {"Special3", c.special_states[2]},
    };
    std::vector<StartChoice> out;
    for (const auto& [name, state] : all)
        if (state != state_none) out.push_back({name, state});
    return out;
}

protocol::ChemistryConfig fallback_chemistry_config() {
    protocol::ChemistryConfig c;
    c.chemistry = 0;
    c.autostart_state = 0;
    c.flushing_state = state_none;
    c.priming_state = state_none;
    c.deployment_state = state_none;
    c.special_states = {0, 0, 0};
    return c;
}

const std::array<const char*, start_state_rows> start_state_labels = {
    "Automatic Deployment Start State", "Manual Deployment Start State",
    "Manual Priming Start State",       "Manual Flushing Start State",
    "Manual Special1 Start State",      "Manual Special2 Start State",
    "Manual Special3 Start State",
};

std::array<std::uint8_t, start_state_rows> start_state_values(const protocol::ChemistryConfig& c) {
    return {c.autostart_state,   c.deployment_state,  c.priming_state,    c.flushing_state,
            c.special_states[0], c.special_states[1], c.special_states[2]};
}

void set_start_state_values(protocol::ChemistryConfig& c,
                            const std::array<std::uint8_t, start_state_rows>& v) {
    c.autostart_state = v[0];
    c.deployment_state = v[1];
    c.priming_state = v[2];
    c.flushing_state = v[3];
    c.special_states = {v[4], v[5], v[6]};
}

void toggle_autostart(protocol::ChemistryConfig& c) {
    c.autostart_state = c.autostart_state != state_none ? state_none : 0;
}

std::uint8_t highest_valid_state(protocol::SensorStatus count_status, std::uint16_t count) {
    if (count_status != protocol::status::ok || count == 0) return state_none;
    return count - 1 >= state_none ? 254 : static_cast<std::uint8_t>(count - 1);
}

std::uint8_t stored_start_state(std::uint64_t typed) {
    return typed >= state_none ? 254 : static_cast<std::uint8_t>(typed);
}

bool start_state_out_of_range(std::uint64_t typed, std::uint8_t highest_valid) {
    return highest_valid != state_none && typed > highest_valid;
}

}  // namespace quelmar::protocol
