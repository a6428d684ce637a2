#include "processing/process_command.h"

#include <algorithm>
#include <deque>
#include <memory>

#include "common/text.h"
#include "processing/data_pass.h"
#include "processing/dic_engine.h"
#include "processing/header_scan.h"
#include "processing/netcdf_output.h"
#include "processing/nutrient_engine.h"
#include "processing/ph_engine.h"
#include "processing/processing_messages.h"
#include "processing/raw_file.h"
#include "processing/ta_engine.h"
#include "protocol/chemistry.h"

namespace quelmar::processing {

namespace chem = protocol::chemistry;

std::optional<Chemistry> chemistry_from_name(const std::string& name) {
    if (name == "nutrient")
        return Chemistry::nutrient;
    if (name == "ph")
        return Chemistry::ph;
    if (name == "ta")
        return Chemistry::ta;
    if (name == "dic")
        return Chemistry::dic;
    return std::nullopt;
}

namespace {

// Progress over a run of several reads, one after another: each read's own count of bytes
// becomes the run's count.
class RunProgress {
  public:
    explicit RunProgress(const PassControl& outer) : outer_(outer), control_(outer) {
        if (outer_.progress)
            control_.progress = [this](std::uint64_t done, std::uint64_t) {
                report(offset_ + std::min(done, current_));
            };
    }
    void set_total(std::uint64_t total) { total_ = total; }
    // The next read, of `size` bytes, starts where the last one ended.
    void begin(std::uint64_t size) {
        offset_ = end_;
        current_ = size;
        end_ = offset_ + size;
        report(offset_);
    }
    void finish() { report(total_); }
    // Cancel flag, parser and threads as given; progress as the run's.
    const PassControl& control() const { return control_; }

  private:
    void report(std::uint64_t done) {
        if (outer_.progress && total_ > 0)
            outer_.progress(std::min(done, total_), total_);
    }
    const PassControl& outer_;
    PassControl control_;
    std::uint64_t total_ = 0;
    std::uint64_t offset_ = 0;
    std::uint64_t current_ = 0;
    std::uint64_t end_ = 0;
};

std::optional<Chemistry> chemistry_of_code(ChemistryType code) {
    if (protocol::is_nutrient_chemistry(code))
        return Chemistry::nutrient;
    if (code == chem::ph)
        return Chemistry::ph;
    if (code == chem::ta)
        return Chemistry::ta;
    if (code == chem::dic)
        return Chemistry::dic;
    return std::nullopt;
}

struct NutrientReaderTraits {
    using Settings = NutrientSettings;
    static constexpr Chemistry chemistry = Chemistry::nutrient;
    static HeaderScan scan(RawSource& f, Settings& s) {
        return scan_nutrient_header(f, s, NutrientReader::single_file);
    }
    static Settings defaults() { return nutrient_scan_defaults(); }
    static bool key(std::string_view line, Settings& s) {
        return apply_nutrient_key(line, s, NutrientReader::single_file);
    }
    static std::string check(const Settings& s) { return check_nutrient_settings(s); }
    static std::string name(const Settings& s) {
        const std::string n = nutrient_name(s.chemistry);
        return n.empty() ? "Nutrient" : n;
    }
    static constexpr bool keys_to_end = false;
    static PassStats pass(RawSource& f, const Settings& s, ResultTable& t, ProcessingLog& l,
                          const PassControl& c) {
        t.set_columns(nutrient_columns(s.chemistry));
        return run_nutrient_pass(f, s, t, l, c);
    }
};

struct PhReaderTraits {
    using Settings = PhSettings;
    static constexpr Chemistry chemistry = Chemistry::ph;
    static HeaderScan scan(RawSource& f, Settings& s) { return scan_ph_header(f, s); }
    static Settings defaults() { return ph_scan_defaults(); }
    static bool key(std::string_view line, Settings& s) { return apply_ph_key(line, s); }
    static std::string check(const Settings& s) { return check_ph_settings(s); }
    static std::string name(const Settings&) { return "pH"; }
    static constexpr bool keys_to_end = true;  // the pH scan reads to the end of the file
    static PassStats pass(RawSource& f, const Settings& s, ResultTable& t, ProcessingLog& l,
                          const PassControl& c) {
        t.set_columns(ph_columns());
        return run_ph_pass(f, s, t, l, c);
    }
};

struct TaReaderTraits {
    using Settings = TaSettings;
    static constexpr Chemistry chemistry = Chemistry::ta;
    static HeaderScan scan(RawSource& f, Settings& s) { return scan_ta_header(f, s); }
    static Settings defaults() { return ta_scan_defaults(); }
    static bool key(std::string_view line, Settings& s) { return apply_ta_key(line, s); }
    static std::string check(const Settings& s) { return check_ta_settings(s); }
    static std::string name(const Settings&) { return "TA"; }
    static constexpr bool keys_to_end = false;
    static PassStats pass(RawSource& f, const Settings& s, ResultTable& t, ProcessingLog& l,
                          const PassControl& c) {
        t.set_columns(ta_columns());
        return run_ta_pass(f, s, t, l, c);
    }
};

struct DicReaderTraits {
    using Settings = DicSettings;
    static constexpr Chemistry chemistry = Chemistry::dic;
    static HeaderScan scan(RawSource& f, Settings& s) { return scan_dic_header(f, s); }
    static Settings defaults() { return dic_scan_defaults(); }
    static bool key(std::string_view line, Settings& s) { return apply_dic_key(line, s); }
    static std::string check(const Settings& s) { return check_dic_settings(s); }
    static std::string name(const Settings&) { return "DIC"; }
    static constexpr bool keys_to_end = false;
    static PassStats pass(RawSource& f, const Settings& s, ResultTable& t, ProcessingLog& l,
                          const PassControl& c) {
        t.set_columns(dic_columns());
        return run_dic_pass(f, s, t, l, c);
    }
};

template <class Traits>
void process_single(RawFile& file, const ProcessRequest& request, ProcessOutcome& out,
                    const PassControl& control) {
    const ProcessingTexts& texts = processing_texts(Traits::chemistry);
    typename Traits::Settings settings;
    RunProgress progress(control);
    // The pH scan reads the whole file before the pass reads it again: both are the run.
    progress.set_total(file.size() * (Traits::keys_to_end ? 2 : 1));
    HeaderScan scan;
    std::vector<std::string> keys;
    {
        WatchedSource watched(file, progress.control());
        RawSource& scanned = Traits::keys_to_end ? static_cast<RawSource&>(watched) : file;
        if (Traits::keys_to_end)
            progress.begin(file.size());
        // The key lines as the scan reads them: no read of their own.
        if (request.with_provenance) {
            HeaderKeyTap tap(scanned, Traits::keys_to_end);
            scan = Traits::scan(tap, settings);
            keys = tap.keys();
        } else {
            scan = Traits::scan(scanned, settings);
        }
    }
    if (scan.read_error) {
        out.messages.push_back(io_error_text);
        out.status = process_read_error;
        return;
    }
    if (!scan.header_found) {
        if (request.settings.empty()) {
            out.messages.push_back(texts.no_parameters);
            out.status = process_refused;
            return;
        }
        // As in the dialog, key lines outside a header are not used: only what is given.
        settings = Traits::defaults();
    } else if (!chemistry_accepted(Traits::chemistry, settings.chemistry)) {
        out.messages.push_back(texts.wrong_chemistry);
        out.status = process_refused;
        return;
    }
    for (const std::string& kv : request.settings) {
        if (!Traits::key("%QUELMAR." + kv, settings)) {
            out.messages.push_back("quelmar-cli process: '" + kv +
                                   "' is no key of this chemistry's header, or its value "
                                   "does not read as the key's number");
            out.status = process_usage;
            return;
        }
    }
    const std::string refused = Traits::check(settings);
    if (!refused.empty()) {
        out.messages.push_back(refused);
        out.status = process_refused;
        return;
    }
    if (request.with_provenance) {
        out.provenance.chemistry = Traits::name(settings);
        out.provenance.raw_files = request.files;
        if (scan.header_found)
            out.provenance.parameters = std::move(keys);
        for (const std::string& kv : request.settings)
            out.provenance.parameters.push_back(kv);
    }
    progress.begin(file.size());
    const PassStats stats = Traits::pass(file, settings, out.table, out.log, progress.control());
    out.has_rows = true;
    if (stats.status == PassStatus::read_error) {
        out.messages.push_back(io_error_text);
        out.status = process_read_error;
    } else if (stats.status == PassStatus::completed) {
        progress.finish();
    }
}

// The chemistry of the header, or one given with --set.
std::optional<Chemistry> probe_chemistry(RawFile& file, const ProcessRequest& request,
                                         std::string& why, bool& read_error) {
    NutrientSettings probe;
    const HeaderScan scan = scan_nutrient_header(file, probe, NutrientReader::single_file);
    read_error = scan.read_error;
    if (read_error) {
        why = io_error_text;
        return std::nullopt;
    }
    ChemistryType code = probe.chemistry;
    bool known = scan.header_found;
    for (const std::string& kv : request.settings) {
        NutrientSettings given;
        if (kv.rfind("CHEMISTRY.TYPE=", 0) == 0 &&
            apply_nutrient_key("%QUELMAR." + kv, given, NutrientReader::single_file)) {
            code = given.chemistry;
            known = true;
        }
    }
    if (!known) {
        why =
            "No Processing Parameters found in file header: name the chemistry with "
            "--chemistry and give the parameters with --set.";
        return std::nullopt;
    }
    auto c = chemistry_of_code(code);
    if (!c)
        why = common::format_text(
            "This file has the wrong chemistry type for processing (%u): name the chemistry "
            "with --chemistry.",
            static_cast<unsigned>(code));
    return c;
}

}  // namespace

bool chemistry_accepted(Chemistry reader, ChemistryType code) {
    switch (reader) {
        case Chemistry::nutrient:
            return protocol::is_nutrient_chemistry(code);
        case Chemistry::ph:
            return code == chem::ph;
        case Chemistry::ta:
            return code == chem::ta;
        case Chemistry::dic:
            return code == chem::dic;
    }
    return false;
}

namespace {
// A file of the batch read through a key tap, handing the keys its reads went past to
// `keys` when the batch is done with it.
class TappedFile : public RawSource {
  public:
    explicit TappedFile(std::vector<std::string>& keys) : keys_(keys) {}
    ~TappedFile() override { keys_ = tap_.keys(); }
    bool open(const std::string& path) { return file_.open(path); }
    std::ptrdiff_t read(char* buffer, std::size_t size) override { return tap_.read(buffer, size); }
    bool rewind() override { return tap_.rewind(); }
    std::uint64_t size() const override { return file_.size(); }

  private:
    std::vector<std::string>& keys_;
    RawFile file_;
    HeaderKeyTap tap_{file_, false};
};
}  // namespace

MultiFileOutcome run_multi_batch(const std::vector<std::string>& paths, ResultTable& table,
                                 ProcessingLog& log, const PassControl& control,
                                 ResultProvenance& provenance) {
    RunProgress progress(control);
    // The total is of the files that open now; one that cannot be opened is never read.
    std::uint64_t total = 0;
    for (const auto& path : paths) {
        RawFile file;
        if (file.open(path))
            total += file.size();
    }
    progress.set_total(total);
    // A deque, so that each file's keys stay where its tap was told to put them.
    std::deque<std::pair<std::string, std::vector<std::string>>> opened;
    const MultiFileOutcome m =
        run_multi_nutrient(paths, table, log, progress.control(), [&](const std::string& path) {
            opened.emplace_back(path, std::vector<std::string>{});
            auto file = std::make_unique<TappedFile>(opened.back().second);
            if (!file->open(path)) {
                file.reset();
                opened.pop_back();
                return std::unique_ptr<RawSource>();
            }
            progress.begin(file->size());
            return std::unique_ptr<RawSource>(std::move(file));
        });
    std::vector<std::pair<std::string, std::vector<std::string>>> processed;
    for (auto& entry : opened)
        if (std::find(m.not_processed.begin(), m.not_processed.end(), entry.first) ==
            m.not_processed.end())
            processed.push_back(std::move(entry));
    provenance = multi_nutrient_provenance(processed);
    // Files refused after their header still count as read: the batch reached its end.
    if (!m.cancelled && m.read_errors.empty())
        progress.finish();
    return m;
}

void run_process_request(const ProcessRequest& request, ProcessOutcome& out,
                         const PassControl& control) {
    if (request.multi) {
        if (!request.settings.empty() || request.chemistry) {
            out.messages.push_back(
                "quelmar-cli process --multi: the parameters come from each file's header; "
                "--set and --chemistry do not apply");
            out.status = process_usage;
            return;
        }
        // The keys are tapped from the batch's own reads, so they cost nothing to gather.
        const MultiFileOutcome m =
            run_multi_batch(request.files, out.table, out.log, control, out.provenance);
        out.has_rows = true;
        for (const auto& path : m.unopened)
            out.messages.push_back(common::format_text("Can't open file %s", path.c_str()));
        for (const auto& path : m.read_errors)
            out.messages.push_back(std::string(io_error_text) + ": " + path);
        for (const auto& path : m.not_processed)
            out.messages.push_back("not processed: " + path);
        if (!m.read_errors.empty() || !m.unopened.empty())
            out.status = process_read_error;
        else if (!m.not_processed.empty())
            out.status = process_refused;
        return;
    }
    if (request.files.size() != 1) {
        out.messages.push_back("quelmar-cli process: give exactly one raw output file");
        out.status = process_usage;
        return;
    }
    RawFile file;
    if (!file.open(request.files[0])) {
        out.messages.push_back(file.open_failure());
        out.status = process_read_error;
        return;
    }
    std::optional<Chemistry> chemistry = request.chemistry;
    if (!chemistry) {
        std::string why;
        bool read_error = false;
        chemistry = probe_chemistry(file, request, why, read_error);
        if (!chemistry) {
            out.messages.push_back(why);
            out.status = read_error ? process_read_error : process_refused;
            return;
        }
    }
    switch (*chemistry) {
        case Chemistry::nutrient:
            process_single<NutrientReaderTraits>(file, request, out, control);
            break;
        case Chemistry::ph:
            process_single<PhReaderTraits>(file, request, out, control);
            break;
        case Chemistry::ta:
            process_single<TaReaderTraits>(file, request, out, control);
            break;
        case Chemistry::dic:
            process_single<DicReaderTraits>(file, request, out, control);
            break;
    }
}

}  // namespace quelmar::processing
