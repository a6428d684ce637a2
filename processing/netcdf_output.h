#pragma once
// The processed results as a NetCDF file that follows the CF conventions (CF-1.8, NetCDF-4
// classic model), for data centres and analysis tools that read NetCDF rather than CSV.
//
// The file holds the rows of the processed CSV (but for a row whose time cannot be read, since
// a coordinate has no missing values): one `time` coordinate from the time column (seconds
// since 1970-01-01 UTC), and one variable per other result column, named
// after what it holds, with the CSV column title as its long_name, its units and, where the
// CF standard name table has one, its standard_name. Every value is read from the cell text
// the CSV would hold, so the two agree to the printed digits; cells that hold no number
// (empty, or "nan" from a computation on missing averages) are the variable's _FillValue.
//
// Like the CSV, the file is written beside the target under a temporary name and renamed
// over it only when complete: a failed save leaves what was there before.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "processing/raw_file.h"
#include "processing/result_table.h"

namespace quelmar::processing {

// How a set of results was made, recorded in the file's global attributes so that the
// results can be made again.
struct ResultProvenance {
    std::string chemistry;                // "Nitrate", "pH", "TA", "DIC", ...
    std::vector<std::string> raw_files;   // the raw output files read
    std::vector<std::string> parameters;  // "KEY=VALUE", in the order applied
    // The processing dialog's parameter fields as processed ("Label=text"), when a dialog
    // made the results: a field edited by hand overrides the header's key.
    std::vector<std::string> fields;
    std::string command;                  // what produced them: a command line or a dialog
};

enum class ResultFormat { csv, netcdf };

// "csv" or "netcdf" (as given to --format).
std::optional<ResultFormat> result_format_from_name(const std::string& name);
// NetCDF for a name ending in ".nc" (any case), else CSV.
ResultFormat result_format_of_path(const std::string& path);

// The header key lines of a raw output file as "KEY=VALUE" (without "%QUELMAR."), in file
// order, as the lines go by: the lines the header scan takes, ending where it ends (at the
// header's end marker; `to_end` reads on to the end of the file, for a reader whose scan takes
// keys wherever they are, pH). At most a few thousand lines of at most 255 characters are kept
// in order; past that, the last value of each key, after a line saying how many lines came
// later. Nothing without a start marker.
class HeaderKeyCollector {
  public:
    explicit HeaderKeyCollector(bool to_end) : to_end_(to_end) {}
    // One line, without its line feed. False once no later line can add a key.
    bool line(std::string_view line);
    bool finished() const { return finished_; }
    std::vector<std::string> keys() const;
    void reset();

  private:
    bool to_end_;
    bool header_ = false;
    bool finished_ = false;
    std::vector<std::string> keys_;
    std::map<std::string, std::string> later_;  // name → its last key line past the limit
    std::size_t later_lines_ = 0;
};

// A source that hands every line read through it to a collector: the key lines of a header
// scan gathered while the scan reads, instead of in a read of their own. A rewind starts
// the collection again.
class HeaderKeyTap : public RawSource {
  public:
    HeaderKeyTap(RawSource& inner, bool to_end) : inner_(inner), collector_(to_end) {}
    std::ptrdiff_t read(char* buffer, std::size_t size) override;
    bool rewind() override;
    std::uint64_t size() const override { return inner_.size(); }
    // The keys of what was read (a last line without a line feed included).
    std::vector<std::string> keys();

  private:
    void take(std::string_view bytes);
    RawSource& inner_;
    HeaderKeyCollector collector_;
    std::string partial_;  // the start of the line being read, kept short
    bool partial_too_long_ = false;
    bool skipping_ = false;  // the rest of a line that holds no key
};

// The collector over the source's lines; rewinds the source before and after.
std::vector<std::string> header_key_lines(RawSource& source, bool to_end);

// The multi-file nutrient batch: each processed file (path, the header key lines its scan
// took) with its key lines under a "[file name]" line.
ResultProvenance multi_nutrient_provenance(
    const std::vector<std::pair<std::string, std::vector<std::string>>>& files);

// Writes the table as NetCDF. The message is shown to the user as for the CSV save.
SaveOutcome save_netcdf(const ResultTable& table, const std::string& path,
                        const ResultProvenance& provenance);

// The CSV or the NetCDF save.
SaveOutcome save_results_as(ResultFormat format, const ResultTable& table,
                            const std::string& path, const ResultProvenance& provenance);

// What a result column becomes in the NetCDF file (exposed for the tests).
enum class CellKind { time, number, integer, flag, text };
struct ColumnVariable {
    std::string name;
    CellKind kind = CellKind::number;
    std::string units;          // empty: none
    std::string standard_name;  // empty: none in the CF table
};
ColumnVariable column_variable(const std::string& title);

// The seconds since 1970-01-01 of a time cell ("DD/MM/YYYY HH:MM:SS", or the plain number
// written for a time the date form cannot show); nullopt when the text is neither.
std::optional<double> time_cell_seconds(const std::string& text);

}  // namespace quelmar::processing
