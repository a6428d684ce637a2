#pragma once
// The data pass: every accepted data line of a raw output file fed to a chemistry's engine,
// each ready result a row of the results list, then the end-of-file record. It runs on a
// worker thread in the dialogs, with progress and a cancel flag.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "processing/header_scan.h"
#include "processing/processing_log.h"
#include "processing/raw_file.h"
#include "processing/result_table.h"

namespace quelmar::processing {

enum class PassStatus { completed, read_error, cancelled };
enum class LineParser { fast, scanf_reference };

struct PassControl {
    const std::atomic<bool>* cancel = nullptr;
    // Bytes read so far and the total (0 when unknown); called every few thousand lines.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    LineParser parser = LineParser::fast;
    // Threads that read the data lines of a batch: 0 chooses (two for a file of a few
    // megabytes or more on a machine with two cores or more, else one); the scanf reference
    // always reads on one. The engine always sees the lines in file order on the calling
    // thread.
    unsigned parse_threads = 0;
};

// A source read with the pass's progress and cancel flag, for the header scans that read a
// whole file (pH, or any file without an end marker): once cancelled, reads fail.
class WatchedSource : public RawSource {
  public:
    WatchedSource(RawSource& inner, const PassControl& control)
        : inner_(inner), control_(control) {}
    std::ptrdiff_t read(char* buffer, std::size_t size) override;
    bool rewind() override;
    std::uint64_t size() const override { return inner_.size(); }
    bool cancelled() const { return cancelled_; }

  private:
    RawSource& inner_;
    const PassControl& control_;
    std::uint64_t done_ = 0;
    std::uint64_t next_progress_ = 0;
    bool cancelled_ = false;
};

struct PassStats {
    PassStatus status = PassStatus::completed;
    std::uint64_t lines = 0;
    std::uint64_t records = 0;  // data lines accepted
    std::uint64_t bytes = 0;
    std::uint64_t results = 0;
};

// Each rewinds the source first; the table keeps its rows (the caller empties it) and gets
// the chemistry's columns when it has none.
PassStats run_nutrient_pass(RawSource& source, const NutrientSettings& s, ResultTable& table,
                            ProcessingLog& log, const PassControl& control = {});
PassStats run_ph_pass(RawSource& source, const PhSettings& s, ResultTable& table,
                      ProcessingLog& log, const PassControl& control = {});
PassStats run_ta_pass(RawSource& source, const TaSettings& s, ResultTable& table,
                      ProcessingLog& log, const PassControl& control = {});
PassStats run_dic_pass(RawSource& source, const DicSettings& s, ResultTable& table,
                       ProcessingLog& log, const PassControl& control = {});

// The multi-file batch: each file with the parameters of its own header, every row tagged
// with the sensor name; rows of all files in one table.
struct MultiFileOutcome {
    std::size_t completed = 0;               // files whose data pass ended normally
    std::vector<std::string> read_errors;    // files whose data pass hit a read error
    std::vector<std::string> unopened;       // files that could not be opened
    std::vector<std::string> not_processed;  // no header, another chemistry, refused channels
    bool cancelled = false;
};
MultiFileOutcome run_multi_nutrient(const std::vector<std::string>& paths, ResultTable& table,
                                    ProcessingLog& log, const PassControl& control = {});
// The same with the files' bytes from `open` (null: the file cannot be opened).
using SourceOpener = std::function<std::unique_ptr<RawSource>(const std::string& path)>;
MultiFileOutcome run_multi_nutrient(const std::vector<std::string>& paths, ResultTable& table,
                                    ProcessingLog& log, const PassControl& control,
                                    const SourceOpener& open);

}  // namespace quelmar::processing
