#pragma once
// Moving the state machine to and from the sensor: 434 asks for the number of states, 435
// reads one state, 436 writes one (flagging the last).

#include "link/sensor_link.h"
#include "protocol/sensor_status.h"
#include "statemachine/state_machine.h"

namespace quelmar::statemachine {

// The defaults new states take, read from the sensor (optics first); a record that cannot be
// read is replaced by its fall-back.
StateDefaults read_state_defaults(link::SensorLink& link);

// Replaces the table with the sensor's machine and normalises it; current state 0. A sensor
// with no states gives the one default state (a success). Any failed command, or a count
// larger than the table, fails the load and leaves the empty machine.
bool load_from_sensor(link::SensorLink& link, StateMachine& machine, const StateDefaults& defaults);

// Sends states 0..last_state_index in order; stops at the first failure (the sensor then
// holds the states sent so far).
bool save_to_sensor(link::SensorLink& link, const StateMachine& machine);

}  // namespace quelmar::statemachine
