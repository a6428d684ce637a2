#pragma once
// The texts the processing dialogs show, shared with the command line.

#include "processing/process_command.h"
#include "protocol/chemistry.h"

namespace quelmar::processing {

struct ProcessingTexts {
    const char* caption;          // the dialog's title and message caption
    const char* no_parameters;    // no header start in the file
    const char* wrong_chemistry;  // a chemistry code this reader does not take
    const char* read_error_caption;
};

const ProcessingTexts& processing_texts(Chemistry chemistry);
inline constexpr const char* io_error_text = "I/O error reading input file";

// Whether the reader of `reader` takes a file of chemistry `code`.
bool chemistry_accepted(Chemistry reader, protocol::ChemistryType code);

}  // namespace quelmar::processing
