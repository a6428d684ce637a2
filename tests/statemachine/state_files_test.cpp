#include "statemachine/state_files.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "statemachine/state_summary.h"
#include "statemachine/state_text.h"

namespace quelmar::statemachine {
namespace {

namespace fs = std::filesystem;

class StateFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("sm_files_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    static std::vector<std::uint8_t> read(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void write(const std::string& p, const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    fs::path dir;
};

StateMachine machine_of(std::size_t states) {
    StateMachine m;
    m.last_state_index = static_cast<std::uint16_t>(states - 1);
    for (std::size_t i = 0; i < states; ++i)
        new_state_defaults(m, i, fallback_state_defaults());
    return m;
}

TEST(StateFileFormat, ChosenByTheFirstLetterOfTheExtension) {
    EXPECT_EQ(state_file_format("run.DAT"), StateFileFormat::dat102);
    EXPECT_EQ(state_file_format("run.dbx"), StateFileFormat::dat102);
    EXPECT_EQ(state_file_format("run.asm"), StateFileFormat::asm77);
    EXPECT_EQ(state_file_format("run.txt"), StateFileFormat::asm77);
    EXPECT_EQ(state_file_format("run"), StateFileFormat::asm77);
    EXPECT_EQ(state_file_format("dir.d/run"), StateFileFormat::asm77);
    EXPECT_EQ(state_file_format("run."), StateFileFormat::asm77);
}

TEST_F(StateFiles, SizesOfBothFormats) {
    const StateMachine m = machine_of(3);
    ASSERT_EQ(save_state_file(path("m.asm"), m), FileResult::ok);
    ASSERT_EQ(save_state_file(path("m.dat"), m), FileResult::ok);
    EXPECT_EQ(fs::file_size(path("m.asm")), 231u);
    EXPECT_EQ(fs::file_size(path("m.dat")), 306u);
    EXPECT_EQ(read(path("m.asm")), save_state_bytes(m, StateFileFormat::asm77));
}

TEST_F(StateFiles, ShortAndOverlongFiles) {
    StateMachine m;
    std::vector<std::uint8_t> bytes(80, 0);
    bytes[38] = 9;
    bytes[77] = 1;
    write(path("a.asm"), bytes);
    ASSERT_EQ(load_state_file(path("a.asm"), m, fallback_state_defaults()), FileResult::ok);
    EXPECT_EQ(m.last_state_index, 0);
    EXPECT_EQ(m.states[0].default_next, 9);
    EXPECT_EQ(m.states[0].format_flag, 1) << "normalised";
    EXPECT_EQ(m.states[0].aux_switch, 1);

    std::vector<std::uint8_t> many(300 * state_record_size, 0);
    for (std::size_t i = 0; i < 300; ++i)
        many[i * state_record_size + 38] = static_cast<std::uint8_t>(i);
    write(path("b.asm"), many);
    ASSERT_EQ(load_state_file(path("b.asm"), m, fallback_state_defaults()), FileResult::ok);
    EXPECT_EQ(m.last_state_index, 254);
    EXPECT_EQ(m.states[254].default_next, 254);

    write(path("empty.asm"), {});
    m.current_state = 3;
    ASSERT_EQ(load_state_file(path("empty.asm"), m, fallback_state_defaults()), FileResult::ok);
    EXPECT_EQ(m.last_state_index, 0);
    EXPECT_EQ(m.current_state, 0);
    StateRecord zero{};
    zero.format_flag = 1;
    zero.aux_switch = 1;
    EXPECT_EQ(m.states[0], zero);
}

TEST_F(StateFiles, MissingFileLeavesTheEmptyMachine) {
    StateMachine m = machine_of(4);
    EXPECT_EQ(load_state_file(path("none.asm"), m, fallback_state_defaults()),
              FileResult::open_failed);
    EXPECT_EQ(m.last_state_index, 0);
    StateMachine empty;
    clear_to_empty(empty, fallback_state_defaults());
    EXPECT_EQ(m.states, empty.states);
    EXPECT_EQ(load_state_file(dir.string(), m, fallback_state_defaults()) == FileResult::ok, false)
        << "a directory is not a file";
    EXPECT_EQ(save_state_file(path("no/such/dir/x.asm"), m), FileResult::open_failed);
}

// Every way a save can fail here fails for any user, root included (as in CI), and none of
// them harms what is already on disk.
TEST_F(StateFiles, FailedSaveKeepsTheOldFile) {
    const StateMachine m = machine_of(2);
    ASSERT_EQ(save_state_file(path("keep.asm"), m), FileResult::ok);
    const auto before = read(path("keep.asm"));

    // Files may grow to 100 bytes only, so writing five states (385 bytes) fails part-way.
    {
        rlimit old{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit small = old;
        small.rlim_cur = 100;
        const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const FileResult result = save_state_file(path("keep.asm"), machine_of(5));
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, old_handler);
        EXPECT_EQ(result, FileResult::write_failed);
    }
    EXPECT_EQ(read(path("keep.asm")), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1)
        << "the partial file is removed";

    // A folder where the file should go: the finished file cannot be moved into place.
    fs::create_directories(dir / "taken.asm" / "inside");
    EXPECT_EQ(save_state_file(path("taken.asm"), m), FileResult::write_failed);
    EXPECT_TRUE(fs::is_directory(dir / "taken.asm" / "inside"));

    // A file where a folder should be: nothing can be created under it.
    EXPECT_EQ(save_state_file(path("keep.asm/x.asm"), m), FileResult::open_failed);
    EXPECT_EQ(read(path("keep.asm")), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST(DatRecord, ConversionsAndTheirLosses) {
    StateRecord r;
    r.format_flag = 1;
    r.mode = mode::hibernating;
    r.sync_value = 33;
    r.valves = 0x8005;
    r.led_setting = {led_on, 0, 48000, 1000};
    r.pump_on = 1;
    r.pump_direction = 1;
    r.stop_mode = stop::steps;
    r.microstep_code = 3;
    r.aux_switch = 2;
    r.delay_s = 70;
    r.wait_for_schedule = 1;
    r.counters[0] = {2, 5, 3, action::inc_only};      // maximum set: comes back as Inc & Test
    r.counters[1] = {2, 0, 3, action::inc_and_test};  // no maximum: comes back as Inc Only
    r.counters[2] = {0, 0, 0, action::reset};
    r.diving = {0, 2, 7, 0};
    const DatBytes b = encode_dat_record(r);
    EXPECT_EQ(b[6], 0);
    EXPECT_EQ(b[7], 2);
    EXPECT_EQ(b[8], 1);
    EXPECT_EQ(b[9], 0);
    EXPECT_EQ(b[10], 1);
    EXPECT_EQ(b[23], 1);
    EXPECT_EQ(b[31] | b[32] << 8, 0xFFFF);
    EXPECT_EQ(b[35] | b[36] << 8, 64197);
    EXPECT_EQ(b[37] | b[38] << 8, 1337);
    EXPECT_EQ(b[40], 3);
    EXPECT_EQ(b[41], 0);
    EXPECT_EQ(b[42], 1);
    EXPECT_EQ(b[43], 0);
    EXPECT_EQ(b[63], 2);
    EXPECT_EQ(b[64], 0);
    EXPECT_EQ(b[65], 1);
    EXPECT_EQ(b[69], 2);
    EXPECT_EQ(b[70], 3);
    EXPECT_EQ(b[71], 5);
    EXPECT_EQ(b[72], 0);
    EXPECT_EQ(b[80], 1) << "reset flag of counter 3";
    EXPECT_EQ(b[94], 7);
    EXPECT_EQ(b[95], 2);

    const StateRecord back = decode_dat_record(b);
    EXPECT_EQ(back.format_flag, 0);
    EXPECT_EQ(back.mode, mode::idle);
    EXPECT_EQ(back.sync_value, 0);
    EXPECT_EQ(back.valves, 0x8005);
    EXPECT_EQ(back.led_setting[2], 47999) << "integer parts both ways";
    EXPECT_EQ(back.led_setting[3], 999);
    EXPECT_EQ(back.counters[0].action, action::inc_and_test);
    EXPECT_EQ(back.counters[1].action, action::inc_only);
    EXPECT_EQ(back.counters[2].action, action::reset);
    EXPECT_EQ(back.counters[0].next, 3);
    EXPECT_EQ(back.counters[0].maximum, 5);
    EXPECT_EQ(back.stop_mode, stop::steps);
    EXPECT_EQ(back.microstep_code, 3);
    EXPECT_EQ(back.aux_switch, 2);
    EXPECT_EQ(back.wait_for_schedule, 1);
    EXPECT_EQ(back.delay_s, 70u);
    EXPECT_EQ(back.diving.level, 2);
    EXPECT_EQ(back.diving.next, 7);
}

TEST(DatRecord, DecodingOddBytes) {
    DatBytes b{};
    b[6] = 1;
    b[7] = 200;
    b[31] = 1;  // LED 0 code 1: 0 after conversion, off
    b[33] = 2;  // LED 1 code 2: lit
    b[39] = 2;
    b[40] = 1;
    b[41] = 1;
    b[42] = 1;
    b[63] = 7;
    b[64] = 0;
    b[65] = 0;
    StateMachine m;
    std::vector<std::uint8_t> file(b.begin(), b.end());
    load_state_bytes(file, StateFileFormat::dat102, m);
    const StateRecord& r = m.states[0];
    EXPECT_EQ(r.mode, mode::idle);
    EXPECT_EQ(r.wait_for_schedule, 0);
    EXPECT_EQ(r.led_setting[0], 0);
    EXPECT_EQ(r.led_setting[1], led_on);
    EXPECT_EQ(r.pump_direction, 0);
    EXPECT_EQ(r.pump_on, 0);
    EXPECT_EQ(r.stop_mode, stop::hall) << "the Hall flag is read first";
    EXPECT_EQ(r.microstep_code, 4);
    EXPECT_EQ(r.aux_switch, 1) << "neither switch flag: normalised to On";
    b[41] = 0;
    b[42] = 0;
    EXPECT_EQ(decode_dat_record(b).stop_mode, stop::time);
}

TEST_F(StateFiles, DatRoundTripThroughFiles) {
    StateMachine m = machine_of(3);
    m.states[1].mode = mode::hibernating;
    m.states[1].sync_value = 4;
    m.states[2].led_setting = {0, led_on, 0, 0};
    ASSERT_EQ(save_state_file(path("r.Dat"), m), FileResult::ok);
    StateMachine back;
    ASSERT_EQ(load_state_file(path("r.Dat"), back, fallback_state_defaults()), FileResult::ok);
    EXPECT_EQ(back.last_state_index, 2);
    EXPECT_EQ(back.states[1].mode, mode::idle);
    EXPECT_EQ(back.states[1].sync_value, 0);
    EXPECT_EQ(back.states[2].led_setting, m.states[2].led_setting);
    EXPECT_EQ(back.states[0], m.states[0]) << "a plain state survives unchanged";
}

TEST_F(StateFiles, SummaryCsv) {
    const StateMachine m = machine_of(2);
    const auto listing_rows = std::vector<std::vector<std::string>>{
        describe_state_row(0, m.states[0]), describe_state_row(1, m.states[1])};
    EXPECT_EQ(write_state_summary(path("s.csv"), listing_rows), SummaryResult::saved);
    const auto bytes = read(path("s.csv"));
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "state,mode,valves open,pump,leds on,pd5V,rec,delay,default next,counter1 trigger,"
              "counter2 trigger,counter3 trigger,counter4 trigger,counter5 trigger,counter6 "
              "trigger,diving depth trigger,climbing depth trigger,pump timeout trigger");
    EXPECT_NE(text.find("\n0,operating,none,off,0.1.2.3,on,on,1s,goto state 1,,,,,,,,,\n"),
              std::string::npos);
    EXPECT_EQ(summary_result_text(SummaryResult::saved, "x.csv"), "Summary saved to x.csv");

    EXPECT_EQ(write_state_summary(path("e.csv"), {}), SummaryResult::saved_empty);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 3);
    const auto empty = read(path("e.csv"));
    EXPECT_EQ(std::count(empty.begin(), empty.end(), '\n'), 1);
    EXPECT_EQ(summary_result_text(SummaryResult::saved_empty, "e.csv"), "");

    EXPECT_EQ(write_state_summary(path("no/dir/s.csv"), listing_rows), SummaryResult::open_failed);
    EXPECT_EQ(summary_result_text(SummaryResult::open_failed, "a.csv"),
              "Unable to open a.csv for write");
}

}  // namespace
}  // namespace quelmar::statemachine
