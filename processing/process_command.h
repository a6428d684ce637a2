#pragma once
// Processing raw output files without a window (quelmar-cli process): the same header scans,
// checks, engines and result rows as the processing dialogs, with the dialogs' messages.

#include <optional>
#include <string>
#include <vector>

#include "processing/data_pass.h"
#include "processing/netcdf_output.h"
#include "processing/processing_log.h"
#include "processing/result_table.h"

namespace quelmar::processing {

enum class Chemistry { nutrient, ph, ta, dic };
std::optional<Chemistry> chemistry_from_name(const std::string& name);

// Exit statuses of a processing run.
constexpr int process_ok = 0;
constexpr int process_usage = 2;
constexpr int process_refused = 3;     // no header, wrong chemistry, unusable parameters
constexpr int process_read_error = 4;  // rows produced before the error are kept

struct ProcessRequest {
    std::optional<Chemistry> chemistry;  // default: the header's
    bool multi = false;
    std::vector<std::string> files;
    // Header keys with their values ("CHEMISTRY.SAMPLE_INTERVAL=100"), applied after the
    // header as if written after it; with them a file without a header is processed from
    // the scan defaults.
    std::vector<std::string> settings;
    // Whether to record how the rows were made (for a NetCDF save): the header's key lines,
    // gathered while the header scan reads.
    bool with_provenance = false;
};

struct ProcessOutcome {
    int status = process_ok;
    std::vector<std::string> messages;  // what the dialog would have shown
    bool has_rows = false;              // whether the table is to be written
    ResultTable table;
    ProcessingLog log;
    // The chemistry, files and parameters the rows were made with, when asked for (the
    // command is the caller's to fill in).
    ResultProvenance provenance;
};

// The control's progress reports the whole run: the bytes read so far of all the bytes the
// run reads (the pH header scan reads its file whole, then the data pass reads it again;
// files that cannot be opened count for nothing). A run that reads every file to its end
// ends with the total reported.
void run_process_request(const ProcessRequest& request, ProcessOutcome& outcome,
                         const PassControl& control = {});

// The multi-file nutrient batch as the dialog and the command run it, with progress over
// the whole batch as above. `provenance` gets the files whose data was processed (not those
// that could not be opened or were refused) with the header key lines their scans took,
// gathered as the batch read them.
MultiFileOutcome run_multi_batch(const std::vector<std::string>& paths, ResultTable& table,
                                 ProcessingLog& log, const PassControl& control,
                                 ResultProvenance& provenance);

}  // namespace quelmar::processing
