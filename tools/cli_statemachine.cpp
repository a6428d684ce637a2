// quelmar-cli statemachine: the state machine listing and dry run as summary CSV, and
// conversion between the ".asm" and ".dat" state machine files.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/csv_writer.h"
#include "statemachine/dry_run.h"
#include "statemachine/state_files.h"
#include "statemachine/state_form.h"
#include "statemachine/state_summary.h"
#include "statemachine/state_text.h"
#include "tools/cli.h"

namespace quelmar::tools {

namespace {
using namespace statemachine;

const char* const usage =
    "quelmar-cli statemachine summary FILE [-o OUT.csv]\n"
    "quelmar-cli statemachine dryrun FILE --start N [--timeout-state M] [-o OUT.csv]\n"
    "quelmar-cli statemachine convert IN OUT";

int usage_error(const char* what) {
    std::fprintf(stderr, "quelmar-cli statemachine: %s\nusage:\n%s\n", what, usage);
    return exit_usage;
}

bool load(const std::string& path, StateMachine& machine) {
    switch (load_state_file(path, machine, fallback_state_defaults())) {
        case FileResult::ok:
            return true;
        case FileResult::open_failed:
            std::fprintf(stderr, "Failed to load file: cannot open %s\n", path.c_str());
            return false;
        default:
            std::fprintf(stderr, "Failed to load file: cannot read %s\n", path.c_str());
            return false;
    }
}

// A state number as typed: digits only.
bool parse_state_number(const char* text, std::uint64_t& out) {
    if (!text || !*text)
        return false;
    for (const char* p = text; *p; ++p)
        if (*p < '0' || *p > '9')
            return false;
    out = read_number_field(text);
    return true;
}

int write_table(const Listing& listing, const std::string& out) {
    if (out.empty()) {
        if (!common::write_csv_stream(stdout, state_column_titles(), listing.rows)) {
            std::fprintf(stderr, "Failed to write the summary to standard output\n");
            return exit_failure;
        }
        return exit_ok;
    }
    const SummaryResult result = write_state_summary(out, listing.rows);
    const std::string text = summary_result_text(result, out);
    if (result == SummaryResult::open_failed || result == SummaryResult::write_failed) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return exit_failure;
    }
    if (!text.empty())
        std::fprintf(stderr, "%s\n", text.c_str());
    return exit_ok;
}

int run_statemachine(int argc, char** argv) {
    if (argc < 2)
        return usage_error("missing subcommand");
    const std::string sub = argv[1];
    if (sub == "convert") {
        if (argc != 4)
            return usage_error("convert takes IN and OUT");
        StateMachine machine;
        if (!load(argv[2], machine))
            return exit_failure;
        if (save_state_file(argv[3], machine) != FileResult::ok) {
            std::fprintf(stderr, "Failed to save file %s\n", argv[3]);
            return exit_failure;
        }
        std::fprintf(stderr, "%zu states written to %s\n", machine.state_count(), argv[3]);
        return exit_ok;
    }
    if (sub != "summary" && sub != "dryrun")
        return usage_error("unknown subcommand");

    std::string file, out;
    bool have_start = false, have_timeout = false;
    std::uint64_t start = 0, timeout = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "-o") {
            if (!value)
                return usage_error("-o needs a file name");
            out = value;
            ++i;
        } else if (sub == "dryrun" && a == "--start") {
            if (!parse_state_number(value, start))
                return usage_error("--start needs a state number");
            have_start = true;
            ++i;
        } else if (sub == "dryrun" && a == "--timeout-state") {
            if (!parse_state_number(value, timeout))
                return usage_error("--timeout-state needs a state number");
            have_timeout = true;
            ++i;
        } else if (!a.empty() && a[0] == '-') {
            return usage_error(("unknown option " + a).c_str());
        } else if (file.empty()) {
            file = a;
        } else {
            return usage_error("more than one FILE");
        }
    }
    if (file.empty())
        return usage_error("missing FILE");
    if (sub == "dryrun" && !have_start)
        return usage_error("dryrun needs --start N");

    StateMachine machine;
    if (!load(file, machine))
        return exit_failure;
    if (sub == "summary")
        return write_table(build_listing(machine, ListingMode::definition), out);

    // The numbers are clamped to the last state, as the dialog reads them.
    const std::uint32_t first = clamp_state_number(start, machine);
    const std::uint32_t timeout_state =
        have_timeout ? clamp_state_number(timeout, machine) : no_timeout_state;
    const Listing listing = build_listing(machine, ListingMode::dry_run, first, timeout_state);
    const int result = write_table(listing, out);
    // Without -o standard output carries the table alone.
    std::fprintf(out.empty() ? stderr : stdout, "%s\n",
                 dry_run_end_message(machine, listing).c_str());
    return result;
}

constexpr const char* statemachine_description =
    "Works on state machine files (\".asm\": 77-byte records, \".dat\": 102-byte records).\n"
    "  summary           the state machine summary CSV, as the editor saves it\n"
    "  dryrun            the dry run from state N (--start N), with --timeout-state M as the\n"
    "                    state a time-out leads to\n"
    "  convert           rewrite IN in the format OUT's extension names\n"
    "  -o OUT.csv        write to OUT.csv instead of standard output\n";

const CliRegistrar registrar({"statemachine", usage, run_statemachine, statemachine_description});
}  // namespace

}  // namespace quelmar::tools
