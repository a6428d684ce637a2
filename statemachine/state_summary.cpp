#include "statemachine/state_summary.h"

#include "common/csv_writer.h"
#include "common/text.h"
#include "statemachine/state_text.h"

namespace quelmar::statemachine {

SummaryResult write_state_summary(const std::string& path,
                                  const std::vector<std::vector<std::string>>& rows) {
    common::CsvWriter writer;
    if (!writer.open(path))
        return SummaryResult::open_failed;
    bool ok = writer.write_row(state_column_titles());
    for (std::size_t i = 0; ok && i < rows.size(); ++i)
        ok = writer.write_row(rows[i]);
    if (!ok || !writer.commit())
        return SummaryResult::write_failed;
    return rows.empty() ? SummaryResult::saved_empty : SummaryResult::saved;
}

std::string summary_result_text(SummaryResult result, const std::string& path) {
    switch (result) {
        case SummaryResult::saved:
            return "Summary saved to " + path;
        case SummaryResult::open_failed:
            return "Unable to open " + path + " for write";
        case SummaryResult::write_failed:
            return "Failed to write " + path;
        case SummaryResult::saved_empty:
            break;
    }
    return {};
}

}  // namespace quelmar::statemachine
