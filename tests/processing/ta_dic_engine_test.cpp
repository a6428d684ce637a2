// The TA and DIC engines.

#include <gtest/gtest.h>

#include <cmath>

#include "processing/dic_engine.h"
#include "processing/ta_engine.h"
#include "test_records.h"

namespace quelmar::processing {
namespace {

enum : std::uint8_t { idle = 0, intake = 1, b1 = 2, b2 = 3, s1 = 4, s2 = 5 };

TaSettings ta_settings() {
    TaSettings s;
    s.chemistry = 7;
    auto& p = s.params;
    p.sample_intake_state = intake;
    p.blank_state_led1 = b1;
    p.blank_state_led2 = b2;
    p.sample_state_led1 = s1;
    p.sample_state_led2 = s2;
    p.processing_trigger = 3;
    p.measurement_channel = 0;
    p.acid_molarity = 0.1f;
    p.pka = 3.0f;
    p.e1 = 0;
    p.e2 = 1;
    p.e3 = 0;
    p.ct = 0.02f;
    for (auto& t : s.thermistors) {
        t.channel = 7;
        t.d = 25.0f;
    }
    return s;
}

RawRecord ta_record(std::uint8_t state, double v, std::uint32_t time = 42) {
    RawRecord r = test::record(state, {v}, time);
    return r;
}

TEST(TaEngine, PhThreeAndMolarityPointOneGiveTheTextbookAlkalinity) {
    std::vector<std::string> log;
    TaEngine e(ta_settings(), [&](std::string l) { log.push_back(l); });
    std::vector<TaResult> rows;
    const std::pair<std::uint8_t, double> steps[] = {{intake, 0.5}, {b1, 1.0}, {b1, 1.0}, {b2, 2.0},
                                                     {s1, 0.1},     {s2, 0.2}, {idle, 0}};
    for (auto [state, v] : steps)
        if (e.feed(ta_record(state, v)))
            rows.push_back(e.result());
    ASSERT_EQ(1u, rows.size());
    // A1 = A2 = 1 at 25 °C: R = 1 and pH = pKa = 3.
    EXPECT_NEAR((0.1f - 0.009819) / 8.819 * 1000000.0, rows[0].ta, 1e-6);
    EXPECT_EQ(42u, rows[0].time);
    EXPECT_FLOAT_EQ(1.0f, rows[0].absorbance_led1);
    EXPECT_FLOAT_EQ(25.0f, rows[0].temperature);
    EXPECT_EQ("exited sample (led2) measurement state (5)", log[log.size() - 4]);
    EXPECT_EQ("meas b1=1.000000,b2=2.000000,s1=0.100000,s2=0.200000", log[log.size() - 3]);
    EXPECT_EQ("t1=25.000000,t2=25.000000", log[log.size() - 2]);
}

TEST(TaEngine, AtTwentyFiveDegreesTheRatioIsPlain) {
    config::TaParameters p = ta_settings().params;
    TaAverages a{1.0, 1.0, std::pow(10.0, -0.5), std::pow(10.0, -0.6), 25.0, 25.0};
    p.ct = 0.0f;
    const TaResult plain = compute_ta(p, a);
    p.ct = 123.0f;
    EXPECT_EQ(plain.ta, compute_ta(p, a).ta);
    a.t1 = 20.0;
    EXPECT_NE(plain.ta, compute_ta(p, a).ta);
}

TEST(TaEngine, AlkalinityAtARatioOtherThanOne) {
    // A1 = 0.5, A2 = 0.6 at 20 °C with Ct 0.02: R = (5 × 0.02 + 1) × 1.2 = 1.32,
    // pH = 3 + log10(1.32); TA evaluated apart from this program with the float32 Ct and
    // molarity the parameters hold.
    const config::TaParameters p = ta_settings().params;
    const TaAverages a{1.0, 1.0, std::pow(10.0, -0.5), std::pow(10.0, -0.6), 20.0, 20.0};
    const TaResult r = compute_ta(p, a);
    EXPECT_NEAR(10495.675826212113, r.ta, 1e-6);
    EXPECT_FLOAT_EQ(0.5f, r.absorbance_led1);
    EXPECT_FLOAT_EQ(0.6f, r.absorbance_led2);
    EXPECT_FLOAT_EQ(20.0f, r.temperature);
}

TEST(TaEngine, FileEndingInsideTheTriggerStateYieldsItsRow) {
    TaEngine e(ta_settings(), nullptr);
    int rows = 0;
    for (auto [state, v] :
         {std::pair<std::uint8_t, double>{b1, 1.0}, {b2, 1.0}, {s1, 0.1}, {s2, 0.1}})
        rows += e.feed(ta_record(state, v));
    EXPECT_EQ(0, rows);
    EXPECT_TRUE(e.feed(end_of_file_record()));
}

bool mentions_255(const std::vector<std::string>& log) {
    for (const auto& line : log)
        if (line.find("255") != std::string::npos)
            return true;
    return false;
}

TEST(TaEngine, StateLeftAt255ClosesAndOpensNothing) {
    // A blank state of 255 ("none") is the engine's previous state before the first record
    // and the end-of-file record's state: neither may close it with no readings (a nan row)
    // nor log it.
    TaSettings s = ta_settings();
    s.params.blank_state_led1 = no_state;
    s.params.processing_trigger = 0;
    std::vector<std::string> log;
    TaEngine e(s, [&](std::string l) { log.push_back(l); });
    int rows = 0;
    for (auto [state, v] : {std::pair<std::uint8_t, double>{idle, 1.0}, {intake, 1.0},
                            {b2, 1.0}, {s1, 0.1}, {s2, 0.1}, {no_state, 0.5}, {idle, 1.0}})
        rows += e.feed(ta_record(state, v));
    rows += e.feed(end_of_file_record());
    EXPECT_EQ(0, rows);
    EXPECT_FALSE(mentions_255(log));
    // The intake state at 255 likewise.
    s = ta_settings();
    s.params.sample_intake_state = no_state;
    log.clear();
    TaEngine intake_none(s, [&](std::string l) { log.push_back(l); });
    intake_none.feed(ta_record(idle, 1.0));
    intake_none.feed(end_of_file_record());
    EXPECT_TRUE(log.empty());
}

enum : std::uint8_t { dic_intake = 1, dic_measure = 2, crm_measure = 3 };

DicSettings dic_settings() {
    DicSettings s;
    s.chemistry = 8;
    s.params.inlets[0] = {config::inlet_type::crm, 255, crm_measure, 2000.0f};
    s.params.inlets[1] = {config::inlet_type::sample, dic_intake, dic_measure, 0};
    s.thermistor.channel = 6;
    s.thermistor.d = 21.5f;
    return s;
}

struct DicRun {
    std::vector<std::string> log;
    std::vector<DicResult> rows;
};

DicRun run_dic(const DicSettings& s,
               const std::vector<std::pair<std::uint8_t, std::vector<double>>>& states,
               bool end_of_file = true) {
    DicRun run;
    DicEngine e(s, [&](std::string l) { run.log.push_back(l); });
    std::uint32_t t = 100;
    for (const auto& [state, values] : states)
        for (double v : values)
            if (e.feed(test::record(state, {v}, t++)))
                run.rows.push_back(e.result());
    if (end_of_file && e.feed(end_of_file_record()))
        run.rows.push_back(e.result());
    return run;
}

std::vector<double> ramp(int n) {
    std::vector<double> v;
    for (int i = 1; i <= n; ++i)
        v.push_back(i);
    return v;
}

TEST(DicEngine, MeanOfTheLastThirtyOfFortyFiveReadings) {
    // CRM step 0.5 (readings 0 and 1); the sample's 45 readings 1..45: mean of 16..45 = 30.5,
    // minimum 1, step 29.5.
    DicRun run = run_dic(
        dic_settings(),
        {{crm_measure, {0, 1}}, {0, {0}}, {dic_intake, {0}}, {dic_measure, ramp(45)}, {0, {0}}});
    ASSERT_EQ(1u, run.rows.size());
    const DicResult& r = run.rows[0];
    EXPECT_EQ(dic_good, r.validity);
    EXPECT_FLOAT_EQ(29.5f, r.sample_step);
    EXPECT_FLOAT_EQ(0.5f, r.crm_step);
    EXPECT_DOUBLE_EQ(29.5 / 0.5 * 2000.0, r.dic);
    EXPECT_FLOAT_EQ(21.5f, r.temperature);
    EXPECT_EQ(dic_measure, r.measurement_state);
    EXPECT_EQ(103u, r.time);
    const auto cells = dic_row(r);
    EXPECT_EQ("2", cells[1]);
    EXPECT_EQ("good", cells[6]);
}

TEST(DicEngine, SingleReadingCrmMakesLaterSamplesBad) {
    DicRun run =
        run_dic(dic_settings(),
                {{crm_measure, {1.5}}, {dic_intake, {0}}, {dic_measure, ramp(10)}, {0, {0}}});
    ASSERT_EQ(1u, run.rows.size());
    EXPECT_EQ(dic_bad, run.rows[0].validity);
    EXPECT_EQ("processed DIC result at 101 failed", run.log[run.log.size() - 1]);
    EXPECT_EQ("bad", dic_row(run.rows[0])[6]);
    EXPECT_EQ("0", dic_row(run.rows[0])[1]);  // what the result held after the intake
}

TEST(DicEngine, LowerNumberedInletWinsAndUnusedInletsAreIgnored) {
    DicSettings s = dic_settings();
    s.params.inlets[0] = {config::inlet_type::unused, dic_intake, dic_measure, 0};
    s.params.inlets[2] = {config::inlet_type::crm, 0, dic_measure, 1000};
    DicRun run = run_dic(s, {{dic_intake, {0}}, {dic_measure, ramp(3)}, {0, {0}}});
    ASSERT_EQ(1u, run.rows.size());
    EXPECT_EQ("entered inlet 1 sample intake state (1)", run.log[0]);
    EXPECT_EQ("entering inlet 1 sample measurement state (2)", run.log[1]);
    EXPECT_EQ(dic_bad, run.rows[0].validity);  // inlet 2's CRM never measured
}

TEST(DicEngine, StateLeftAt255ClosesAndOpensNothing) {
    // A sample inlet measured in state 255 ("none"): the first record would close it with no
    // readings, the end-of-file record would open it again.
    DicSettings s = dic_settings();
    s.params.inlets[1].measurement_state = no_state;
    s.params.inlets[1].intake_state = no_state;
    DicRun run = run_dic(s, {{0, {1}}, {crm_measure, {0, 1}}, {0, {2}}});
    EXPECT_TRUE(run.rows.empty());
    EXPECT_FALSE(mentions_255(run.log));
}

TEST(DicEngine, FileEndingInsideASampleMeasurementYieldsItsRow) {
    DicRun run =
        run_dic(dic_settings(), {{crm_measure, {0, 1}}, {dic_intake, {0}}, {dic_measure, ramp(5)}});
    ASSERT_EQ(1u, run.rows.size());
    EXPECT_EQ(dic_good, run.rows[0].validity);
    DicRun cut = run_dic(dic_settings(),
                         {{crm_measure, {0, 1}}, {dic_intake, {0}}, {dic_measure, ramp(5)}}, false);
    EXPECT_TRUE(cut.rows.empty());
}

}  // namespace
}  // namespace quelmar::processing
