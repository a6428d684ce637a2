#pragma once
// The program's copy of the sensor's state machine, as the editor holds it, with the editing
// operations that keep state references pointing at the same states.

#include <array>
#include <cstdint>

#include "config/optics_defaults.h"
#include "statemachine/state_record.h"

namespace quelmar::statemachine {

using StateTable = std::array<StateRecord, max_states>;

// What a new state is given: the sensor's stored defaults, or the fall-backs below.
struct StateDefaults {
    config::OpticsDefaults optics;
    config::PumpValveDefaults pump;
};

// Used when the editor works without a sensor or a defaults record cannot be read.
config::OpticsDefaults fallback_optics_defaults();
config::PumpValveDefaults fallback_pump_valve_defaults();
StateDefaults fallback_state_defaults();

struct StateMachine {
    StateTable states{};
    std::uint16_t last_state_index = 0;  // number of states minus one
    std::uint16_t current_state = 0;     // the state the editor shows

    // The table as last loaded or saved, to tell whether there are unsaved edits.
    StateTable snapshot{};
    std::uint16_t snapshot_last_state_index = 0;

    StateRecord clipboard{};
    bool clipboard_full = false;

    std::size_t state_count() const { return std::size_t{last_state_index} + 1; }
    bool is_valid_reference(std::uint32_t state) const { return state <= last_state_index; }
};

// Fills state `index` with the defaults; reads last_state_index as already updated.
void new_state_defaults(StateMachine& machine, std::size_t index, const StateDefaults& defaults);
// Brings records of the older form into the current form; run after every load.
void normalise_states(StateMachine& machine);

enum class InsertWhere { before, after };
// Inserts a default state before or after the current one, which then becomes current.
// False (nothing changed) when the table is full.
bool insert_state(StateMachine& machine, InsertWhere where, const StateDefaults& defaults);
// Removes the current state. False (nothing changed) when it is the only state.
bool delete_state(StateMachine& machine);

// Every record cleared, one default state 0, current 0 (snapshot untouched).
void clear_to_empty(StateMachine& machine, const StateDefaults& defaults);
// The empty machine of New: clear_to_empty, then the snapshot is taken.
void new_machine(StateMachine& machine, const StateDefaults& defaults);

void take_snapshot(StateMachine& machine);
void restore_snapshot(StateMachine& machine);
bool has_unsaved_edits(const StateMachine& machine);

// Which parts of the clipboard an Overwrite paste takes.
struct PasteGroups {
    bool valves = true;
    bool pump = true;
    bool everything_else = true;
};
enum class PasteWhere { insert_before, insert_after, overwrite };
struct PasteOptions {
    PasteWhere where = PasteWhere::overwrite;
    PasteGroups groups{};
};
// Pastes the clipboard. Inserting pastes every group into the new state (nothing happens when
// the insert is refused); overwriting pastes the chosen groups. The pasted state's default
// next, time-out next and counter targets are set to 0, since they pointed at states around
// the copied one. False when nothing was pasted.
bool paste_state(StateMachine& machine, const PasteOptions& options, const StateDefaults& defaults);

// Editor command availability that depends on the machine alone.
struct CommandEnabling {
    bool previous = false;
    bool next = false;
    bool insert = false;
    bool remove = false;  // Delete and Cut
    bool paste = false;
};
CommandEnabling command_enabling(const StateMachine& machine);

}  // namespace quelmar::statemachine
