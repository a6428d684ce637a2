#include "statemachine/state_transfer.h"

#include <array>
#include <cstring>

#include "common/bytes.h"
#include "protocol/command.h"
#include "protocol/commands.h"

namespace quelmar::statemachine {

using protocol::send_command;
namespace cmd = protocol::cmd;

StateDefaults read_state_defaults(link::SensorLink& link) {
    StateDefaults d = fallback_state_defaults();
    config::OpticsDefaults optics;
    if (config::read_optics_defaults(link, optics) == protocol::status::ok)
        d.optics = optics;
    config::PumpValveDefaults pump;
    if (config::read_pump_valve_defaults(link, pump) == protocol::status::ok)
        d.pump = pump;
    return d;
}

namespace {
bool read_states(link::SensorLink& link, StateMachine& machine, const StateDefaults& defaults) {
    const std::array<std::uint8_t, 1> request{0};
    std::array<std::uint8_t, 2> count_bytes{};
    if (send_command(link, cmd::read_state_count, request, count_bytes) != protocol::status::ok)
        return false;
    const std::uint16_t count = common::get_u16le(count_bytes.data());
    if (count == 0) {
        new_state_defaults(machine, 0, defaults);
        normalise_states(machine);
        return true;
    }
    // The count is 16-bit on the wire, the table holds 255 states.
    if (count > max_states)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::array<std::uint8_t, 1> number{static_cast<std::uint8_t>(i)};
        StateBytes bytes{};
        if (send_command(link, cmd::read_state, number, bytes) != protocol::status::ok)
            return false;
        machine.states[i] = decode_state_record(bytes);
    }
    machine.last_state_index = static_cast<std::uint16_t>(count - 1);
    normalise_states(machine);
    return true;
}
}  // namespace

bool load_from_sensor(link::SensorLink& link, StateMachine& machine,
                      const StateDefaults& defaults) {
    machine.states.fill(StateRecord{});
    machine.current_state = 0;
    machine.last_state_index = 0;
    if (read_states(link, machine, defaults))
        return true;
    clear_to_empty(machine, defaults);
    return false;
}

bool save_to_sensor(link::SensorLink& link, const StateMachine& machine) {
    for (std::size_t i = 0; i < machine.state_count() && i < max_states; ++i) {
        std::array<std::uint8_t, 2 + state_record_size> request{};
        request[0] = static_cast<std::uint8_t>(i);
        request[1] = i == machine.last_state_index ? 1 : 0;
        const StateBytes bytes = encode_state_record(machine.states[i]);
        std::memcpy(request.data() + 2, bytes.data(), bytes.size());
        if (send_command(link, cmd::write_state, request) != protocol::status::ok)
            return false;
    }
    return true;
}

}  // namespace quelmar::statemachine
