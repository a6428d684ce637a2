// quelmar-cli process: a raw output file (or several nutrient files) to the processed results
// the processing dialogs save: CSV on standard output or into a file, or NetCDF into a file.
// On a terminal, a large input shows a progress bar on standard error.

#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/csv_writer.h"
#include "common/progress_bar.h"
#include "processing/netcdf_output.h"
#include "processing/process_command.h"
#include "processing/result_table.h"
#include "tools/cli.h"

namespace quelmar::tools {

namespace {

constexpr const char* usage =
    "quelmar-cli process [--chemistry nutrient|ph|ta|dic] [-o OUT.csv|OUT.nc] "
    "[--format csv|netcdf] [--log LOG] [--set KEY=VALUE ...] FILE\n"
    "quelmar-cli process --multi [-o OUT.csv|OUT.nc] [--format csv|netcdf] [--log LOG] FILE...";

// Smaller inputs are done before a bar would be worth reading.
constexpr std::uint64_t progress_bar_min_bytes = 8u << 20;

std::uint64_t input_bytes(const std::vector<std::string>& files) {
    std::uint64_t total = 0;
    for (const auto& f : files) {
        struct stat st {};
        if (::stat(f.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            total += static_cast<std::uint64_t>(st.st_size);
    }
    return total;
}

std::size_t terminal_width() {
    winsize ws{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 1)
        return ws.ws_col - 1;  // the last column would wrap on some terminals
    return 79;
}

std::string command_line(int argc, char** argv) {
    std::string line = "quelmar-cli";
    for (int i = 0; i < argc; ++i)
        line += std::string(" ") + argv[i];
    return line;
}

int usage_error(const char* what, const char* arg) {
    std::fprintf(stderr, "quelmar-cli process: %s%s%s\nusage:\n%s\n", what, arg ? " " : "",
                 arg ? arg : "", usage);
    return exit_usage;
}


int run_process(int argc, char** argv) {
    processing::ProcessRequest request;
    std::string output, log_path;
    std::optional<processing::ResultFormat> format;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (std::strcmp(a, "--multi") == 0) {
            request.multi = true;
        } else if (std::strcmp(a, "--chemistry") == 0) {
            const char* v = value();
            if (!v)
                return usage_error("--chemistry needs a value", nullptr);
            request.chemistry = processing::chemistry_from_name(v);
            if (!request.chemistry)
                return usage_error("unknown chemistry", v);
        } else if (std::strcmp(a, "-o") == 0) {
            const char* v = value();
            if (!v)
                return usage_error("-o needs a file name", nullptr);
            output = v;
        } else if (std::strcmp(a, "--format") == 0) {
            const char* v = value();
            if (!v)
                return usage_error("--format needs csv or netcdf", nullptr);
            format = processing::result_format_from_name(v);
            if (!format)
                return usage_error("unknown format", v);
        } else if (std::strcmp(a, "--log") == 0) {
            const char* v = value();
            if (!v)
                return usage_error("--log needs a file name", nullptr);
            log_path = v;
        } else if (std::strcmp(a, "--set") == 0) {
            const char* v = value();
            if (!v || !std::strchr(v, '='))
                return usage_error("--set needs KEY=VALUE", nullptr);
            request.settings.push_back(v);
        } else if (a[0] == '-' && a[1] != '\0') {
            return usage_error("unknown option", a);
        } else {
            request.files.push_back(a);
        }
    }
    if (request.files.empty())
        return usage_error("no raw output file given", nullptr);
    if (!format)
        format = output.empty() ? processing::ResultFormat::csv
                                : processing::result_format_of_path(output);
    if (*format == processing::ResultFormat::netcdf && output.empty())
        return usage_error("NetCDF is not written to standard output: give -o FILE.nc", nullptr);

    // Only a NetCDF file records how the results were made.
    request.with_provenance = *format == processing::ResultFormat::netcdf;

    // The bar only where someone watches and the wait is long. Its total is the run's, as
    // the first report gives it: the bytes of the files that open, and the pH scan's read.
    std::optional<common::ProgressBar> bar;
    processing::PassControl control;
    if (isatty(STDERR_FILENO) && input_bytes(request.files) > progress_bar_min_bytes) {
        control.progress = [&](std::uint64_t done, std::uint64_t run_total) {
            if (!bar)
                bar.emplace(run_total, terminal_width(), [](const std::string& text) {
                    std::fputs(text.c_str(), stderr);
                    std::fflush(stderr);
                });
            bar->update(done);
        };
    }

    processing::ProcessOutcome outcome;
    // The whole log goes to disk line by line as the pass writes it; what the outcome keeps
    // in memory is bounded, so a garbage file of any size is processed in bounded memory.
    common::CsvWriter log_writer;
    bool log_ok = true;
    if (!log_path.empty()) {
        log_ok = log_writer.open(log_path);
        if (log_ok)
            outcome.log.set_sink([&](const std::string& line) {
                log_ok = log_writer.write_line(line) && log_ok;
            });
    }
    try {
        processing::run_process_request(request, outcome, control);
        if (bar)
            bar->finish();
    } catch (const std::exception& e) {
        if (bar)
            bar->finish();
        std::fprintf(stderr, "quelmar-cli process: processing stopped: %s\n", e.what());
        return exit_failure;
    }
    outcome.log.set_sink(nullptr);
    for (const auto& m : outcome.messages)
        std::fprintf(stderr, "%s\n", m.c_str());
    if (outcome.status == processing::process_usage) {
        std::fprintf(stderr, "usage:\n%s\n", usage);
        return outcome.status;
    }
    int status = outcome.status;
    if (!log_path.empty() && !(log_ok && log_writer.commit())) {
        std::fprintf(stderr, "Failed to write the processing log: %s\n",
                     log_writer.error().c_str());
        status = exit_failure;
    }
    if (!outcome.has_rows)
        return status;
    if (output.empty()) {
        if (!common::write_csv_stream(stdout, outcome.table.titles(), outcome.table.rows())) {
            std::fprintf(stderr, "Failed to write the processed results to standard output\n");
            return exit_failure;
        }
    } else {
        outcome.provenance.command = command_line(argc, argv);
        const auto saved =
            processing::save_results_as(*format, outcome.table, output, outcome.provenance);
        if (!saved.ok) {
            std::fprintf(stderr, "%s\n", saved.message.c_str());
            return exit_failure;
        }
    }
    return status;
}

constexpr const char* process_description =
    "Turns raw output files into the processed results the processing dialogs save: CSV, or\n"
    "NetCDF-CF when OUT ends in .nc or with --format netcdf (into a file only). On a terminal,\n"
    "inputs over 8 MB show a progress bar on standard error.\n"
    "  --chemistry NAME  process as nutrient, ph, ta or dic (default: the file header's)\n"
    "  -o OUT            write the results to OUT instead of standard output\n"
    "  --format FORMAT   csv or netcdf (default: from OUT's extension, else csv)\n"
    "  --log LOG         write the processing log (the dialog's log lines) to LOG\n"
    "  --set KEY=VALUE   a header key (CHEMISTRY.SAMPLE_INTERVAL=100), applied after the header\n"
    "  --multi           several nutrient files into one table\n"
    "Exit status: 0 done, 1 the results or the log could not be written, or processing stopped,\n"
    "2 usage error, 3 no header or another chemistry, 4 read error (the rows before it are\n"
    "still written).\n";

const CliRegistrar registrar({"process", usage, run_process, process_description});

}  // namespace

}  // namespace quelmar::tools
