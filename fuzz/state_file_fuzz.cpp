// Loads arbitrary bytes as both state machine file formats and renders every state, the
// listing, a dry run and the editor form: none of it may crash or read outside its tables.

#include <cstddef>
#include <cstdint>
#include <span>

#include "statemachine/dry_run.h"
#include "statemachine/state_files.h"
#include "statemachine/state_form.h"
#include "statemachine/state_text.h"

using namespace quelmar::statemachine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    for (StateFileFormat format : {StateFileFormat::asm77, StateFileFormat::dat102}) {
        StateMachine machine;
        load_state_bytes(bytes, format, machine);
        CounterValues counters{};
        for (std::size_t s = 0; s < machine.state_count(); ++s) {
            const StateRecord& r = machine.states[s];
            for (std::size_t c = 0; c < column_count; ++c) {
                (void)describe_state(static_cast<std::uint32_t>(s), r, c);
                (void)describe_state(static_cast<std::uint32_t>(s), r, c, &counters);
            }
            (void)store_form(r, form_from_record(r));
            (void)encode_dat_record(r);
            counters[s % counter_count] = static_cast<std::uint8_t>(s * 37);
        }
        (void)build_listing(machine, ListingMode::definition);
        const std::uint32_t start = size ? data[0] : 0;
        const std::uint32_t timeout = size > 1 ? data[1] : no_timeout_state;
        const Listing walk = build_listing(
            machine, ListingMode::dry_run, clamp_state_number(start, machine),
            timeout == no_timeout_state ? no_timeout_state : clamp_state_number(timeout, machine));
        (void)dry_run_end_message(machine, walk);
        (void)save_state_bytes(machine, format);
    }
    return 0;
}
