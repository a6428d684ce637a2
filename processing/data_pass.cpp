#include "processing/data_pass.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "common/helper_thread.h"
#include "common/text.h"
#include "processing/dic_engine.h"
#include "processing/line_parser.h"
#include "processing/nutrient_engine.h"
#include "processing/ph_engine.h"
#include "processing/ta_engine.h"

namespace quelmar::processing {

namespace {

// Lines read in one batch; part of each batch is read on a helper thread when the file is big.
constexpr std::size_t batch_lines = 16384;
// Below this a second thread costs more than it saves.
constexpr std::uint64_t helper_min_bytes = 4u << 20;

unsigned parse_threads(const PassControl& control, std::uint64_t size) {
    if (control.parser == LineParser::scanf_reference)
        return 1;
    if (control.parse_threads != 0)
        return control.parse_threads > 1 ? 2 : 1;
    return std::thread::hardware_concurrency() > 1 && size >= helper_min_bytes ? 2 : 1;
}

template <class Engine, class Accept, class OnReady>
PassStats data_pass(RawSource& source, Engine& engine, DataForm form, Accept accept,
                    OnReady on_ready, const PassControl& control) {
    PassStats stats;
    if (!source.rewind()) {
        stats.status = PassStatus::read_error;
        return stats;
    }
    const auto parse =
        control.parser == LineParser::fast ? &parse_data_line : &parse_data_line_scanf;
    const std::uint64_t total = source.size();
    LineReader reader(source);
    std::vector<std::string_view> lines;
    // Two batches of records: one being fed to the engine while the next is read. They grow
    // to the lines a batch holds, so that a small file (or a fuzzed input) does not pay for
    // a full batch it never fills.
    struct Parsed {
        std::vector<RawRecord> records;
        std::vector<int> fields;  // -1: no data line
        std::size_t count = 0;
    };
    Parsed parsed[2];
    // Made after the lines and records so that it ends before them.
    std::unique_ptr<common::HelperThread> helper;
    if (parse_threads(control, total) > 1)
        helper = std::make_unique<common::HelperThread>();
    auto read_lines = [&](Parsed& into, std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i) {
            if (!is_data_line(lines[i])) {
                into.fields[i] = -1;
                continue;
            }
            into.records[i] = RawRecord{};
            into.fields[i] = parse(lines[i], form, into.records[i]);
        }
    };
    auto feed = [&](const Parsed& from) {
        for (std::size_t i = 0; i < from.count; ++i) {
            if (from.fields[i] < 0 || !accept(from.fields[i]))
                continue;
            ++stats.records;
            if (engine.feed(from.records[i])) {
                on_ready();
                ++stats.results;
            }
        }
    };
    // With the helper, batch k + 1 is read while batch k is fed: the helper reads the tail
    // of the new batch while this thread feeds the previous one and then reads the head. The
    // helper's share follows whichever of the two had to wait, so that both end together
    // whether the engine is quick (pH) or has much to write (nutrients).
    unsigned helper_share = 16;  // of 32
    int current = 0;
    bool pending = false;  // parsed[current ^ 1] waits to be fed
    std::uint64_t next_progress = 0;
    for (;;) {
        if (control.cancel && control.cancel->load(std::memory_order_relaxed)) {
            stats.status = PassStatus::cancelled;
            stats.bytes = reader.bytes_read();
            return stats;
        }
        const bool got = reader.next_batch(lines, batch_lines);
        Parsed& batch = parsed[current];
        batch.count = got ? lines.size() : 0;
        const std::size_t n = batch.count;
        if (batch.records.size() < n) {
            batch.records.resize(n);
            batch.fields.resize(n);
        }
        const bool shared = helper && n >= 64;
        const std::size_t split = shared ? n - n * helper_share / 32 : n;
        if (shared)
            helper->start([&, split, n] { read_lines(batch, split, n); });
        if (pending)
            feed(parsed[current ^ 1]);
        read_lines(batch, 0, split);
        if (shared) {
            if (helper->idle())
                helper_share = std::min(helper_share + 1, 30u);
            else
                helper_share = std::max(helper_share - 1, 8u);
            helper->wait();
        }
        if (!got)
            break;
        stats.lines += n;
        pending = true;
        current ^= 1;
        if (control.progress && stats.lines >= next_progress) {
            control.progress(reader.bytes_read(), total);
            next_progress = stats.lines + 65536;
        }
    }
    stats.bytes = reader.bytes_read();
    if (reader.failed()) {
        stats.status = PassStatus::read_error;
        return stats;
    }
    if (engine.feed(end_of_file_record())) {
        on_ready();
        ++stats.results;
    }
    if (control.progress)
        control.progress(stats.bytes, total);
    return stats;
}

// Progress about every 4 MB.
constexpr std::uint64_t progress_step = 4u << 20;

LogSink sink(ProcessingLog& log) {
    return [&log](std::string line) { log.add(std::move(line)); };
}

bool nutrient_fields(int n) {
    return n == 15 || n == 20;
}

}  // namespace

std::ptrdiff_t WatchedSource::read(char* buffer, std::size_t size) {
    if (control_.cancel && control_.cancel->load(std::memory_order_relaxed))
        cancelled_ = true;
    if (cancelled_)
        return -1;
    const std::ptrdiff_t n = inner_.read(buffer, size);
    if (n > 0) {
        done_ += static_cast<std::uint64_t>(n);
        if (control_.progress && done_ >= next_progress_) {
            control_.progress(done_, inner_.size());
            next_progress_ = done_ + progress_step;
        }
    }
    return n;
}

bool WatchedSource::rewind() {
    done_ = 0;
    next_progress_ = 0;
    return !cancelled_ && inner_.rewind();
}

PassStats run_nutrient_pass(RawSource& source, const NutrientSettings& s, ResultTable& table,
                            ProcessingLog& log, const PassControl& control) {
    if (table.columns().empty())
        table.set_columns(nutrient_columns(s.chemistry));
    NutrientEngine engine(s, sink(log));
    return data_pass(
        source, engine, DataForm::fields20, nutrient_fields,
        [&] { table.add_row(nutrient_row(engine.result(), engine.absorbances())); }, control);
}

PassStats run_ph_pass(RawSource& source, const PhSettings& s, ResultTable& table,
                      ProcessingLog& log, const PassControl& control) {
    if (table.columns().empty())
        table.set_columns(ph_columns());
    PhEngine engine(s, sink(log));
    return data_pass(
        source, engine, DataForm::fields20, [](int n) { return n == 20; },
        [&] { table.add_row(ph_row(engine.result())); }, control);
}

PassStats run_ta_pass(RawSource& source, const TaSettings& s, ResultTable& table,
                      ProcessingLog& log, const PassControl& control) {
    if (table.columns().empty())
        table.set_columns(ta_columns());
    TaEngine engine(s, sink(log));
    return data_pass(
        source, engine, DataForm::fields15, [](int n) { return n == 15; },
        [&] { table.add_row(ta_row(engine.result())); }, control);
}

PassStats run_dic_pass(RawSource& source, const DicSettings& s, ResultTable& table,
                       ProcessingLog& log, const PassControl& control) {
    if (table.columns().empty())
        table.set_columns(dic_columns());
    DicEngine engine(s, sink(log));
    return data_pass(
        source, engine, DataForm::fields15, [](int n) { return n == 15; },
        [&] { table.add_row(dic_row(engine.result())); }, control);
}

MultiFileOutcome run_multi_nutrient(const std::vector<std::string>& paths, ResultTable& table,
                                    ProcessingLog& log, const PassControl& control) {
    return run_multi_nutrient(paths, table, log, control, [](const std::string& path) {
        auto file = std::make_unique<RawFile>();
        return file->open(path) ? std::unique_ptr<RawSource>(std::move(file)) : nullptr;
    });
}

MultiFileOutcome run_multi_nutrient(const std::vector<std::string>& paths, ResultTable& table,
                                    ProcessingLog& log, const PassControl& control,
                                    const SourceOpener& open) {
    using common::format_text;
    MultiFileOutcome out;
    if (table.columns().empty())
        table.set_columns(multi_nutrient_columns());
    const bool several = paths.size() > 1;
    for (const std::string& path : paths) {
        if (control.cancel && control.cancel->load()) {
            out.cancelled = true;
            break;
        }
        const std::unique_ptr<RawSource> source = open(path);
        if (!source) {
            log.add(format_text("Can't open file %s\n", path.c_str()));
            out.unopened.push_back(path);
            if (!several)
                break;
            continue;
        }
        log.add(format_text(several ? "Reading file %s\n" : "Processing file %s\n", path.c_str()));
        NutrientSettings settings;
        RawSource& file = *source;
        const HeaderScan scan = scan_nutrient_header(file, settings, NutrientReader::multi_file);
        // A single file that cannot be processed is reported as one of several would be,
        // rather than passed over in silence.
        if (scan.read_error) {
            out.read_errors.push_back(path);
            continue;
        }
        if (!scan.header_found) {
            log.add("Failed to read sensor parameters from file header");
            out.not_processed.push_back(path);
            continue;
        }
        if (!is_nutrient_type(settings.chemistry)) {
            log.add(format_text("Wrong chemistry type (%d): not a nutrient sensor",
                                static_cast<int>(settings.chemistry)));
            out.not_processed.push_back(path);
            continue;
        }
        const std::string refused = check_nutrient_settings(settings);
        if (!refused.empty()) {
            log.add(refused);
            out.not_processed.push_back(path);
            continue;
        }
        NutrientEngine engine(settings, sink(log));
        PassControl file_control = control;
        const PassStats stats = data_pass(
            file, engine, DataForm::fields20, nutrient_fields,
            [&] { table.add_row(multi_nutrient_row(engine.result(), settings.sensor_name)); },
            file_control);
        if (stats.status == PassStatus::completed)
            ++out.completed;
        if (stats.status == PassStatus::read_error)
            out.read_errors.push_back(path);
        if (stats.status == PassStatus::cancelled) {
            out.cancelled = true;
            break;
        }
    }
    return out;
}

}  // namespace quelmar::processing
