#pragma once
// The state machine summary: the listing or dry-run table as CSV (column titles, then one
// line per row).

#include <string>
#include <vector>

namespace quelmar::statemachine {

enum class SummaryResult { saved, saved_empty, open_failed, write_failed };

SummaryResult write_state_summary(const std::string& path,
                                  const std::vector<std::vector<std::string>>& rows);

// The message for the user after a save; empty when none is shown (an empty table saved).
std::string summary_result_text(SummaryResult result, const std::string& path);

}  // namespace quelmar::statemachine
