// The nutrient engine: states, triggers, averages, drift and optical correction, standard
// adjustments.

#include "processing/nutrient_engine.h"

#include <gtest/gtest.h>

#include <cmath>

#include "test_records.h"

namespace quelmar::processing {
namespace {

using test::all_channels;
using test::record;

enum : std::uint8_t {
    idle = 0,
    intake = 1,
    blank = 2,
    std1 = 3,
    std2 = 4,
    sample = 5,
    ocs = 6,
    ocb = 7
};

NutrientSettings settings(std::uint8_t adjustment, std::uint8_t trigger) {
    NutrientSettings s = nutrient_scan_defaults();
    s.chemistry = protocol::chemistry::nitrate;
    auto& p = s.params;
    p.sample_intake_state = intake;
    p.blank_measurement_state = blank;
    p.standard1_measurement_state = std1;
    p.standard2_measurement_state = std2;
    p.sample_measurement_state = sample;
    p.oc_sample_state = ocs;
    p.oc_blank_state = ocb;
    p.standard1_concentration = 1000;  // 1 µM
    p.standard2_concentration = 2000;
    p.standard_adjustment = adjustment;
    p.processing_trigger = trigger;
    return s;
}

struct NutrientRun {
    std::vector<std::string> log;
    std::vector<NutrientResult> results;
    std::vector<NutrientAbsorbances> absorbances;
};

// Feeds (state, channel value for every channel) pairs, then the end-of-file record.
NutrientRun feed(const NutrientSettings& s,
                 const std::vector<std::pair<std::uint8_t, double>>& steps,
                 bool end_of_file = true) {
    NutrientRun run;
    NutrientEngine e(s, [&](std::string l) { run.log.push_back(l); });
    auto take = [&](const RawRecord& r) {
        if (e.feed(r)) {
            run.results.push_back(e.result());
            run.absorbances.push_back(e.absorbances());
        }
    };
    for (const auto& [state, v] : steps)
        take(record(state, all_channels(v), 1000));
    if (end_of_file)
        take(end_of_file_record());
    return run;
}

bool logged(const NutrientRun& r, const std::string& line) {
    return std::find(r.log.begin(), r.log.end(), line) != r.log.end();
}

const double b = 1.0;
const double s1 = std::pow(10.0, -0.1);
const double s2 = std::pow(10.0, -0.2);
const double sa = std::pow(10.0, -0.05);

TEST(NutrientEngine, LinearFitThroughTheOriginGivesHalfAMicromolar) {
    const NutrientRun run = feed(
        settings(2, 2), {{intake, 2}, {blank, b}, {std1, s1}, {std2, s2}, {sample, sa}, {idle, 2}});
    ASSERT_EQ(1u, run.results.size());
    EXPECT_NEAR(0.5, run.results[0].medium, 1e-6);
    EXPECT_NEAR(0.5, run.results[0].long_, 1e-6);
    EXPECT_TRUE(logged(run, "nutrient = (0.050000 - 0.000000) / 0.100000"));
    EXPECT_TRUE(logged(run, "processed nutrient result (medium) at 1000 = 0.500000"));
    EXPECT_NEAR(0.1, run.absorbances[0].standard1[path_short], 1e-12);
    EXPECT_NEAR(0.2, run.absorbances[0].standard2[path_short], 1e-12);
    const auto row = nutrient_row(run.results[0], run.absorbances[0]);
    EXPECT_EQ("0.500", row[2]);
    EXPECT_EQ("0.050000", row[8]);
}

TEST(NutrientEngine, SingleStandardAdjustments) {
    NutrientRun one = feed(settings(0, 2), {{blank, b}, {std1, s1}, {sample, sa}, {idle, 0}});
    ASSERT_EQ(1u, one.results.size());
    EXPECT_NEAR(0.5, one.results[0].short_, 1e-6);  // 0.05 / 0.1 × 1 µM
    EXPECT_TRUE(logged(one, "nutrient = (0.050000 / 0.100000) * 1.000000"));
    EXPECT_EQ(0.0, one.absorbances[0].standard2[path_medium]);

    NutrientRun two = feed(settings(1, 2), {{blank, b}, {std2, s2}, {sample, sa}, {idle, 0}});
    ASSERT_EQ(1u, two.results.size());
    EXPECT_NEAR(0.5, two.results[0].short_, 1e-6);  // 0.05 / 0.2 × 2 µM
}

TEST(NutrientEngine, StandardTwoWithSampleTriggerIgnoresStandardOne) {
    NutrientRun run =
        feed(settings(1, 2), {{blank, b}, {std1, s1}, {std2, s2}, {sample, sa}, {idle, 0}});
    EXPECT_FALSE(logged(run, "exited standard1 measurement state (3)"));
    EXPECT_TRUE(logged(run, "entering a measurement state (3)"));
    EXPECT_TRUE(logged(run, "exited standard2 measurement state (4)"));
}

TEST(NutrientEngine, FileEndingInsideTheTriggerStateStillYieldsItsRow) {
    NutrientRun run = feed(settings(2, 2), {{blank, b}, {std1, s1}, {std2, s2}, {sample, sa}});
    ASSERT_EQ(1u, run.results.size());
    EXPECT_TRUE(logged(run, "exited sample measurement state (5)"));
    NutrientRun cut =
        feed(settings(2, 2), {{blank, b}, {std1, s1}, {std2, s2}, {sample, sa}}, false);
    EXPECT_TRUE(cut.results.empty());
}

TEST(NutrientEngine, StateLeftAt255ClosesAndOpensNothing) {
    // Blank and intake states left at 255 ("none"), the previous state before the first
    // record and the end-of-file record's state: nothing is closed, opened or logged there.
    NutrientSettings s = settings(0, 3);
    s.params.blank_measurement_state = no_state;
    s.params.sample_intake_state = no_state;
    NutrientRun run = feed(s, {{idle, b}, {std1, s1}, {no_state, b}, {sample, sa}, {idle, b}});
    EXPECT_TRUE(run.results.empty());
    for (const auto& line : run.log)
        EXPECT_EQ(std::string::npos, line.find("255")) << line;
}

TEST(NutrientEngine, BlankTriggerUsesEarlierAverages) {
    NutrientRun run =
        feed(settings(2, 3),
             {{std1, s1}, {std2, s2}, {sample, sa}, {blank, b}, {idle, 0}, {blank, b}, {idle, 0}});
    ASSERT_EQ(2u, run.results.size());
    EXPECT_NEAR(0.5, run.results[1].medium, 1e-6);
}

TEST(NutrientEngine, AverageCoversOnlyTheStateFromItsFirstRecord) {
    // Two records of the sample state form one average; the re-entered state starts again.
    NutrientSettings s = settings(0, 2);
    NutrientRun run = feed(s, {{blank, b},
                               {std1, s1},
                               {sample, 0.5},
                               {sample, 2 * sa - 0.5},
                               {idle, 0},
                               {sample, sa},
                               {idle, 0}});
    ASSERT_EQ(2u, run.results.size());
    EXPECT_NEAR(0.5, run.results[0].medium, 1e-6);
    EXPECT_NEAR(0.5, run.results[1].medium, 1e-6);
}

TEST(NutrientEngine, FailedPathKeepsItsLastAbsorbances) {
    NutrientRun run = feed(settings(0, 2), {{intake, 1},
                                            {blank, b},
                                            {std1, s1},
                                            {sample, sa},
                                            {intake, 1},
                                            {blank, 0},
                                            {sample, sa},
                                            {idle, 0}});
    ASSERT_EQ(2u, run.results.size());
    EXPECT_EQ(0.0f, run.results[1].medium);
    EXPECT_NEAR(0.05, run.absorbances[1].sample[path_medium], 1e-12);
    EXPECT_TRUE(logged(run, "processed nutrient result (long) at 1000 failed"));
}

TEST(NutrientEngine, UnknownAdjustmentFailsEveryPath) {
    NutrientRun run = feed(settings(7, 2), {{blank, b}, {sample, sa}, {idle, 0}});
    ASSERT_EQ(1u, run.results.size());
    EXPECT_TRUE(logged(run, "Unknown nutrient standard ajustment 7"));
}

TEST(NutrientEngine, DriftCorrectionScalesByTheMonitoringChannel) {
    NutrientSettings s = settings(0, 2);
    s.params.medium_measurement_channel = 1;
    s.params.medium_monitoring_channel = 3;
    NutrientEngine e(s, nullptr);
    auto rec = [](std::uint8_t state, double meas, double mon) {
        RawRecord r = record(state);
        r.channels[1] = meas;
        r.channels[3] = mon;
        return r;
    };
    // The lamp drops to 80 % between blank and sample: the monitor sees it and corrects it.
    e.feed(rec(blank, 1.0, 1.0));
    e.feed(rec(std1, s1, 1.0));
    e.feed(rec(sample, sa * 0.8, 0.8));
    ASSERT_TRUE(e.feed(rec(idle, 0, 0)));
    EXPECT_NEAR(0.5, e.result().medium, 1e-6);
    EXPECT_EQ(0.0f, e.result().short_);  // channel 0 has a blank of 0: that path fails
}

TEST(NutrientEngine, OpticalCorrectionIsDividedByTheDilution) {
    NutrientSettings s = settings(0, 2);
    s.params.optical_correction = 1;
    // OC pair absorbance 0.03; nitrate dilutes it 1.5 times: As = 0.05 + 0.02 - 0.02 = 0.05.
    NutrientRun run = feed(s, {{blank, b},
                               {std1, s1},
                               {ocb, 1.0},
                               {ocs, std::pow(10.0, -0.03)},
                               {sample, std::pow(10.0, -0.07)},
                               {idle, 0}});
    ASSERT_EQ(1u, run.results.size());
    EXPECT_NEAR(0.5, run.results[0].medium, 1e-6);
    EXPECT_TRUE(logged(run, "exited optical correction blank measurement state (7)"));
    EXPECT_EQ("1:1.500", nutrient_dilution_text(protocol::chemistry::nitrate));
    EXPECT_EQ("1:1.135", nutrient_dilution_text(protocol::chemistry::iron));
    EXPECT_EQ("1:1.000", nutrient_dilution_text(9));
}

TEST(NutrientEngine, IntakeCapturesPlatformData) {
    NutrientEngine e(settings(0, 2), nullptr);
    RawRecord r = record(intake);
    r.platform_time = 11;
    r.sensor_time = 12;
    r.platform_salinity = 35.25;
    r.platform_depth = 7.5;
    e.feed(r);
    EXPECT_EQ(11u, e.result().platform_time);
    EXPECT_EQ(12u, e.result().sensor_time);
    EXPECT_EQ(35.25f, e.result().salinity);
    EXPECT_EQ(7.5f, e.result().depth);
}

TEST(NutrientForm, EnablingAndTitles) {
    config::NutrientParameters p;
    p.standard_adjustment = 1;
    p.processing_trigger = 2;
    NutrientEnabling e = nutrient_enabling(p);
    EXPECT_FALSE(e.standard1_state);
    EXPECT_TRUE(e.standard2_state);
    EXPECT_FALSE(e.standard1_concentration);
    EXPECT_TRUE(e.standard2_concentration);
    p.standard_adjustment = 0;
    p.processing_trigger = 1;
    e = nutrient_enabling(p);
    EXPECT_TRUE(e.standard1_state);
    EXPECT_TRUE(e.standard2_state);
    EXPECT_FALSE(e.standard2_concentration);
    EXPECT_FALSE(e.optical_correction);
    const auto c = nutrient_columns(protocol::chemistry::phosphate);
    EXPECT_EQ("Phosphate (Short.uM)", c[3].title);
    EXPECT_EQ("Nutrient (Medium:uM)", nutrient_columns(0)[2].title);
    EXPECT_EQ(17u, c.size());
    EXPECT_EQ("Sensor Name", multi_nutrient_columns()[8].title);
}

}  // namespace
}  // namespace quelmar::processing
