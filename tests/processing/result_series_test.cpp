// Turning the results list into points against time: which cells count as numbers and times,
// and how a series follows a table that grows, drops its oldest rows and is cleared.

#include "processing/result_series.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "processing/dic_engine.h"
#include "processing/nutrient_engine.h"
#include "processing/ph_engine.h"
#include "processing/ta_engine.h"

namespace quelmar::processing {
namespace {

TEST(ResultCells, NumbersAreWholeFiniteDecimals) {
    EXPECT_EQ(cell_number("5.372"), 5.372);
    EXPECT_EQ(cell_number("-0.000120"), -0.00012);
    EXPECT_EQ(cell_number("2"), 2.0);
    for (const char* not_a_number : {"", " 1", "1 ", "1.5x", "nan", "inf", "-inf", "good",
                                     "QM-0001", "01/01/2026 00:00:00", "1e999"})
        EXPECT_FALSE(cell_number(not_a_number)) << not_a_number;
}

TEST(ResultCells, TimesReadBackWhatTheRowsShow) {
    // Whatever the engines write as a time reads back as the same second.
    for (std::uint32_t t : {0u, 1767225600u, 1835395199u /* 28/02/2028 23:59:59 */,
                            1835395200u /* 29/02/2028 */, 1861919999u, 2147483647u,
                            2147483648u, 4294967295u})
        EXPECT_EQ(cell_time(common::sensor_time_text(t)), t) << common::sensor_time_text(t);
    EXPECT_EQ(cell_time("01/01/2026 00:00:00"), 1767225600u);
    for (const char* bad : {"", "29/02/2026 00:00:00", "31/04/2026 00:00:00",
                            "01/13/2026 00:00:00", "00/01/2026 00:00:00", "01/01/2026 24:00:00",
                            "01/01/2026 00:60:00", "01/01/1969 23:59:59", "01/01/2026T00:00:00",
                            "1/1/2026 0:00:00 ", "4294967296", "-1", "12.5", "0x10"})
        EXPECT_FALSE(cell_time(bad)) << bad;
    // The last second a date can show after 2106 does not fit 32 bits.
    EXPECT_FALSE(cell_time("07/02/2106 06:28:16"));
    EXPECT_EQ(cell_time("07/02/2106 06:28:15"), 4294967295u);
}

TEST(ResultCells, MainResultIsEachChemistrysConcentration) {
    EXPECT_EQ(nutrient_columns(protocol::chemistry::nitrate)[main_result_column(Chemistry::nutrient)]
                  .title,
              "Nitrate (Medium.uM)");
    EXPECT_EQ(multi_nutrient_columns()[main_result_column(Chemistry::nutrient)].title,
              "Nutrient (Medium:uM)");
    EXPECT_EQ(ph_columns()[main_result_column(Chemistry::ph)].title, "pH");
    EXPECT_EQ(ta_columns()[main_result_column(Chemistry::ta)].title, "TA (uM)");
    EXPECT_EQ(dic_columns()[main_result_column(Chemistry::dic)].title, "DIC (umol/kg)");
    EXPECT_EQ(nutrient_columns(protocol::chemistry::nitrate)[platform_time_column].title,
              "Time (platform)");
    const auto nitrate = nutrient_columns(protocol::chemistry::nitrate);
    EXPECT_EQ(nitrate[nutrient_output_column(1)].title, "Nitrate (Medium.uM)");
    EXPECT_EQ(nitrate[nutrient_output_column(2)].title, "Nitrate (Short.uM)");
    EXPECT_EQ(nitrate[nutrient_output_column(0)].title, "Nitrate (Long.uM)");
    EXPECT_EQ(nitrate[nutrient_output_column(254)].title, "Nitrate (Medium.uM)");
    EXPECT_FALSE(plottable_title("Time (sensor)"));
    EXPECT_TRUE(plottable_title("T (degC)"));
}

std::vector<std::string> row(std::uint32_t t, const std::string& value,
                             const std::string& other = "1.0") {
    return {common::sensor_time_text(t), value, other};
}

TEST(ResultSeriesFollowing, RowsTheTableDropsLeaveTheSeries) {
    ResultTable table({{"Time (platform)", 15}, {"v", 10}});
    ResultSeries series(1);
    // Every other row has no value: the points dropped are those of the rows dropped, not one
    // point per row.
    for (std::uint32_t i = 0; i < max_result_rows; ++i)
        table.add_row(row(i, i % 2 ? "" : std::to_string(i)));
    EXPECT_EQ(series.update(table).added.size(), (max_result_rows + 1) / 2);
    for (std::uint32_t i = max_result_rows; i < max_result_rows + 4; ++i)
        table.add_row(row(i, std::to_string(i)));
    ResultSeries::Change c = series.update(table);
    EXPECT_FALSE(c.restarted);
    EXPECT_EQ(c.dropped, 2u);  // rows 0..3 went; 0 and 2 had points
    EXPECT_EQ(c.added.size(), 4u);
    EXPECT_EQ(series.size(), (max_result_rows + 1) / 2 - 2 + 4);

    // Far more rows than are kept between two updates: the whole series is replaced.
    for (std::uint32_t i = 0; i < 2 * max_result_rows; ++i)
        table.add_row(row(100000 + i, "1"));
    c = series.update(table);
    EXPECT_EQ(c.dropped, (max_result_rows + 1) / 2 - 2 + 4);
    ASSERT_EQ(c.added.size(), max_result_rows);
    EXPECT_EQ(c.added.front().x, 100000u + max_result_rows);
    EXPECT_EQ(series.size(), max_result_rows);
}

TEST(ResultSeriesFollowing, NewRunOrNewColumnStartsOver) {
    ResultTable table({{"Time (platform)", 15}, {"a", 10}, {"b", 10}});
    ResultSeries series(1);
    table.add_row(row(10, "1", "5"));
    table.add_row(row(20, "2", ""));
    series.update(table);

    series.choose_column(2);
    ResultSeries::Change c = series.update(table);
    EXPECT_TRUE(c.restarted);
    EXPECT_EQ(c.added, (std::vector<SeriesPoint>{{10, 5.0}}));
    series.choose_column(2);  // the same column again: nothing to do
    EXPECT_FALSE(series.update(table).restarted);

    // A new run: the table is cleared, maybe before the series saw the last rows of the old one.
    table.add_row(row(30, "3", "6"));
    table.clear();
    table.add_row(row(40, "4", "7"));
    c = series.update(table);
    EXPECT_TRUE(c.restarted);
    EXPECT_EQ(c.added, (std::vector<SeriesPoint>{{40, 7.0}}));
    EXPECT_EQ(series.size(), 1u);

    // New columns over the rows kept (the engine's titles for another run) read them again.
    table.set_columns({{"Time (platform)", 15}, {"x", 10}, {"y", 10}});
    c = series.update(table);
    EXPECT_TRUE(c.restarted);
    EXPECT_EQ(c.added, (std::vector<SeriesPoint>{{40, 7.0}}));
}

}  // namespace
}  // namespace quelmar::processing
