#include "processing/result_series.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quelmar::processing {

std::optional<double> cell_number(std::string_view cell) {
    if (cell.empty())
        return std::nullopt;
    double value = 0;
    const char* end = cell.data() + cell.size();
    const auto [ptr, ec] = std::from_chars(cell.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

namespace {

bool digits(std::string_view s, std::size_t at, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t days_from_civil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int days_in_month(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

}  // namespace

std::optional<std::uint32_t> cell_time(std::string_view cell) {
    if (cell.empty())
        return std::nullopt;
    if (cell.size() == 19 && cell[2] == '/' && cell[5] == '/' && cell[10] == ' ' &&
        cell[13] == ':' && cell[16] == ':') {
        int day, month, year, hour, minute, second;
        if (!digits(cell, 0, 2, day) || !digits(cell, 3, 2, month) || !digits(cell, 6, 4, year) ||
            !digits(cell, 11, 2, hour) || !digits(cell, 14, 2, minute) ||
            !digits(cell, 17, 2, second))
            return std::nullopt;
        if (year < 1970 || month < 1 || month > 12 || day < 1 ||
            day > days_in_month(year, month) || hour > 23 || minute > 59 || second > 59)
            return std::nullopt;
        const std::int64_t t = days_from_civil(year, month, day) * 86400 + hour * 3600 +
                               minute * 60 + second;
        if (t > UINT32_MAX)
            return std::nullopt;
        return static_cast<std::uint32_t>(t);
    }
    std::uint32_t value = 0;
    const char* end = cell.data() + cell.size();
    const auto [ptr, ec] = std::from_chars(cell.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::size_t main_result_column(Chemistry chemistry) {
    switch (chemistry) {
        case Chemistry::nutrient:
            return 2;  // after the platform and sensor times
        case Chemistry::ph:
        case Chemistry::ta:
            return 1;
        case Chemistry::dic:
            return 2;  // after the measurement state
    }
    return 1;
}

std::size_t nutrient_output_column(std::uint8_t output_channel) {
    switch (output_channel) {
        case 2:
            return 3;
        case 0:
            return 4;
        default:
            return 2;
    }
}

bool plottable_title(const std::string& title) {
    return title.rfind("Time (", 0) != 0;
}

void ResultSeries::choose_column(std::size_t column) {
    if (column == column_)
        return;
    column_ = column;
    restart_ = true;
}

ResultSeries::Change ResultSeries::update(const ResultTable& table) {
    Change change;
    RowBatch batch = table.rows_since(restart_ ? 0 : seen_);
    if (batch.generation != generation_) {
        generation_ = batch.generation;
        numeric_.clear();
        restart_ = true;
        // Rows are counted on across a clear, so the new run's rows all came after `seen_`;
        // new columns over rows kept are read again from the first.
        if (seen_ > batch.added - batch.kept)
            batch = table.rows_since(0);
    }
    const std::uint64_t first_kept = batch.added - batch.kept;
    if (restart_) {
        restart_ = false;
        change.restarted = true;
        point_rows_.clear();
        seen_ = first_kept;
    }
    while (!point_rows_.empty() && point_rows_.front() < first_kept) {
        point_rows_.pop_front();
        ++change.dropped;
    }
    std::uint64_t row = std::max(seen_, first_kept);
    for (const auto& cells : batch.rows) {
        if (numeric_.size() < cells.size())
            numeric_.resize(cells.size(), false);
        for (std::size_t c = 0; c < cells.size(); ++c)
            if (!numeric_[c] && cell_number(cells[c]))
                numeric_[c] = true;
        if (column_ < cells.size() && platform_time_column < cells.size()) {
            const auto x = cell_time(cells[platform_time_column]);
            const auto y = cell_number(cells[column_]);
            if (x && y) {
                change.added.push_back({*x, *y});
                point_rows_.push_back(row);
            }
        }
        ++row;
    }
    seen_ = batch.added;
    return change;
}

}  // namespace quelmar::processing
