#pragma once
// The processed results list: column titles and widths, and the rows as the cells are shown.
// It keeps the latest 5001 rows; older ones are dropped as new ones arrive. Rows are added by
// the data-pass worker while the window reads them, so access is under a lock.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace quelmar::processing {

constexpr std::size_t max_result_rows = 5001;

struct ResultColumn {
    std::string title;
    int width;  // in average character widths
};

// The rows added since a reader last looked (see ResultTable::rows_since).
struct RowBatch {
    std::uint64_t generation = 0;  // changes when the table is cleared or given new columns
    std::uint64_t added = 0;       // rows added since the table was made
    std::size_t kept = 0;          // rows kept now: the last `kept` of the `added`
    std::vector<std::vector<std::string>> rows;  // those after the first `seen` still kept
};

class ResultTable {
  public:
    ResultTable() = default;
    explicit ResultTable(std::vector<ResultColumn> columns) : columns_(std::move(columns)) {}

    void set_columns(std::vector<ResultColumn> columns);
    void set_title(std::size_t column, std::string title);
    std::vector<ResultColumn> columns() const;
    std::vector<std::string> titles() const;

    void add_row(std::vector<std::string> cells);
    void clear();
    std::size_t row_count() const;
    std::vector<std::string> row(std::size_t index) const;
    std::vector<std::vector<std::string>> rows() const;
    // Counts every change, so a view can tell whether to refresh.
    std::uint64_t revision() const;
    // For a reader that follows the rows as they come: the rows after the first `seen` ever
    // added, as far as they are still kept, so that each row is copied once.
    RowBatch rows_since(std::uint64_t seen) const;

  private:
    mutable std::mutex mutex_;
    std::vector<ResultColumn> columns_;
    std::deque<std::vector<std::string>> rows_;
    std::uint64_t revision_ = 0;
    std::uint64_t added_ = 0;
    std::uint64_t generation_ = 0;
};

// Saving the list as a processed CSV file (through the atomic CSV writer): the outcome and
// the message the user is shown, if any.
struct SaveOutcome {
    bool ok = false;
    std::size_t rows_written = 0;
    std::string message;  // empty when nothing is to be shown
};
SaveOutcome save_results(const ResultTable& table, const std::string& path);

}  // namespace quelmar::processing
