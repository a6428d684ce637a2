#include "statemachine/state_transfer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "common/bytes.h"
#include "protocol/command.h"
#include "protocol/commands.h"
#include "statemachine/state_files.h"
#include "statemachine/state_form.h"
#include "virtual_sensor/sensor_state.h"
#include "virtual_sensor/state_machine_handlers.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::statemachine {
namespace {

namespace vs = virtual_sensor;
namespace cmd = protocol::cmd;

class Transfer : public ::testing::Test {
  protected:
    void SetUp() override {
        sensor.attach();
        ASSERT_EQ(link::sensor_link_open(link, sensor.path(), 1000), link::LinkResult::ok);
    }
    void TearDown() override { link::sensor_link_close(link); }

    void store_states(std::size_t count, std::uint8_t flag = 1) {
        auto store = vs::state_machine_store(sensor);
        std::lock_guard lock(store->mutex);
        store->states.assign(count, {});
        for (std::size_t i = 0; i < count; ++i) {
            StateRecord r;
            r.format_flag = flag;
            r.default_next = static_cast<std::uint8_t>(i + 1);
            r.aux_switch = 1;
            r.delay_s = static_cast<std::uint32_t>(i);
            store->states[i] = encode_state_record(r);
        }
    }
    std::vector<StateBytes> sensor_states() {
        auto store = vs::state_machine_store(sensor);
        std::lock_guard lock(store->mutex);
        return {store->states.begin(), store->states.end()};
    }
    std::vector<link::SensorReport> requests_of(std::uint16_t code) {
        std::vector<link::SensorReport> out;
        for (const auto& r : sensor.requests())
            if (r.command() == code)
                out.push_back(r);
        return out;
    }

    vs::VirtualSensor sensor;
    link::SensorLink link;
    StateDefaults defaults = fallback_state_defaults();
};

TEST_F(Transfer, DefaultsComeFromTheSensorOrTheFallbacks) {
    const StateDefaults d = read_state_defaults(link);
    EXPECT_EQ(d.optics.photodiode_power, 1);
    EXPECT_NE(d.optics.led_current_ua[0], 0);
    EXPECT_NE(d.pump.winding_current_ma, 0);
    EXPECT_GE(d.pump.step_period_us, 2u);

    config::PumpValveDefaults pump = d.pump;
    pump.winding_current_ma = 777;
    pump.valve_spike_ms = 2500;
    ASSERT_EQ(config::write_pump_valve_defaults(link, pump), protocol::status::ok);
    config::PumpValveDefaults back;
    ASSERT_EQ(config::read_pump_valve_defaults(link, back), protocol::status::ok);
    EXPECT_EQ(back, pump);

    sensor.force_status(cmd::read_optics_defaults, 3);
    const StateDefaults partly = read_state_defaults(link);
    EXPECT_EQ(partly.optics, fallback_optics_defaults());
    EXPECT_EQ(partly.pump.winding_current_ma, 777);
    sensor.force_status(cmd::read_pump_valve_defaults, 3);
    const StateDefaults none = read_state_defaults(link);
    EXPECT_EQ(none.pump, fallback_pump_valve_defaults());
    EXPECT_EQ(none.pump.hall_power, 1);
}

TEST_F(Transfer, DefaultsCodecsAreExact) {
    std::array<std::uint8_t, config::pump_valve_defaults_size> p{};
    for (std::size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<std::uint8_t>(i * 11 + 1);
    const auto pump = config::decode_pump_valve_defaults(p);
    EXPECT_EQ(config::encode_pump_valve_defaults(pump), p);
    EXPECT_EQ(pump.hall_power, p[22]);
    EXPECT_EQ(pump.valve_spike_ms, p[23] | p[24] << 8);
    EXPECT_EQ(pump.stop_time_s, common::get_u32le(&p[18]));
    std::array<std::uint8_t, config::optics_defaults_size> o{};
    for (std::size_t i = 0; i < o.size(); ++i)
        o[i] = static_cast<std::uint8_t>(i * 13 + 2);
    const auto optics = config::decode_optics_defaults(o);
    EXPECT_EQ(config::encode_optics_defaults(optics), o);
    EXPECT_EQ(optics.led_current_ua[3], o[9] | o[10] << 8);
}

TEST_F(Transfer, LoadReadsEveryStateAndNormalises) {
    store_states(3, 0);
    StateMachine m;
    m.current_state = 2;
    ASSERT_TRUE(load_from_sensor(link, m, defaults));
    EXPECT_EQ(m.last_state_index, 2);
    EXPECT_EQ(m.current_state, 0);
    EXPECT_EQ(m.states[2].delay_s, 2u);
    EXPECT_EQ(m.states[2].format_flag, 1);
    const auto reads = requests_of(cmd::read_state);
    ASSERT_EQ(reads.size(), 3u);
    EXPECT_EQ(reads[2].payload()[0], 2);
    const auto counts = requests_of(cmd::read_state_count);
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_EQ(counts[0].length(), 1);
}

TEST_F(Transfer, NoStatesGiveTheDefaultState) {
    StateMachine m;
    ASSERT_TRUE(load_from_sensor(link, m, defaults));
    EXPECT_EQ(m.last_state_index, 0);
    StateMachine empty;
    clear_to_empty(empty, defaults);
    EXPECT_EQ(m.states, empty.states);
    EXPECT_TRUE(requests_of(cmd::read_state).empty());
}

TEST_F(Transfer, MoreStatesThanTheTableFailTheLoad) {
    sensor.set_handler(cmd::read_state_count, [](vs::VirtualSensor&, const link::SensorReport&) {
        vs::Reply r{0, {0, 1}};  // 256 states
        return r;
    });
    StateMachine m;
    EXPECT_FALSE(load_from_sensor(link, m, defaults));
    EXPECT_EQ(m.last_state_index, 0);
    EXPECT_TRUE(requests_of(cmd::read_state).empty());
    sensor.set_handler(cmd::read_state_count, [](vs::VirtualSensor&, const link::SensorReport&) {
        return vs::Reply{0, {0xFF, 0xFF}};
    });
    EXPECT_FALSE(load_from_sensor(link, m, defaults));
}

TEST_F(Transfer, AFailedReadLeavesTheEmptyMachine) {
    store_states(4);
    sensor.force_status(cmd::read_state, 2);
    StateMachine m;
    m.last_state_index = 3;
    m.states[3].valves = 5;
    EXPECT_FALSE(load_from_sensor(link, m, defaults));
    EXPECT_EQ(m.last_state_index, 0);
    EXPECT_EQ(m.states[3], StateRecord{});
    sensor.clear_forced_status(cmd::read_state);
    sensor.drop_next_reply();
    EXPECT_FALSE(load_from_sensor(link, m, defaults));
}

TEST_F(Transfer, SaveOneStateSendsOneFlaggedRecord) {
    store_states(5);
    StateMachine m;
    clear_to_empty(m, defaults);
    m.states[0].valves = 0x0F0F;
    sensor.clear_requests();
    ASSERT_TRUE(save_to_sensor(link, m));
    const auto writes = requests_of(cmd::write_state);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].length(), 79);
    EXPECT_EQ(writes[0].payload()[0], 0);
    EXPECT_EQ(writes[0].payload()[1], 1);
    const auto bytes = encode_state_record(m.states[0]);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), writes[0].payload() + 2));
    const auto stored = sensor_states();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0], bytes);
}

TEST_F(Transfer, SaveStopsAtTheFirstFailure) {
    StateMachine m;
    clear_to_empty(m, defaults);
    insert_state(m, InsertWhere::after, defaults);
    insert_state(m, InsertWhere::after, defaults);
    sensor.force_status(cmd::write_state, 7);
    EXPECT_FALSE(save_to_sensor(link, m));
    EXPECT_EQ(requests_of(cmd::write_state).size(), 1u);
}

TEST_F(Transfer, RoundTripThroughEditorAndFileKeepsTheRecords) {
    // Records as the sensor holds them, with values the form could not produce.
    {
        auto store = vs::state_machine_store(sensor);
        std::lock_guard lock(store->mutex);
        store->states.clear();
        for (int i = 0; i < 4; ++i) {
            StateRecord r;
            r.format_flag = 1;
            r.mode = static_cast<std::uint8_t>(i);
            r.valves = static_cast<std::uint16_t>(0x1111 * i);
            r.led_setting = {led_on, 0, led_on, 0};
            r.pump_on = 1;
            r.winding_current_ma = 0;
            r.stop_mode = stop::time;
            r.timeout_next = 3;
            r.step_count = 99;
            r.aux_switch = 2;
            r.sync_value = 200;
            r.default_next = static_cast<std::uint8_t>(i + 1);
            r.diving = {1, 2, 3, 4};
            r.delay_s = 60;
            r.wait_for_schedule = 1;
            store->states.push_back(encode_state_record(r));
        }
    }
    const auto original = sensor_states();

    StateMachine editor;
    ASSERT_TRUE(load_from_sensor(link, editor, defaults));
    // The editor stores the form of each state it shows before moving on.
    for (std::uint16_t s = 0; s <= editor.last_state_index; ++s)
        editor.states[s] = store_form(editor.states[s], form_from_record(editor.states[s]));
    const auto file = (std::filesystem::temp_directory_path() / "sm_round_trip_test.asm").string();
    ASSERT_EQ(save_state_file(file, editor), FileResult::ok);
    StateMachine second;
    ASSERT_EQ(load_state_file(file, second, defaults), FileResult::ok);
    std::filesystem::remove(file);
    for (std::uint16_t s = 0; s <= second.last_state_index; ++s)
        second.states[s] = store_form(second.states[s], form_from_record(second.states[s]));
    ASSERT_TRUE(save_to_sensor(link, second));
    EXPECT_EQ(sensor_states(), original);
}

TEST_F(Transfer, VirtualSensorRefusesGapsAndOutOfRangeStates) {
    std::array<std::uint8_t, 79> request{};
    request[0] = 3;
    EXPECT_EQ(protocol::send_command(link, cmd::write_state, request),
              vs::state_out_of_range_status);
    std::array<std::uint8_t, 1> number{9};
    std::array<std::uint8_t, 77> reply{};
    EXPECT_EQ(protocol::send_command(link, cmd::read_state, number, reply),
              vs::state_out_of_range_status);
}

// The sensor's run: states follow each other by their delays, as in the dry run.
TEST(VirtualRun, StepsByDelaysAndCounters) {
    vs::VirtualSensor sensor;
    auto store = vs::state_machine_store(sensor);
    {
        std::lock_guard lock(store->mutex);
        StateRecord a;
        a.mode = mode::operating;
        a.delay_s = 2;
        a.default_next = 0;
        a.counters[0] = {1, 1, 1, action::inc_and_test};  // leaves on the second pass
        StateRecord b;
        b.mode = mode::sleeping;
        b.delay_s = 0;
        b.default_next = 2;
        StateRecord c;
        c.mode = mode::idle;
        store->states = {encode_state_record(a), encode_state_record(b), encode_state_record(c)};
    }
    auto run = vs::run_state(sensor);
    std::lock_guard lock(run->mutex);
    ASSERT_TRUE(run->step);
    const auto t0 = std::chrono::steady_clock::now();
    run->running = true;
    run->current_state = 0;
    run->state_entered = t0;
    run->step(*run, *store, t0 + std::chrono::seconds(1));
    EXPECT_EQ(run->current_state, 0);
    EXPECT_EQ(run->mode, mode::operating);
    run->step(*run, *store, t0 + std::chrono::seconds(2));
    EXPECT_EQ(run->current_state, 0) << "first pass: counter 1 of 1";
    run->step(*run, *store, t0 + std::chrono::seconds(4));
    EXPECT_EQ(run->current_state, 2) << "through the sleeping state without delay";
    EXPECT_EQ(run->mode, mode::idle);
    run->step(*run, *store, t0 + std::chrono::seconds(100));
    EXPECT_EQ(run->current_state, 2);

    // A new run starts with the counters at 0.
    run->current_state = 0;
    run->state_entered = t0 + std::chrono::seconds(200);
    run->step(*run, *store, t0 + std::chrono::seconds(202));
    EXPECT_EQ(run->current_state, 0);

    // A reference past the machine ends the run.
    {
        std::lock_guard store_lock(store->mutex);
        store->states[0][38] = 9;
        store->states[0][42] = action::inc_only;  // only the default next is left
    }
    run->step(*run, *store, t0 + std::chrono::seconds(204));
    EXPECT_FALSE(run->running);
    EXPECT_EQ(run->current_state, 255);
}

}  // namespace
}  // namespace quelmar::statemachine
