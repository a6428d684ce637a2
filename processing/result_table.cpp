#include "processing/result_table.h"

#include <algorithm>

#include "common/csv_writer.h"
#include "common/text.h"

namespace quelmar::processing {

void ResultTable::set_columns(std::vector<ResultColumn> columns) {
    std::lock_guard lock(mutex_);
    columns_ = std::move(columns);
    ++revision_;
    ++generation_;
}

void ResultTable::set_title(std::size_t column, std::string title) {
    std::lock_guard lock(mutex_);
    if (column < columns_.size())
        columns_[column].title = std::move(title);
    ++revision_;
}

std::vector<ResultColumn> ResultTable::columns() const {
    std::lock_guard lock(mutex_);
    return columns_;
}

std::vector<std::string> ResultTable::titles() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> t;
    for (const auto& c : columns_)
        t.push_back(c.title);
    return t;
}

void ResultTable::add_row(std::vector<std::string> cells) {
    for (auto& cell : cells)
        if (cell.size() > common::max_text_length)
            cell.resize(common::max_text_length);
    std::lock_guard lock(mutex_);
    if (rows_.size() >= max_result_rows)
        rows_.pop_front();
    rows_.push_back(std::move(cells));
    ++revision_;
    ++added_;
}

void ResultTable::clear() {
    std::lock_guard lock(mutex_);
    rows_.clear();
    ++revision_;
    ++generation_;
}

std::size_t ResultTable::row_count() const {
    std::lock_guard lock(mutex_);
    return rows_.size();
}

std::vector<std::string> ResultTable::row(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return index < rows_.size() ? rows_[index] : std::vector<std::string>{};
}

std::vector<std::vector<std::string>> ResultTable::rows() const {
    std::lock_guard lock(mutex_);
    return {rows_.begin(), rows_.end()};
}

std::uint64_t ResultTable::revision() const {
    std::lock_guard lock(mutex_);
    return revision_;
}

RowBatch ResultTable::rows_since(std::uint64_t seen) const {
    std::lock_guard lock(mutex_);
    RowBatch batch;
    batch.generation = generation_;
    batch.added = added_;
    batch.kept = rows_.size();
    const std::uint64_t first_kept = added_ - rows_.size();
    const std::uint64_t from = std::max(seen, first_kept);
    if (from < added_)
        batch.rows.assign(rows_.begin() + static_cast<std::ptrdiff_t>(from - first_kept),
                          rows_.end());
    return batch;
}

SaveOutcome save_results(const ResultTable& table, const std::string& path) {
    SaveOutcome out;
    const auto titles = table.titles();
    const auto rows = table.rows();
    common::CsvWriter writer;
    if (!writer.open(path)) {
        out.message = common::format_text("Unable to open %s for write", path.c_str());
        return out;
    }
    bool ok = writer.write_row(titles);
    for (std::size_t i = 0; ok && i < rows.size(); ++i)
        ok = writer.write_row(rows[i]);
    ok = ok && writer.commit();
    if (!ok) {
        // The previous file, if any, is left as it was.
        out.message =
            common::format_text("Failed to save %s: %s", path.c_str(), writer.error().c_str());
        return out;
    }
    out.ok = true;
    out.rows_written = rows.size();
    if (!rows.empty())
        out.message = common::format_text("Processed Output saved to %s", path.c_str());
    return out;
}

}  // namespace quelmar::processing
