#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/text.h"
#include "config/chemistry_parameters.h"
#include "processing/process_command.h"
#include "protocol/chemistry.h"
#include "protocol/processed_output.h"
#include "protocol/readings.h"
#include "protocol/run_commands.h"
#include "statemachine/state_record.h"
#include "tests/support/sensor_fixture.h"
#include "virtual_sensor/instrument_sensor.h"

namespace quelmar::virtual_sensor {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool wait_for(const std::function<bool()>& done, int ms = 20000) {
    for (int i = 0; i < ms && !done(); ++i) std::this_thread::sleep_for(1ms);
    return done();
}

TEST(FactoryInstrument, NitrateMatchesTheSensorsFactoryChemistry) {
    // A sensor fresh from the factory holds the nutrient parameters the instrument's cycle is
    // numbered for.
    VirtualSensor bare;
    const auto bytes = bare.parameter_record(config::nutrient_parameters_size);
    const auto mine = config::encode_nutrient_parameters(factory_nutrient_parameters());
    EXPECT_TRUE(std::equal(mine.begin(), mine.end(), bytes.begin(), bytes.end()));

    // The factory machine: each state runs for its seconds and goes on to the next of the
    // cycle; the parameters' states are all in it.
    const auto machine = factory_state_machine(InstrumentChemistry::nitrate);
    ASSERT_EQ(machine.size(), 12u);
    const auto& cycle = factory_cycle(InstrumentChemistry::nitrate);
    std::uint32_t total = 0;
    std::uint8_t state = cycle[0].state;
    for (std::size_t i = 0; i < cycle.size(); ++i) {
        const auto r = statemachine::decode_state_record(machine[state]);
        EXPECT_EQ(r.mode, statemachine::mode::operating);
        total += r.delay_s;
        state = r.default_next;
    }
    EXPECT_EQ(state, cycle[0].state);  // back at the start after one cycle
    EXPECT_EQ(total, cycle_seconds(InstrumentChemistry::nitrate));
    const auto p = factory_nutrient_parameters();
    for (std::uint8_t s : {p.sample_intake_state, p.sample_measurement_state, p.blank_measurement_state,
                           p.standard1_measurement_state, p.standard2_measurement_state,
                           p.oc_sample_state, p.oc_blank_state})
        EXPECT_TRUE(std::any_of(cycle.begin(), cycle.end(),
                                [s](const CycleState& c) { return c.state == s; }))
            << unsigned(s);
}

struct LiveInstrument : test_support::SensorFixture {
    fs::path card;
    void SetUp() override {
        SensorFixture::SetUp();
        card = fs::temp_directory_path() /
               ("quelmar-live-card-" + std::string(::testing::UnitTest::GetInstance()
                                                       ->current_test_info()
                                                       ->name()));
        fs::remove_all(card);
        fs::create_directories(card);
    }
    void TearDown() override {
        instrument_stop(sensor);
        SensorFixture::TearDown();
        fs::remove_all(card);
    }
};

// The whole loop as a user meets it: start the sensor, read its results through 420, take the
// raw file 422 names from its card and process it as File / Process Raw Nutrient File would.
TEST_F(LiveInstrument, TenCyclesOnTheCardProcessToTheResultsTheSensorReports) {
    configure_instrument(sensor, {InstrumentChemistry::nitrate, card.string(), 2000});
    ASSERT_EQ(protocol::start_state_machine(sensor_link, 0), protocol::status::ok);
    ASSERT_TRUE(wait_for([&] { return instrument_snapshot(sensor).results >= 10; }));
    ASSERT_EQ(protocol::stop_state_machine(sensor_link), protocol::status::ok);

    std::string name;
    ASSERT_EQ(protocol::read_output_file_name(sensor_link, name), protocol::status::ok);
    EXPECT_EQ(name, "RAW00001.CSV");
    ASSERT_TRUE(fs::exists(card / name));

    std::vector<protocol::ProcessedRecord> onboard;
    ASSERT_EQ(protocol::start_processed_read(sensor_link), protocol::status::ok);
    protocol::ProcessedRecord r;
    while (protocol::read_processed_record(sensor_link, r) == protocol::status::ok)
        onboard.push_back(r);
    ASSERT_GE(onboard.size(), 10u);

    processing::ProcessRequest request;
    request.files = {(card / name).string()};
    processing::ProcessOutcome outcome;
    processing::run_process_request(request, outcome);
    ASSERT_EQ(outcome.status, processing::process_ok);
    ASSERT_EQ(outcome.table.row_count(), onboard.size());
    const auto truth = instrument_truth(sensor);
    ASSERT_EQ(truth.size(), onboard.size());
    for (std::size_t i = 0; i < onboard.size(); ++i) {
        const auto row = outcome.table.row(i);
        EXPECT_EQ(row[2], common::format_text("%.3f", protocol::processed_value(onboard[i]))) << i;
        EXPECT_NEAR(protocol::processed_value(onboard[i]), truth[i].value, 0.05) << i;
    }

    // The drive request is noted; the program opens the card folder.
    EXPECT_EQ(protocol::mount_as_drive(sensor_link), protocol::status::ok);
    EXPECT_EQ(instrument_mount_requests(sensor), 1u);
    EXPECT_EQ(instrument_snapshot(sensor).card_dir, card.string());
}

TEST_F(LiveInstrument, AnotherMachineRunsWithoutTheInstrumentAndAnUnwritableCardRefusesStart) {
    configure_instrument(sensor, {InstrumentChemistry::ph, (card / "missing").string(), 1});
    EXPECT_TRUE(instrument_drives(sensor));
    EXPECT_NE(protocol::start_state_machine(sensor_link, 0), protocol::status::ok);

    test_support::load_machine(sensor, 3);
    EXPECT_FALSE(instrument_drives(sensor));
    EXPECT_EQ(protocol::start_state_machine(sensor_link, 0), protocol::status::ok);
    EXPECT_FALSE(instrument_snapshot(sensor).running);
    EXPECT_EQ(protocol::stop_state_machine(sensor_link), protocol::status::ok);
}

}  // namespace
}  // namespace quelmar::virtual_sensor
