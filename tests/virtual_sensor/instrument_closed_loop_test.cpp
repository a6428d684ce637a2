#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/text.h"
#include "processing/process_command.h"
#include "virtual_sensor/instrument_model.h"
#include "virtual_sensor/ocean_model.h"

namespace quelmar::virtual_sensor {
namespace {

namespace fs = std::filesystem;

struct CardFolder {
    fs::path dir;
    CardFolder() {
        dir = fs::temp_directory_path() /
              ("quelmar-card-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~CardFolder() { fs::remove_all(dir); }
};

// Runs until `cycles` results are kept on board, then one more second so the file holds the
// line that closed the last measurement (a reader closes it the same way at end of file).
void run_cycles(Instrument& instrument, std::size_t cycles) {
    const std::uint32_t limit = (cycles + 2) * cycle_seconds(instrument.setup().chemistry);
    for (std::uint32_t s = 0; s < limit && instrument.results().size() < cycles; ++s)
        instrument.tick();
    instrument.stop();
}

void process_offline(const std::string& path, processing::ProcessOutcome& outcome) {
    processing::ProcessRequest request;
    request.files = {path};
    processing::run_process_request(request, outcome);
}

// The result the sensor printed matches, to its last printed digit, the one offline processing
// computes from the file on the card, and lies within the instrument's noise of the truth.
void check_closed_loop(InstrumentChemistry chemistry, std::size_t value_column, int digits,
                       double tolerance) {
    CardFolder card;
    InstrumentSetup setup;
    setup.chemistry = chemistry;
    setup.card_dir = card.dir.string();
    setup.start_time = 1767225600;
    Instrument instrument(setup);
    std::string error;
    ASSERT_TRUE(instrument.start(error)) << error;
    run_cycles(instrument, 12);
    ASSERT_FALSE(instrument.write_failed());
    const auto& onboard = instrument.results();
    ASSERT_EQ(onboard.size(), 12u);

    processing::ProcessOutcome outcome;
    process_offline(instrument.file_path(), outcome);
    ASSERT_EQ(outcome.status, processing::process_ok);
    ASSERT_EQ(outcome.table.row_count(), onboard.size());
    double worst = 0;
    for (std::size_t i = 0; i < onboard.size(); ++i) {
        const auto row = outcome.table.row(i);
        const double value = protocol::processed_value(onboard[i]);
        EXPECT_EQ(row[value_column], common::text_of(common::Fixed{value, digits})) << i;
        EXPECT_EQ(row[0], common::sensor_time_text(onboard[i].platform_time)) << i;
        EXPECT_EQ(onboard[i].validity, 1) << i;
        const auto& truth = instrument.truth()[i];
        EXPECT_EQ(truth.time, onboard[i].platform_time);
        worst = std::max(worst, std::abs(value - truth.value));
    }
    EXPECT_LT(worst, tolerance);
}

TEST(InstrumentClosedLoop, NitrateOnBoardEqualsOfflineAndFollowsTheModel) {
    check_closed_loop(InstrumentChemistry::nitrate, 2, 3, 0.05);
}

TEST(InstrumentClosedLoop, PhOnBoardEqualsOfflineAndFollowsTheModel) {
    check_closed_loop(InstrumentChemistry::ph, 1, 3, 0.01);
}

TEST(Instrument, FileCarriesTheConfigurationAndTwentyFieldLines) {
    CardFolder card;
    InstrumentSetup setup;
    setup.card_dir = card.dir.string();
    setup.start_time = 1000;
    Instrument instrument(setup);
    std::string error;
    ASSERT_TRUE(instrument.start(error));
    EXPECT_EQ(instrument.file_name(), "RAW00001.CSV");
    for (int i = 0; i < 3; ++i) instrument.tick();
    instrument.stop();
    std::ifstream in(instrument.file_path());
    std::string line, last;
    std::getline(in, line);
    EXPECT_EQ(line, "%QUELMAR.HEADER_START");
    bool type = false;
    while (std::getline(in, line)) {
        if (line == "%QUELMAR.CHEMISTRY.TYPE=1") type = true;
        last = line;
    }
    EXPECT_TRUE(type);
    EXPECT_EQ(std::count(last.begin(), last.end(), ','), 19);
    EXPECT_EQ(last.substr(0, 4), "2,0,");  // counter 2, first flush state

    // A card that cannot be written is reported, not crashed on.
    setup.card_dir = (card.dir / "missing").string();
    Instrument lost(setup);
    EXPECT_FALSE(lost.start(error));
    EXPECT_FALSE(lost.tick());
}

TEST(OceanModel, GliderDivesAndClimbsThroughTheProfiles) {
    const auto surface = ocean_at(0);
    EXPECT_EQ(surface.direction, 1);
    EXPECT_DOUBLE_EQ(surface.depth, 0);
    const auto down = ocean_at(glider_surface_time + 1000);
    EXPECT_EQ(down.direction, 2);
    EXPECT_NEAR(down.depth, 100, 1e-9);
    const auto up = ocean_at(glider_surface_time + 3000);
    EXPECT_EQ(up.direction, 3);
    EXPECT_NEAR(up.depth, 100, 1e-9);
    EXPECT_EQ(ocean_at(4300 + 10).direction, 1);
    EXPECT_EQ(ocean_at(4300 + glider_surface_time + 1).dive, 2);
    // Colder, saltier, richer in nitrate and more acid at depth.
    EXPECT_LT(down.temperature, surface.temperature);
    EXPECT_GT(down.salinity, surface.salinity);
    EXPECT_GT(down.nitrate, surface.nitrate);
    EXPECT_LT(down.ph, surface.ph);
}

}  // namespace
}  // namespace quelmar::virtual_sensor
