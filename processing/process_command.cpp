#include "processing/process_command.h"

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
    const HeaderScan scan = Traits::scan(file, settings);
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
    out.provenance.chemistry = Traits::name(settings);
    out.provenance.raw_files = request.files;
    if (scan.header_found)
        out.provenance.parameters = header_key_lines(file, Traits::keys_to_end);
    for (const std::string& kv : request.settings)
        out.provenance.parameters.push_back(kv);
    const PassStats stats = Traits::pass(file, settings, out.table, out.log, control);
    out.has_rows = true;
    if (stats.status == PassStatus::read_error) {
        out.messages.push_back(io_error_text);
        out.status = process_read_error;
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
        const MultiFileOutcome m = run_multi_nutrient(request.files, out.table, out.log, control);
        out.provenance = multi_nutrient_provenance(request.files);
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
