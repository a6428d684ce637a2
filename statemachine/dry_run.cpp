#include "statemachine/dry_run.h"

#include "common/text.h"

namespace quelmar::statemachine {

std::uint32_t next_state_by_counters(const StateRecord& record, CounterValues& counters) {
    std::uint32_t next = record.default_next;
    for (std::size_t i = 0; i < counter_count; ++i) {
        const CounterGroup& c = record.counters[i];
        std::uint8_t& value = counters[i];
        if (c.action == action::reset) {
            value = 0;
        } else if (c.action == action::inc_and_test) {
            value = static_cast<std::uint8_t>(value + c.increment);
            if (value > c.maximum) {
                next = c.next;
                value = 0;
            }
        } else {
            value = static_cast<std::uint8_t>(value + c.increment);
        }
    }
    return next;
}

Listing build_listing(const StateMachine& machine, ListingMode mode, std::uint32_t start,
                      std::uint32_t timeout_state) {
    Listing out;
    const bool dry = mode == ListingMode::dry_run;
    if (!dry) {
        start = 0;
        timeout_state = no_timeout_state;
    }
    CounterValues counters{};
    std::uint32_t state = start;
    for (std::size_t i = 0;; ++i) {
        if (i > 0) {
            const std::uint32_t p = out.row_states.back();
            const StateRecord& prev = machine.states[p];
            if (!dry) {
                state = p + 1;
            } else {
                if (prev.mode == mode::idle || prev.mode == mode::hibernating) {
                    out.end = WalkEnd::end_state;
                    break;
                }
                state = next_state_by_counters(prev, counters);
                if (p == timeout_state) {
                    state = prev.timeout_next;
                    timeout_state = no_timeout_state;
                }
            }
        }
        if (!machine.is_valid_reference(state) || state >= max_states) {
            out.end = WalkEnd::invalid_reference;
            out.invalid_state = state;
            break;
        }
        out.rows.push_back(
            describe_state_row(state, machine.states[state], dry ? &counters : nullptr));
        out.row_states.push_back(state);
        if (i + 1 >= dry_run_row_limit) {
            out.end = WalkEnd::limit;
            break;
        }
    }
    return out;
}

std::string listing_title(const StateMachine& machine, ListingMode mode) {
    return common::format_text("State Machine %s (%d states)",
                               mode == ListingMode::dry_run ? "Dry Run" : "Definition",
                               machine.last_state_index + 1);
}

std::string dry_run_end_message(const StateMachine& machine, const Listing& listing) {
    switch (listing.end) {
        case WalkEnd::invalid_reference:
            return common::format_text("Dry run terminated by invalid state reference (%u)",
                                       listing.invalid_state);
        case WalkEnd::limit:
            return common::format_text(
                "Dry run terminated after %d iterations to avoid probable infinite loop.",
                static_cast<int>(dry_run_row_limit));
        case WalkEnd::end_state:
            break;
    }
    if (listing.row_states.empty())
        return "Dry-run terminated unexpectedly.";
    switch (machine.states[listing.row_states.back()].mode) {
        case mode::idle:
            return "Dry-run ended at IDLE state.";
        case mode::hibernating:
            return "Dry-run ended at HIBERNATING state.";
        default:
            return "Dry-run terminated unexpectedly.";
    }
}

std::uint32_t clamp_state_number(std::uint64_t typed, const StateMachine& machine) {
    return typed > machine.last_state_index ? machine.last_state_index
                                            : static_cast<std::uint32_t>(typed);
}

}  // namespace quelmar::statemachine
