#pragma once
// The results list as points against time, for the graph beside it in the processing dialogs.
// A ResultSeries follows one column of a ResultTable while the data pass fills it: each update
// reads only the rows added since the last one, turns their cells into numbers once, and says
// which points came and which went, so the graph is fed in batches and never rebuilt from the
// strings on a redraw. Rows whose time or value cell is empty or not a number give no point.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "processing/process_command.h"
#include "processing/result_table.h"

namespace quelmar::processing {

// Every results list starts with the platform time of its row.
constexpr std::size_t platform_time_column = 0;

// A cell as a finite number, written as the engines write them ("-1.234", "12"); nullopt for
// anything else (empty, text, a date, "nan").
std::optional<double> cell_number(std::string_view cell);
// A time cell ("dd/mm/yyyy hh:mm:ss" UTC, or the plain count of seconds for times a date
// cannot show) as seconds since 1970; nullopt when it is neither.
std::optional<std::uint32_t> cell_time(std::string_view cell);

// The column holding a chemistry's main result: the concentration (Medium path) for nutrients,
// pH, TA, DIC.
std::size_t main_result_column(Chemistry chemistry);
// The nutrient column of the path a sensor reports (output channel 1 Medium, 2 Short, 0 Long);
// Medium for Adaptive or a value not known.
std::size_t nutrient_output_column(std::uint8_t output_channel);
// Whether a column may be plotted against time: not one of the time columns.
bool plottable_title(const std::string& title);

struct SeriesPoint {
    std::uint32_t x = 0;  // platform time, seconds since 1970 UTC
    double y = 0;
    friend bool operator==(const SeriesPoint&, const SeriesPoint&) = default;
};

class ResultSeries {
  public:
    explicit ResultSeries(std::size_t column = 0) : column_(column) {}

    struct Change {
        bool restarted = false;         // the points held before are all gone (new run, new column)
        std::size_t dropped = 0;        // else: how many of the oldest points went
        std::vector<SeriesPoint> added;  // the new points, oldest first
    };

    // Plots another column: the next update starts over from every row the table keeps.
    void choose_column(std::size_t column);
    std::size_t column() const { return column_; }

    // What changed in the table since the last update.
    Change update(const ResultTable& table);

    // Points held, one per row that gave one.
    std::size_t size() const { return point_rows_.size(); }
    // Whether some row seen so far has a number in `column`.
    bool has_numbers(std::size_t column) const {
        return column < numeric_.size() && numeric_[column];
    }

  private:
    std::size_t column_;
    bool restart_ = true;
    std::uint64_t generation_ = 0;
    std::uint64_t seen_ = 0;
    std::deque<std::uint64_t> point_rows_;  // the row (counted from the table's start) of each point
    std::vector<bool> numeric_;
};

}  // namespace quelmar::processing
