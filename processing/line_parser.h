#pragma once
// Reading the comma-separated data lines of a raw output file.
//
// The sensor's files have always been read with the scan forms
//   "%u,%u,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%u,%u,%u"                   (15 fields)
//   "%u,%u,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf,%u,%u,%u,%lf,%lf,%lf,%lf,%u" (20 fields)
// parse_data_line accepts and rejects exactly what those forms accept and reject and gives
// bit-identical values, many times faster; parse_data_line_scanf is the plain scan kept as
// the reference it is checked against.

#include <string_view>

#include "processing/raw_record.h"

namespace quelmar::processing {

enum class DataForm { fields15 = 15, fields20 = 20 };

// Converts the fields of `line` (a line without its line end) into `record` and returns how
// many were converted, 0..15 or 0..20; fields after the first failure are left untouched.
// An empty line gives 0. Numbers are read with "." as the decimal point whatever the locale.
int parse_data_line(std::string_view line, DataForm form, RawRecord& record);

// The same with sscanf (under the "C" locale).
int parse_data_line_scanf(std::string_view line, DataForm form, RawRecord& record);

}  // namespace quelmar::processing
