#pragma once
// One writer for every table the program saves (state machine summary, processed output,
// processing results): a line of column titles, then one line per row, cells joined by ","
// without quoting, each line ended by "\n".
//
// The table is written to a temporary file beside the target and moved over it only after
// every write and the close succeeded, so a failed save reports failure and leaves the file
// that was there before untouched.

#include <cstdio>
#include <string>
#include <vector>

namespace quelmar::common {

class CsvWriter {
public:
    CsvWriter() = default;
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;
    ~CsvWriter();  // abandons an uncommitted file

    // Starts writing to a temporary file next to `path`. False (with error()) if it cannot.
    bool open(const std::string& path);
    bool write_row(const std::vector<std::string>& cells);
    bool write_line(const std::string& line);  // one already-joined line, "\n" added
    // Flushes, closes and moves the file into place. False if any step, or any earlier
    // write, failed; the target is then unchanged.
    bool commit();
    void abandon();

    const std::string& error() const { return error_; }

private:
    void fail(const std::string& what);
    std::FILE* file_ = nullptr;
    std::string path_;
    std::string temp_path_;
    std::string error_;
    bool failed_ = false;
};

// Writes titles and rows in one go through CsvWriter. False with `error` set on failure.
bool write_csv_file(const std::string& path, const std::vector<std::string>& titles,
                    const std::vector<std::vector<std::string>>& rows, std::string& error);

// Writes titles and rows as CSV text to an open stream (used for standard output).
bool write_csv_stream(std::FILE* out, const std::vector<std::string>& titles,
                      const std::vector<std::vector<std::string>>& rows);

std::string join_csv_cells(const std::vector<std::string>& cells);

}  // namespace quelmar::common
