#include "statemachine/dry_run.h"

#include <gtest/gtest.h>

namespace quelmar::statemachine {
namespace {

// States that go to their default next after one second, without counters.
StateMachine chain(std::size_t states) {
    StateMachine m;
    m.last_state_index = static_cast<std::uint16_t>(states - 1);
    for (std::size_t i = 0; i < states; ++i)
        new_state_defaults(m, i, fallback_state_defaults());
    return m;
}

Listing dry(const StateMachine& m, std::uint32_t start, std::uint32_t timeout = no_timeout_state) {
    return build_listing(m, ListingMode::dry_run, start, timeout);
}

TEST(DryRun, SingleIdleStateEndsAtOnce) {
    StateMachine m = chain(1);
    m.states[0].mode = mode::idle;
    const Listing l = dry(m, 0);
    ASSERT_EQ(l.rows.size(), 1u);
    EXPECT_EQ(dry_run_end_message(m, l), "Dry-run ended at IDLE state.");
    m.states[0].mode = mode::hibernating;
    EXPECT_EQ(dry_run_end_message(m, dry(m, 0)), "Dry-run ended at HIBERNATING state.");
}

TEST(DryRun, CycleStopsAtTheRowLimit) {
    StateMachine m = chain(2);
    m.states[1].default_next = 0;
    const Listing l = dry(m, 0);
    EXPECT_EQ(l.rows.size(), 1000u);
    EXPECT_EQ(l.end, WalkEnd::limit);
    EXPECT_EQ(dry_run_end_message(m, l),
              "Dry run terminated after 1000 iterations to avoid probable infinite loop.");
}

TEST(DryRun, CountersAreSharedAcrossStates) {
    StateMachine c = chain(3);
    c.states[0].default_next = 0;
    c.states[0].counters[1] = {1, 254, 1, action::inc_and_test};  // every 255th visit
    c.states[1].default_next = 0;
    c.states[1].counters[2] = {1, 2, 2, action::inc_and_test};  // third arrival goes on
    c.states[2].mode = mode::idle;
    // Three passes of 255 rows of state 0 and one of state 1, then the idle state.
    const Listing l = dry(c, 0);
    ASSERT_EQ(l.end, WalkEnd::end_state);
    ASSERT_EQ(l.rows.size(), 769u);
    EXPECT_EQ(l.row_states[255], 1u);
    EXPECT_EQ(l.row_states[768], 2u);
}

TEST(DryRun, IdleOnTheThousandthRowStillReportsTheLimit) {
    // States 0..253 in a ring; state 253 leaves the ring for the idle state 254 on its fourth
    // visit. From start s, 1016 - s rows come before the idle one.
    StateMachine ring = chain(255);
    ring.states[253].default_next = 0;
    ring.states[253].counters[0] = {1, 3, 254, action::inc_and_test};
    ring.states[254].mode = mode::idle;
    const Listing at_limit = dry(ring, 17);
    EXPECT_EQ(at_limit.rows.size(), 1000u);
    EXPECT_EQ(at_limit.row_states.back(), 254u);
    EXPECT_EQ(dry_run_end_message(ring, at_limit),
              "Dry run terminated after 1000 iterations to avoid probable infinite loop.");
    const Listing before_limit = dry(ring, 18);
    EXPECT_EQ(before_limit.rows.size(), 999u);
    EXPECT_EQ(dry_run_end_message(ring, before_limit), "Dry-run ended at IDLE state.");
}

TEST(DryRun, InvalidReferenceStopsBeforeTheRow) {
    StateMachine m = chain(5);
    m.states[2].default_next = 9;
    const Listing l = dry(m, 0);
    EXPECT_EQ(l.rows.size(), 3u);
    EXPECT_EQ(dry_run_end_message(m, l), "Dry run terminated by invalid state reference (9)");
}

TEST(DryRun, CounterFiresAfterThreeRowsAndStartsAgain) {
    StateMachine m = chain(3);
    m.states[0].default_next = 0;
    m.states[0].counters[0] = {1, 2, 1, action::inc_and_test};
    m.states[1].default_next = 0;
    const Listing l = dry(m, 0);
    ASSERT_GE(l.rows.size(), 8u);
    EXPECT_EQ(l.rows[0][9], "if 1 > 2 goto state 1");
    EXPECT_EQ(l.rows[1][9], "if 2 > 2 goto state 1");
    EXPECT_EQ(l.rows[2][9], "if 3 > 2 goto state 1");
    EXPECT_EQ(l.row_states[3], 1u);
    EXPECT_EQ(l.rows[4][9], "if 1 > 2 goto state 1") << "the counter is 0 again";
    EXPECT_EQ(l.row_states[7], 1u);
}

TEST(DryRun, MaximumOf255NeverFiresAndResetClears) {
    StateMachine m = chain(2);
    m.states[0].default_next = 0;
    m.states[0].counters[0] = {1, 255, 1, action::inc_and_test};
    const Listing l = dry(m, 0);
    EXPECT_EQ(l.end, WalkEnd::limit);
    for (auto s : l.row_states)
        ASSERT_EQ(s, 0u);
    EXPECT_EQ(l.rows[255][9], "if 256 > 255 goto state 1");
    EXPECT_EQ(l.rows[256][9], "if 1 > 255 goto state 1") << "wrapped to 0";

    CounterValues c{5, 5, 5, 5, 5, 5};
    StateRecord r;
    r.default_next = 4;
    r.counters[0].action = action::reset;
    r.counters[1] = {200, 0, 0, action::inc_only};
    EXPECT_EQ(next_state_by_counters(r, c), 4u);
    EXPECT_EQ(c[0], 0);
    EXPECT_EQ(c[1], 205);
    EXPECT_EQ(c[2], 5);
}

TEST(DryRun, LaterCounterWinsAndTimeoutWinsOverBoth) {
    StateMachine m = chain(5);
    m.states[0].counters[0] = {1, 0, 2, action::inc_and_test};
    m.states[0].counters[3] = {1, 0, 3, action::inc_and_test};
    m.states[0].timeout_next = 4;
    for (std::size_t i = 1; i < 5; ++i)
        m.states[i].mode = mode::idle;
    EXPECT_EQ(dry(m, 0).row_states.back(), 3u);
    EXPECT_EQ(dry(m, 0, 0).row_states.back(), 4u);
}

TEST(DryRun, TimeoutIsSimulatedOnlyOnce) {
    StateMachine m = chain(4);
    m.states[0].default_next = 1;
    m.states[1].default_next = 0;
    m.states[1].timeout_next = 2;
    m.states[2].default_next = 1;
    m.states[3].mode = mode::idle;
    m.states[0].counters[0] = {1, 1, 3, action::inc_and_test};  // second visit of 0 leaves
    const Listing l = dry(m, 0, 1);
    const std::vector<std::uint32_t> expected = {0, 1, 2, 1, 0, 3};
    EXPECT_EQ(l.row_states, expected);
}

TEST(DryRun, SleepingStatesStepLikeOperatingOnes) {
    StateMachine m = chain(3);
    m.states[0].mode = mode::sleeping;
    m.states[2].mode = mode::idle;
    const Listing l = dry(m, 0);
    EXPECT_EQ(l.row_states, (std::vector<std::uint32_t>{0, 1, 2}));
    m.states[2].mode = 7;
    m.states[2].default_next = 9;
    EXPECT_EQ(dry_run_end_message(m, dry(m, 0)),
              "Dry run terminated by invalid state reference (9)");
}

TEST(Definition, ListsEveryStateInOrder) {
    StateMachine m = chain(4);
    m.states[1].counters[0] = {2, 3, 0, action::inc_and_test};
    m.states[2].mode = mode::idle;
    const Listing l = build_listing(m, ListingMode::definition, 3, 1);
    EXPECT_EQ(l.row_states, (std::vector<std::uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(l.rows[1][9], "inc by 2 and if > 3 goto state 0");
    EXPECT_EQ(listing_title(m, ListingMode::definition), "State Machine Definition (4 states)");
    EXPECT_EQ(listing_title(m, ListingMode::dry_run), "State Machine Dry Run (4 states)");

    StateMachine full = chain(255);
    EXPECT_EQ(build_listing(full, ListingMode::definition).rows.size(), 255u);
}

TEST(Definition, NumbersAreClampedToTheLastState) {
    StateMachine m = chain(4);
    EXPECT_EQ(clamp_state_number(2, m), 2u);
    EXPECT_EQ(clamp_state_number(4, m), 3u);
    EXPECT_EQ(clamp_state_number(0xFFFFFFFFFull, m), 3u);
}

}  // namespace
}  // namespace quelmar::statemachine
