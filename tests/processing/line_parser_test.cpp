// The fast data-line parser against the sscanf reading it replaces, and the line reader.

#include "processing/line_parser.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <random>

#include "processing/raw_file.h"
#include "test_records.h"

namespace quelmar::processing {
namespace {

// Same count and bit-identical fields (both start from the same record).
void expect_same_as_scanf(const std::string& line, DataForm form) {
    RawRecord fast, ref;
    fast.counter = ref.counter = 77;
    const int nf = parse_data_line(line, form, fast);
    const int nr = parse_data_line_scanf(line, form, ref);
    ASSERT_EQ(nf, nr) << '"' << line << '"';
    EXPECT_EQ(0, std::memcmp(&fast.counter, &ref.counter, sizeof fast.counter)) << line;
    EXPECT_EQ(fast.state, ref.state) << line;
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(fast.channels[i]),
                  std::bit_cast<std::uint64_t>(ref.channels[i]))
            << line << " channel " << i;
    const double* fd[] = {&fast.temperature,          &fast.voltage,     &fast.platform_salinity,
                          &fast.platform_temperature, &fast.platform_do, &fast.platform_depth};
    const double* rd[] = {&ref.temperature,          &ref.voltage,     &ref.platform_salinity,
                          &ref.platform_temperature, &ref.platform_do, &ref.platform_depth};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*fd[i]), std::bit_cast<std::uint64_t>(*rd[i]))
            << line;
    EXPECT_EQ(fast.hall_inject, ref.hall_inject) << line;
    EXPECT_EQ(fast.hall_withdraw, ref.hall_withdraw) << line;
    EXPECT_EQ(fast.sensor_time, ref.sensor_time) << line;
    EXPECT_EQ(fast.platform_time, ref.platform_time) << line;
}

const char* const tail =
    ",1.0,2.0,3.0,4.0,5.0,6.0,7.0,15.2,12.1,3,4,1767225600,35.1,12.3,5.5,10,1767225598";

TEST(LineParser, MatchesScanfOnTheFormsTheConversionsAllow) {
    const char* heads[] = {"1,2,0.5",
                           "1, 2,0.5",
                           "1,2, \t0.5",
                           " 1,2,0.5",
                           "1 ,2,0.5",
                           "1,2,.5",
                           "1,2,5.",
                           "1,2,-.5",
                           "1,2,+0.5",
                           "1,2,.",
                           "1,2,-",
                           "1,2,+.e1",
                           "1,2,1e",
                           "1,2,1e+",
                           "1,2,1e-3",
                           "1,2,1E+05",
                           "1,2,1ee",
                           "1,2,1e5e",
                           "1,2,1.5.5",
                           "1,2,1e5.3",
                           "1,2,inf",
                           "1,2,-INF",
                           "1,2,infinity",
                           "1,2,infin",
                           "1,2,nan",
                           "1,2,nan(1)",
                           "1,2,NaN",
                           "1,2,0x1p3",
                           "1,2,0x",
                           "1,2,0x1.8",
                           "1,2,0x1p",
                           "1,2,00x1",
                           "1,2,-0.0",
                           "1,2,1e99999",
                           "1,2,1e-99999",
                           "1,2,123456789012345678901234567890",
                           "1,2,0.000000000000000000000000001",
                           "1,2,9007199254740993",
                           "1,2,2.2250738585072011e-308",
                           "1,2,4.9e-324",
                           "1,2,1.7976931348623157e308",
                           "1,2,0.1000000000000000055511151231257827",
                           "-1,2,0.5",
                           "+5,2,0.5",
                           "4294967296,2,0.5",
                           "99999999999999999999999,2,0.5",
                           "-99999999999999999999999,2,0.5",
                           "-,2,0.5",
                           "+,2,0.5",
                           "0x10,2,0.5",
                           "007,300,0.5",
                           "18446744073709551616,2,0.5",
                           "1,,0.5",
                           ",2,0.5",
                           "",
                           "   ",
                           "%Counter",
                           "1,2\v,0.5",
                           "1,2,0.5\r"};
    for (const char* head : heads) {
        expect_same_as_scanf(std::string(head) + tail, DataForm::fields20);
        expect_same_as_scanf(std::string(head) + tail, DataForm::fields15);
        expect_same_as_scanf(head, DataForm::fields20);
    }
}

TEST(LineParser, MatchesScanfOnRandomNumbersAndMutations) {
    std::mt19937_64 rng(12345);
    const char alphabet[] = "0123456789.,eE+-xXinfaINFA \t";
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        char buf[64];
        for (int f = 0; f < 20; ++f) {
            if (f)
                line += ',';
            if (f < 2 || (f >= 12 && f <= 14) || f == 19)
                std::snprintf(buf, sizeof buf, "%llu",
                              static_cast<unsigned long long>(rng() >> (rng() % 64)));
            else
                std::snprintf(buf, sizeof buf, rng() % 2 ? "%.*f" : "%.*e",
                              static_cast<int>(rng() % 20),
                              std::ldexp(static_cast<double>(rng() >> 11),
                                         static_cast<int>(rng() % 80) - 60) *
                                  (rng() % 2 ? 1 : -1));
            line += buf;
        }
        // Mutate a few characters.
        const int mutations = static_cast<int>(rng() % 4);
        for (int m = 0; m < mutations && !line.empty(); ++m)
            line[rng() % line.size()] = alphabet[rng() % (sizeof alphabet - 1)];
        expect_same_as_scanf(line, DataForm::fields20);
        if (HasFailure())
            return;
    }
}

TEST(LineParser, FifteenFieldLineInTwentyFieldFormLeavesPlatformDataZero) {
    RawRecord r;
    std::string line = test::data_line(5, 3, test::all_channels(1.25), 1767225600, false);
    line.pop_back();
    EXPECT_EQ(15, parse_data_line(line, DataForm::fields20, r));
    EXPECT_EQ(3, r.state);
    EXPECT_EQ(1.25, r.channels[7]);
    EXPECT_EQ(0u, r.platform_time);
    EXPECT_EQ(0.0, r.platform_salinity);
}

TEST(LineParser, StateIsTheLowEightBits) {
    RawRecord r;
    std::string line = test::data_line(5, 258, test::all_channels(1));
    EXPECT_EQ(20, parse_data_line(line, DataForm::fields20, r));
    EXPECT_EQ(2, r.state);
}

std::vector<std::string> read_lines(RawSource& source, bool* failed = nullptr) {
    LineReader reader(source, 64);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line))
        lines.emplace_back(line);
    if (failed)
        *failed = reader.failed();
    return lines;
}

TEST(LineReader, ReadsWholeLinesHoweverLong) {
    // A comment longer than 199 characters whose tail looks like a data line must stay one
    // line: read in 200-byte pieces its tail would have become a false record.
    std::string comment =
        "%" + std::string(199, 'x') + test::data_line(1, 2, test::all_channels(1));
    MemorySource source(comment + "line two\r\nlast");
    const auto lines = read_lines(source);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(comment.size() - 1, lines[0].size());
    EXPECT_EQ("line two", lines[1]);
    EXPECT_EQ("last", lines[2]);
}

TEST(LineReader, SkipsALineBeyondTheLimitWhole) {
    std::string text = "first\n" + std::string(max_line_length + 10, '1') + "\nafter\n";
    MemorySource source(text);
    const auto lines = read_lines(source);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("after", lines[1]);
}

TEST(LineReader, ReportsAReadErrorAfterTheLinesBeforeIt) {
    MemorySource source("one\ntwo\nthr", 9);
    bool failed = false;
    const auto lines = read_lines(source, &failed);
    EXPECT_TRUE(failed);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("two", lines[1]);
}

TEST(LineReader, BatchesGiveTheSameLinesAsOneAtATime) {
    // Small chunks make the batches end where the buffer does; the over-long line is skipped
    // in batches as it is line by line, and a read error ends both after the same lines.
    std::string text;
    for (int i = 0; i < 500; ++i)
        text += test::data_line(static_cast<std::uint32_t>(i), 1, test::all_channels(1.5));
    text += std::string(max_line_length + 3, '7') + "\r\nafter\r\n" + text + "tail";
    for (std::size_t fail_after : {std::string::npos, text.size() / 2}) {
        MemorySource one(text, fail_after);
        LineReader single(one, 4096);
        std::vector<std::string> expected;
        std::string_view line;
        while (single.next(line))
            expected.emplace_back(line);

        MemorySource many(text, fail_after);
        LineReader batched(many, 4096);
        std::vector<std::string> got;
        std::vector<std::string_view> batch;
        std::size_t batches = 0;
        while (batched.next_batch(batch, 37)) {
            ASSERT_LE(batch.size(), 37u);
            ++batches;
            got.insert(got.end(), batch.begin(), batch.end());
        }
        EXPECT_EQ(expected, got);
        EXPECT_GT(batches, 10u);
        EXPECT_EQ(single.failed(), batched.failed());
        EXPECT_EQ(single.bytes_read(), batched.bytes_read());
    }
}

}  // namespace
}  // namespace quelmar::processing
