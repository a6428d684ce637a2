// quelmar-cli process through its core entry, on files: exit statuses, messages, --set, the
// multi-file batch and the committed examples.

#include "processing/process_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "processing/example_files.h"
#include "processing/nutrient_engine.h"
#include "processing/processing_messages.h"
#include "tests/support/scratch_folder.h"

namespace quelmar::processing {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class ProcessCommand : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = test_support::make_scratch_folder();
    }
    void TearDown() override { test_support::remove_scratch_folder(dir_); }
    std::string write(const std::string& name, const std::string& text) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    static void run(ProcessRequest request, ProcessOutcome& out) {
        run_process_request(request, out);
    }
    fs::path dir_;
};

ProcessRequest single(const std::string& path) {
    ProcessRequest r;
    r.files = {path};
    return r;
}

TEST_F(ProcessCommand, ChemistryComesFromTheHeader) {
    ExampleOptions o;
    const struct {
        std::string text;
        std::size_t columns;
    } files[] = {
        {nutrient_example(o), 17}, {ph_example(o), 8}, {ta_example(o), 5}, {dic_example(o), 7}};
    for (const auto& f : files) {
        ProcessOutcome out;
        run(single(write("file.csv", f.text)), out);
        EXPECT_EQ(process_ok, out.status);
        EXPECT_TRUE(out.has_rows);
        EXPECT_EQ(f.columns, out.table.titles().size());
        EXPECT_GT(out.table.row_count(), 0u);
        EXPECT_GT(out.log.size(), 0u);
    }
}

TEST_F(ProcessCommand, ResultsAreTheKnownConcentrations) {
    ExampleOptions o;
    o.cycles = 3;
    ProcessOutcome out;
    run(single(write("n.csv", nutrient_example(o))), out);
    ASSERT_EQ(3u, out.table.row_count());
    EXPECT_EQ("Nitrate (Medium.uM)", out.table.titles()[2]);
    for (std::size_t c = 0; c < 3; ++c)
        EXPECT_NEAR(example_nutrient_concentration(c), std::stod(out.table.row(c)[2]), 0.01);
}

TEST_F(ProcessCommand, WrongChemistryGivesTheDialogsMessage) {
    ProcessRequest r = single(write("ph.csv", ph_example(ExampleOptions{})));
    r.chemistry = Chemistry::ta;
    ProcessOutcome out;
    run(r, out);
    EXPECT_EQ(process_refused, out.status);
    ASSERT_EQ(1u, out.messages.size());
    EXPECT_EQ("This file has the wrong chemistry type for TA processing.", out.messages[0]);
    EXPECT_FALSE(out.has_rows);
}

TEST_F(ProcessCommand, HeaderWithoutTypeIsWrongExceptForPh) {
    const std::string path = write("t.csv", "%QUELMAR.HEADER_START\n%QUELMAR.HEADER_END\n");
    ProcessRequest r = single(path);
    r.chemistry = Chemistry::nutrient;
    ProcessOutcome out;
    run(r, out);
    EXPECT_EQ(process_refused, out.status);
    r.chemistry = Chemistry::ph;
    ProcessOutcome ph;
    run(r, ph);
    EXPECT_EQ(process_ok, ph.status);
}

TEST_F(ProcessCommand, FileWithoutHeaderNeedsSet) {
    ExampleOptions o;
    o.header = false;
    o.cycles = 2;
    const std::string path = write("bare.csv", nutrient_example(o));
    ProcessRequest r = single(path);
    r.chemistry = Chemistry::nutrient;
    ProcessOutcome refused;
    run(r, refused);
    EXPECT_EQ(process_refused, refused.status);
    EXPECT_EQ(processing_texts(Chemistry::nutrient).no_parameters, refused.messages.at(0));

    r.chemistry.reset();
    r.settings = {"CHEMISTRY.TYPE=1",
                  "CHEMISTRY.MEASUREMENT_CHANNEL_MEDIUM=1",
                  "CHEMISTRY.MEASUREMENT_CHANNEL_SHORT=2",
                  "CHEMISTRY.SAMPLE_INTAKE_STATE=1",
                  "CHEMISTRY.BLANK_MEASUREMENT_STATE=2",
                  "CHEMISTRY.STANDARD1_MEASUREMENT_STATE=3",
                  "CHEMISTRY.STANDARD2_MEASUREMENT_STATE=4",
                  "CHEMISTRY.SAMPLE_MEASUREMENT_STATE=5",
                  "CHEMISTRY.STANDARD1_CONCENTRATION=10",
                  "CHEMISTRY.STANDARD2_CONCENTRATION=20",
                  "CHEMISTRY.STANDARD_ADJUSTMENT=2",
                  "CHEMISTRY.PROCESSING_TRIGGER=2"};
    ProcessOutcome out;
    run(r, out);
    EXPECT_EQ(process_ok, out.status);
    ASSERT_EQ(2u, out.table.row_count());
    EXPECT_NEAR(example_nutrient_concentration(1), std::stod(out.table.row(1)[4]), 0.01);
}

TEST_F(ProcessCommand, SetOverridesTheHeaderAndUnknownKeysAreUsageErrors) {
    const std::string path = write("ph.csv", ph_example(ExampleOptions{}));
    ProcessRequest r = single(path);
    r.settings = {"CHEMISTRY.SAMPLE_INTERVAL=0"};
    ProcessOutcome zero;
    run(r, zero);
    EXPECT_EQ(process_refused, zero.status);
    EXPECT_NE(std::string::npos, zero.messages.at(0).find("sample interval of 0"));

    r.settings = {"CHEMISTRY.NO_SUCH_KEY=1"};
    ProcessOutcome unknown;
    run(r, unknown);
    EXPECT_EQ(process_usage, unknown.status);

    r.settings = {"CHEMISTRY.SAMPLE_INTERVAL=abc"};
    ProcessOutcome bad;
    run(r, bad);
    EXPECT_EQ(process_usage, bad.status);
}

TEST_F(ProcessCommand, ChannelBeyondTheEightIsRefused) {
    std::string text = ta_example(ExampleOptions{});
    text.replace(text.find("MEASUREMENT_CHANNEL=0"), 21, "MEASUREMENT_CHANNEL=9");
    ProcessOutcome out;
    run(single(write("ta9.csv", text)), out);
    EXPECT_EQ(process_refused, out.status);
    EXPECT_NE(std::string::npos, out.messages.at(0).find("Channel 9"));
}

TEST_F(ProcessCommand, ReadErrorAndMissingFile) {
    ProcessOutcome missing;
    run(single((dir_ / "absent.csv").string()), missing);
    EXPECT_EQ(process_read_error, missing.status);
    EXPECT_EQ("Unable to open " + (dir_ / "absent.csv").string(), missing.messages.at(0));
    // A regular file every read of which fails (this process's memory at address 0).
    ProcessRequest r = single("/proc/self/mem");
    r.chemistry = Chemistry::dic;
    ProcessOutcome failing;
    run(r, failing);
    EXPECT_EQ(process_read_error, failing.status);
    EXPECT_EQ("I/O error reading input file", failing.messages.at(0));
    ProcessOutcome unnamed;
    run(single("/proc/self/mem"), unnamed);  // also before the chemistry is known
    EXPECT_EQ(process_read_error, unnamed.status);
}

TEST_F(ProcessCommand, PipesDevicesAndFoldersAreRefusedUnread) {
    // A FIFO with no writer would block the open, one with a writer be read for ever; a
    // device like /dev/zero never ends.
    const fs::path fifo = dir_ / "fifo.csv";
    fs::remove(fifo);
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    for (const std::string& path : {fifo.string(), std::string("/dev/zero"), dir_.string()}) {
        for (bool named : {false, true}) {
            ProcessRequest r = single(path);
            if (named)
                r.chemistry = Chemistry::ph;
            ProcessOutcome out;
            run(r, out);
            EXPECT_EQ(process_read_error, out.status) << path;
            ASSERT_EQ(1u, out.messages.size());
            EXPECT_EQ("Unable to open " + path + ": not a regular file", out.messages[0]);
        }
        ProcessRequest multi;
        multi.multi = true;
        multi.files = {path};
        ProcessOutcome out;
        run(multi, out);
        EXPECT_EQ(process_read_error, out.status) << path;
    }
    fs::remove(fifo);
}

TEST_F(ProcessCommand, MultiFileBatchTagsRowsAndSkipsOtherChemistries) {
    ExampleOptions o;
    o.cycles = 2;
    o.sensor_name = "North";
    const std::string a = write("a.csv", nutrient_example(o));
    o.sensor_name = "South";
    o.nutrient_type = protocol::chemistry::silicate;
    const std::string b = write("b.csv", nutrient_example(o));
    const std::string p = write("p.csv", ph_example(ExampleOptions{}));
    ProcessRequest r;
    r.multi = true;
    r.files = {a, p, b};
    ProcessOutcome out;
    run(r, out);
    EXPECT_EQ(process_refused, out.status);
    ASSERT_EQ(4u, out.table.row_count());
    EXPECT_EQ("North", out.table.row(0)[8]);
    EXPECT_EQ("South", out.table.row(3)[8]);
    EXPECT_EQ("Nutrient (Medium:uM)", out.table.titles()[2]);
    const auto log = out.log.all();
    EXPECT_EQ("Reading file " + a, log[0]);
    EXPECT_NE(log.end(),
              std::find(log.begin(), log.end(), "Wrong chemistry type (4): not a nutrient sensor"));

    ProcessRequest one;
    one.multi = true;
    one.files = {a};
    ProcessOutcome single_out;
    run(one, single_out);
    EXPECT_EQ(process_ok, single_out.status);
    EXPECT_EQ("Processing file " + a, single_out.log.line(0));

    ExampleOptions bare;
    bare.header = false;
    one.files = {write("bare.csv", nutrient_example(bare))};
    ProcessOutcome no_header;
    run(one, no_header);
    EXPECT_EQ(process_refused, no_header.status);
    EXPECT_EQ("Failed to read sensor parameters from file header", no_header.log.line(1));
}

TEST_F(ProcessCommand, MultiFileCannotOpenIsLogged) {
    ProcessRequest r;
    r.multi = true;
    r.files = {(dir_ / "gone1.csv").string(), (dir_ / "gone2.csv").string()};
    ProcessOutcome out;
    run(r, out);
    EXPECT_EQ(process_read_error, out.status);
    EXPECT_EQ("Can't open file " + r.files[1], out.log.line(1));
    ASSERT_EQ(2u, out.messages.size());
    EXPECT_EQ("Can't open file " + r.files[0], out.messages[0]);
}

TEST(Examples, CommittedFilesAreWhatTheGeneratorWrites) {
    const fs::path examples = fs::path(QUELMAR_SOURCE_DIR) / "examples";
    if (!fs::exists(examples / "nitrate.csv"))
        GTEST_SKIP() << "no examples folder beside the tests";
    ExampleOptions o;
    o.cycles = 6;
    o.sensor_name = "QM-N001";
    EXPECT_EQ(nutrient_example(o), read_file(examples / "nitrate.csv"));
    ExampleOptions p;
    p.cycles = 3;
    EXPECT_EQ(ph_example(p), read_file(examples / "ph.csv"));
    ProcessOutcome out;
    run_process_request(single((examples / "dic.csv").string()), out);
    EXPECT_EQ(process_ok, out.status);
    ASSERT_EQ(6u, out.table.row_count());
    for (std::size_t c = 0; c < 6; ++c)
        EXPECT_NEAR(example_dic_value(c), std::stod(out.table.row(c)[2]), 0.05);
}

}  // namespace
}  // namespace quelmar::processing
