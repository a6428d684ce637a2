// The pH engine: blank window, sample window marks, regression and the indicator equation.

#include "processing/ph_engine.h"

#include <gtest/gtest.h>

#include <cmath>

#include "test_records.h"

namespace quelmar::processing {
namespace {

enum : std::uint8_t { idle = 0, intake = 1, measure = 2 };

PhSettings settings() {
    PhSettings s = ph_scan_defaults();
    s.sample_interval_ms = 1000;
    s.params.blue_channel = 0;
    s.params.yellow_channel = 1;
    s.params.sample_intake_state = intake;
    s.params.sample_measurement_state = measure;
    s.params.blank_start_offset = 0;
    s.params.blank_end_offset = 0;  // the first record of the state is the blank
    s.params.absorbance_min_blue = 0.0f;
    s.params.absorbance_max_yellow = 10.0f;
    s.params.r_scale = 1.0f;
    s.params.r_offset = 0.0f;
    s.params.dph_dt = 0.0f;
    for (auto& t : s.thermistors) {
        t.channel = 6;
        t.d = 20.0f;
    }
    return s;
}

struct PhRun {
    std::vector<std::string> log;
    std::vector<PhResult> results;
};

RawRecord sample_record(std::uint8_t state, double x, double y) {
    RawRecord r = test::record(state);
    r.channels[0] = std::pow(10.0, -x);
    r.channels[1] = std::pow(10.0, -y);
    r.sensor_time = 500;
    r.platform_salinity = 35;
    r.platform_temperature = 10;
    return r;
}

// One cycle: intake, then a blank record and `samples` dye samples whose 434 nm absorbance
// falls towards Amin (each one a new mark) with a 578/434 ratio of 1.2, then `extra`
// unmarked samples.
PhRun cycle(const PhSettings& s, int samples, int extra = 0) {
    PhRun run;
    PhEngine e(s, [&](std::string l) { run.log.push_back(l); });
    auto take = [&](const RawRecord& r) {
        if (e.feed(r))
            run.results.push_back(e.result());
    };
    take(sample_record(intake, 0, 0));
    take(sample_record(measure, 0, 0));
    for (int k = 0; k < samples; ++k) {
        const double x = 0.5 - 0.02 * k;
        take(sample_record(measure, x, 1.2 * x));
    }
    for (int k = 0; k < extra; ++k)
        take(sample_record(measure, 0.6 + 0.01 * k, 0.05));
    take(sample_record(idle, 0, 0));
    return run;
}

bool logged(const PhRun& r, const std::string& line) {
    return std::find(r.log.begin(), r.log.end(), line) != r.log.end();
}

TEST(PhEngine, TenSamplesAreTooFewElevenGiveAResult) {
    PhRun ten = cycle(settings(), 10);
    EXPECT_TRUE(ten.results.empty());
    EXPECT_TRUE(logged(ten, "Too few samples for regression (10<=10)"));
    EXPECT_TRUE(logged(ten, "num samples = 10"));

    PhRun eleven = cycle(settings(), 11);
    ASSERT_EQ(1u, eleven.results.size());
    const PhResult& r = eleven.results[0];
    EXPECT_NEAR(1.2, r.r, 1e-9);
    EXPECT_NEAR(20.0, r.thermistor_temperature, 1e-12);
    double expected = 0;
    ASSERT_TRUE(ph_from_ratio(r.r, 20.0, 35.0, 1.0, 0.0, expected));
    EXPECT_DOUBLE_EQ(expected, r.ph);  // dpH/dT = 0: the pH at the thermistor temperature
    // r = 1.2, 20 °C, S = 35, from the indicator equation evaluated apart from this program.
    EXPECT_NEAR(7.819785114704042, r.ph, 1e-9);
    EXPECT_EQ(500u, r.time);
    EXPECT_TRUE(r.valid);
    EXPECT_EQ("entered sample intake state (1)", eleven.log[0]);
    EXPECT_EQ("platform s=35.000,t=10.000,do=0.000", eleven.log[1]);
}

TEST(PhEngine, SamplesAfterTheLastMarkDoNotChangeTheResult) {
    PhRun plain = cycle(settings(), 12);
    PhRun tail = cycle(settings(), 12, 5);
    ASSERT_EQ(1u, plain.results.size());
    ASSERT_EQ(1u, tail.results.size());
    EXPECT_EQ(plain.results[0].r, tail.results[0].r);
    EXPECT_EQ(plain.results[0].thermistor_temperature, tail.results[0].thermistor_temperature);
}

TEST(PhEngine, TemperatureCorrectionToThePlatformTemperature) {
    PhSettings s = settings();
    s.params.dph_dt = -0.01582f;
    PhRun run = cycle(s, 12);
    PhRun flat = cycle(settings(), 12);
    ASSERT_EQ(1u, run.results.size());
    EXPECT_NEAR(flat.results[0].ph + static_cast<double>(-0.01582f) * (10.0 - 20.0),
                run.results[0].ph, 1e-12);
}

TEST(PhEngine, BlankEndBeforeStartCountsNoSample) {
    PhSettings s = settings();
    s.params.blank_start_offset = 5;
    s.params.blank_end_offset = 2;
    PhRun run = cycle(s, 20);
    EXPECT_TRUE(run.results.empty());
    EXPECT_TRUE(logged(run, "abs434ref=0.000000, abs578ref=0.000000"));
    EXPECT_TRUE(logged(run, "Too few samples for regression (0<=10)"));
}

TEST(PhEngine, BlankIndicesFollowTheSampleInterval) {
    PhSettings s = settings();
    s.sample_interval_ms = 100;
    s.params.blank_start_offset = 50;
    s.params.blank_end_offset = 70;
    PhEngine e(s, nullptr);
    EXPECT_EQ(500u, e.blank_start_index());
    EXPECT_EQ(700u, e.blank_end_index());
}

TEST(PhEngine, CloseLogsTheBlankAndTheWindow) {
    PhRun run = cycle(settings(), 11);
    EXPECT_TRUE(logged(run, "exiting sample measurement state (2)"));
    EXPECT_TRUE(logged(run, "blank_start_index=0, blank_end_index=0"));
    EXPECT_TRUE(logged(run, "abs578max(i,x,y,t) = (1,0.500000,0.600000,20.000000)"));
    EXPECT_TRUE(logged(run, "sensor cal scale=1.000000, offset=0.000000"));
}

TEST(PhEquation, MatchesTheIndicatorEquationEvaluatedApart) {
    // Expected values computed from the published equation outside this program.
    double ph = 0;
    ASSERT_TRUE(ph_from_ratio(1.0, 25.0, 35.0, 1.0, 0.0, ph));
    EXPECT_NEAR(7.670834190487664, ph, 1e-12);
    ASSERT_TRUE(ph_from_ratio(0.8, 15.0, 33.5, 1.0, 0.0, ph));
    EXPECT_NEAR(7.699609624099392, ph, 1e-12);
    // The adjustment applies before the equation: 0.5 × 1.6 + 0 is the ratio 0.8.
    ASSERT_TRUE(ph_from_ratio(1.6, 15.0, 33.5, 0.5, 0.0, ph));
    EXPECT_NEAR(7.699609624099392, ph, 1e-12);
}

TEST(PhEngine, StateLeftAt255ClosesAndOpensNothing) {
    // A measurement state of 255 ("none") is the previous state before the first record and
    // the state of the end-of-file record: no measurement is closed or opened there.
    PhSettings s = settings();
    s.params.sample_measurement_state = no_state;
    s.params.sample_intake_state = no_state;
    PhRun run;
    PhEngine e(s, [&](std::string l) { run.log.push_back(l); });
    for (int k = 0; k < 20; ++k)
        EXPECT_FALSE(e.feed(sample_record(k % 3 ? std::uint8_t{measure} : no_state, 0.1 * k, 0.1 * k)));
    EXPECT_FALSE(e.feed(end_of_file_record()));
    EXPECT_TRUE(run.log.empty());
}

TEST(PhEquation, FailsWithoutAValue) {
    double ph = 0;
    EXPECT_FALSE(ph_from_ratio(0.0, 20.0, 35.0, 1.0, -1.0, ph));  // q below zero
    EXPECT_TRUE(ph_from_ratio(1.0, 25.0, 35.0, 1.0, 0.0, ph));
    EXPECT_GT(ph, 7.0);
    EXPECT_LT(ph, 9.0);
}

}  // namespace
}  // namespace quelmar::processing
