// Arbitrary raw output files through all five readers: header scans, settings checks, the
// data passes of every engine (also with settings the checks would refuse, which the engines
// must survive), a read error at an input-chosen place, and the multi-file batch.

#include <cstdint>
#include <memory>
#include <string>

#include "processing/data_pass.h"
#include "processing/header_scan.h"

namespace {

using namespace quelmar::processing;

template <class Settings, class Scan, class Check, class Pass>
void reader(MemorySource& source, Scan scan, Check check, Pass pass) {
    Settings s;
    scan(source, s);
    (void)check(s);
    ResultTable table;
    ProcessingLog log;
    if constexpr (requires { s.sample_interval_ms; }) {
        if (s.sample_interval_ms == 0)
            s.sample_interval_ms = 1;
    }
    pass(source, s, table, log);
    for (std::size_t i = 0; i < table.row_count(); ++i)
        (void)table.row(i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t fail_after = size > 0 && data[0] % 4 == 0 ? size / 2 : std::string::npos;
    MemorySource source(text, fail_after);

    reader<NutrientSettings>(
        source,
        [](RawSource& f, NutrientSettings& s) {
            scan_nutrient_header(f, s, NutrientReader::single_file);
        },
        check_nutrient_settings,
        [](RawSource& f, const NutrientSettings& s, ResultTable& t, ProcessingLog& l) {
            run_nutrient_pass(f, s, t, l);
        });
    reader<NutrientSettings>(
        source,
        [](RawSource& f, NutrientSettings& s) {
            scan_nutrient_header(f, s, NutrientReader::multi_file);
        },
        check_nutrient_settings,
        [](RawSource& f, const NutrientSettings& s, ResultTable& t, ProcessingLog& l) {
            run_nutrient_pass(f, s, t, l);
        });
    reader<PhSettings>(
        source, [](RawSource& f, PhSettings& s) { scan_ph_header(f, s); }, check_ph_settings,
        [](RawSource& f, const PhSettings& s, ResultTable& t, ProcessingLog& l) {
            run_ph_pass(f, s, t, l);
        });
    reader<TaSettings>(
        source, [](RawSource& f, TaSettings& s) { scan_ta_header(f, s); }, check_ta_settings,
        [](RawSource& f, const TaSettings& s, ResultTable& t, ProcessingLog& l) {
            run_ta_pass(f, s, t, l);
        });
    reader<DicSettings>(
        source, [](RawSource& f, DicSettings& s) { scan_dic_header(f, s); }, check_dic_settings,
        [](RawSource& f, const DicSettings& s, ResultTable& t, ProcessingLog& l) {
            run_dic_pass(f, s, t, l);
        });

    // The batch as the multi-file dialog runs it: the input as two files, then one that
    // cannot be opened. The bytes come from memory: a file written per input cost more than
    // everything else the target does.
    ResultTable table;
    ProcessingLog log;
    run_multi_nutrient({"input", "again", "missing"}, table, log, {}, [&](const std::string& path) {
        return path == "missing" ? nullptr : std::make_unique<MemorySource>(text, fail_after);
    });
    return 0;
}
