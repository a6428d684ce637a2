// Data passes over whole files: accepted line forms, the end-of-file record, read errors,
// cancel, the results cap and saving.

#include "processing/data_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/text.h"
#include "processing/example_files.h"
#include "processing/nutrient_engine.h"
#include "test_records.h"
#include "tests/support/scratch_folder.h"

namespace quelmar::processing {
namespace {

namespace fs = std::filesystem;
using test::all_channels;
using test::data_line;

std::string nutrient_header() {
    return "%QUELMAR.HEADER_START\n%QUELMAR.CHEMISTRY.TYPE=1\n"
           "%QUELMAR.CHEMISTRY.SAMPLE_INTAKE_STATE=1\n"
           "%QUELMAR.CHEMISTRY.BLANK_MEASUREMENT_STATE=2\n"
           "%QUELMAR.CHEMISTRY.STANDARD1_MEASUREMENT_STATE=3\n"
           "%QUELMAR.CHEMISTRY.SAMPLE_MEASUREMENT_STATE=5\n"
           "%QUELMAR.CHEMISTRY.STANDARD1_CONCENTRATION=1\n"
           "%QUELMAR.CHEMISTRY.PROCESSING_TRIGGER=3\n%QUELMAR.HEADER_END\n%Counter,State\n";
}

NutrientSettings scan(RawSource& f) {
    NutrientSettings s;
    scan_nutrient_header(f, s, NutrientReader::single_file);
    return s;
}

TEST(DataPass, SixThousandResultsLeaveTheLast5001Rows) {
    std::string text = nutrient_header();
    for (unsigned i = 0; i < 6000; ++i) {
        text += data_line(3 * i, 1, all_channels(1), 1000000 + i);
        text += data_line(3 * i + 1, 2, all_channels(1), 1000000 + i);
        text += data_line(3 * i + 2, 0, all_channels(1), 1000000 + i);
    }
    MemorySource f(text);
    ResultTable table;
    ProcessingLog log;
    const PassStats stats = run_nutrient_pass(f, scan(f), table, log);
    EXPECT_EQ(PassStatus::completed, stats.status);
    EXPECT_EQ(6000u, stats.results);
    ASSERT_EQ(max_result_rows, table.row_count());
    // Platform time is the sensor time - 2: the first row kept is result 999.
    EXPECT_EQ(common::sensor_time_text(1000000 + 999 - 2), table.row(0)[0]);
    EXPECT_EQ(common::sensor_time_text(1000000 + 5999 - 2), table.row(5000)[0]);
}

TEST(DataPass, FifteenFieldLinesCountForNutrientsButNotForPh) {
    std::string body = data_line(0, 1, all_channels(1), 5, false) +
                       data_line(1, 2, all_channels(1), 6, false) +
                       data_line(2, 0, all_channels(1), 7, false);
    MemorySource f(nutrient_header() + body);
    ResultTable table;
    ProcessingLog log;
    run_nutrient_pass(f, scan(f), table, log);
    ASSERT_EQ(1u, table.row_count());
    EXPECT_EQ("01/01/1970 00:00:00", table.row(0)[0]);  // no platform data: time 0
    EXPECT_EQ("01/01/1970 00:00:05", table.row(0)[1]);

    MemorySource p(
        "%QUELMAR.HEADER_START\n%QUELMAR.CHEMISTRY.SAMPLE_INTAKE_STATE=1\n"
        "%QUELMAR.CHEMISTRY.SAMPLE_MEASUREMENT_STATE=2\n" +
        body);
    PhSettings ph;
    scan_ph_header(p, ph);
    ProcessingLog ph_log;
    const PassStats stats = run_ph_pass(p, ph, table, ph_log);
    EXPECT_EQ(0u, stats.records);
    EXPECT_EQ(0u, ph_log.size());
}

TEST(DataPass, TimesFrom2038OnShowAsPlainNumbers) {
    MemorySource f(nutrient_header() + data_line(0, 1, all_channels(1), 2147483650u) +
                   data_line(1, 2, all_channels(1), 2147483650u));
    ResultTable table;
    ProcessingLog log;
    run_nutrient_pass(f, scan(f), table, log);
    ASSERT_EQ(1u, table.row_count());
    EXPECT_EQ("2147483648", table.row(0)[0]);
    EXPECT_EQ("2147483650", table.row(0)[1]);
}

TEST(DataPass, ReadErrorKeepsEarlierRowsAndFeedsNoEndOfFileRecord) {
    const std::string head = nutrient_header() + data_line(0, 1, all_channels(1), 10) +
                             data_line(1, 2, all_channels(1), 11) +
                             data_line(2, 1, all_channels(1), 12);
    const std::string text = head + data_line(3, 2, all_channels(1), 13) + "3,2,1.0";
    MemorySource f(text, text.size() - 3);
    ResultTable table;
    ProcessingLog log;
    const NutrientSettings s = scan(f);
    const PassStats stats = run_nutrient_pass(f, s, table, log);
    EXPECT_EQ(PassStatus::read_error, stats.status);
    EXPECT_EQ(1u, table.row_count());  // the blank left by the second intake, not the last one

    MemorySource whole(text);
    ResultTable all;
    run_nutrient_pass(whole, s, all, log);
    EXPECT_EQ(2u, all.row_count());
}

TEST(DataPass, CancelStopsThePass) {
    ExampleOptions o;
    o.cycles = 2000;
    MemorySource f(nutrient_example(o));
    std::atomic<bool> cancel{true};
    PassControl control;
    control.cancel = &cancel;
    ResultTable table;
    ProcessingLog log;
    const PassStats stats = run_nutrient_pass(f, scan(f), table, log, control);
    EXPECT_EQ(PassStatus::cancelled, stats.status);
    EXPECT_LT(stats.lines, 10000u);
}

TEST(DataPass, LogIsBoundedWhileItsSinkSeesEveryLine) {
    // A garbage-like file that changes between measurement states on every line writes a
    // log line per line: the memory keeps a fixed number and says so in its last line, the
    // sink (the command line's file) gets them all.
    std::string text = nutrient_header();
    for (unsigned i = 0; i < 3000; ++i)
        text += data_line(i, i % 2 ? 2 : 3, all_channels(1));
    MemorySource f(text);
    ProcessingLog log(1000);
    std::vector<std::string> sunk;
    log.set_sink([&](const std::string& line) { sunk.push_back(line); });
    ResultTable table;
    run_nutrient_pass(f, scan(f), table, log);
    ASSERT_EQ(1001u, log.size());
    EXPECT_EQ("Processing log full: the lines after the first 1000 are not shown here",
              log.line(1000));
    EXPECT_EQ(sunk.size(), 1000 + log.dropped());
    EXPECT_GT(sunk.size(), 6000u);
    ProcessingLog whole(1000000);
    ResultTable again;
    run_nutrient_pass(f, scan(f), again, whole);
    EXPECT_EQ(whole.all(), sunk);
    // A closing line is kept past the cap; clearing starts the count again.
    log.add_closing("Processing cancelled");
    EXPECT_EQ("Processing cancelled", log.line(1001));
    log.clear();
    log.set_sink(nullptr);
    log.add("again");
    EXPECT_EQ(1u, log.size());
    EXPECT_EQ(0u, log.dropped());
}

TEST(DataPass, WatchedSourceReportsProgressAndFailsOnceCancelled) {
    std::string text = nutrient_header();
    for (unsigned i = 0; i < 200000; ++i)  // about 20 MB, for several progress calls
        text += data_line(i, 0, all_channels(1));
    MemorySource f(text);
    std::atomic<bool> cancel{false};
    std::vector<std::uint64_t> progress;
    PassControl control;
    control.cancel = &cancel;
    control.progress = [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_EQ(text.size(), total);
        progress.push_back(done);
    };
    WatchedSource watched(f, control);
    PhSettings ph;
    HeaderScan scan = scan_ph_header(watched, ph);  // reads to the end of the file
    EXPECT_FALSE(scan.read_error);
    EXPECT_TRUE(scan.header_found);
    ASSERT_GE(progress.size(), 3u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    cancel = true;
    scan = scan_ph_header(watched, ph);
    EXPECT_TRUE(scan.read_error);
    EXPECT_TRUE(watched.cancelled());
}

TEST(DataPass, FastScanfAndTwoThreadReadingGiveTheSameResultsAndLog) {
    // Files long enough for several batches of lines, so that the two-thread reading splits
    // batches and the engines still see every line in file order.
    ExampleOptions o;
    o.cycles = 700;
    const std::string nutrient = nutrient_example(o);
    o.cycles = 90;
    const std::string ph = ph_example(o);
    o.cycles = 40;
    const std::string ta = ta_example(o), dic = dic_example(o);
    using Outcome = std::pair<std::vector<std::vector<std::string>>, std::vector<std::string>>;
    auto run = [&](LineParser parser, unsigned threads) {
        std::vector<Outcome> out;
        PassControl c;
        c.parser = parser;
        c.parse_threads = threads;
        auto keep = [&](const ResultTable& t, const ProcessingLog& log) {
            out.emplace_back(t.rows(), log.all());
        };
        {
            MemorySource f(nutrient);
            ResultTable t;
            ProcessingLog log;
            run_nutrient_pass(f, scan(f), t, log, c);
            keep(t, log);
        }
        {
            MemorySource f(ph);
            PhSettings s;
            scan_ph_header(f, s);
            ResultTable t;
            ProcessingLog log;
            run_ph_pass(f, s, t, log, c);
            keep(t, log);
        }
        {
            MemorySource f(ta);
            TaSettings s;
            scan_ta_header(f, s);
            ResultTable t;
            ProcessingLog log;
            run_ta_pass(f, s, t, log, c);
            keep(t, log);
        }
        {
            MemorySource f(dic);
            DicSettings s;
            scan_dic_header(f, s);
            ResultTable t;
            ProcessingLog log;
            run_dic_pass(f, s, t, log, c);
            keep(t, log);
        }
        return out;
    };
    const auto fast = run(LineParser::fast, 1);
    EXPECT_EQ(fast, run(LineParser::fast, 2));
    EXPECT_EQ(fast, run(LineParser::scanf_reference, 1));
    ASSERT_EQ(4u, fast.size());
    EXPECT_EQ(700u, fast[0].first.size());
    EXPECT_EQ(90u, fast[1].first.size());
    EXPECT_EQ(40u, fast[2].first.size());
    EXPECT_EQ(40u, fast[3].first.size());
}

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(SaveResults, WritesTitlesAndRowsAndReportsFailureWithoutLosingTheOldFile) {
    const fs::path dir = test_support::make_scratch_folder();
    struct Removed {
        fs::path dir;
        ~Removed() { test_support::remove_scratch_folder(dir); }
    } removed{dir};
    ResultTable table({{"A", 10}, {"B", 10}});
    const std::string path = (dir / "out.csv").string();
    SaveOutcome empty = save_results(table, path);
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ("", empty.message);
    EXPECT_EQ("A,B\n", read_file(path));

    table.add_row({"1", "2"});
    SaveOutcome saved = save_results(table, path);
    EXPECT_TRUE(saved.ok);
    EXPECT_EQ("Processed Output saved to " + path, saved.message);
    EXPECT_EQ("A,B\n1,2\n", read_file(path));

    const std::string missing = (dir / "no such folder" / "out.csv").string();
    SaveOutcome refused = save_results(table, missing);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ("Unable to open " + missing + " for write", refused.message);

    // The file cannot be put in place (a folder of that name): a failure, never "saved".
    const fs::path folder = dir / "taken";
    fs::create_directories(folder);
    SaveOutcome blocked = save_results(table, folder.string());
    EXPECT_FALSE(blocked.ok);
    EXPECT_EQ(0u, blocked.message.rfind("Failed to save", 0));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ("A,B\n1,2\n", read_file(path));
}

}  // namespace
}  // namespace quelmar::processing
