// The command line's progress bar: its text for a fraction and a width, how seldom it is
// redrawn, and the bytes of several files read one after another.

#include "common/progress_bar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quelmar::common {
namespace {

TEST(ProgressBarText, FillsInProportionWithinTheWidth) {
    const std::string half = progress_bar_text(50'000'000, 100'000'000, 60);
    EXPECT_EQ(half.size(), 60u);
    EXPECT_EQ(half.substr(half.size() - 20), "  50%  50.0/100.0 MB");
    const std::size_t cells = half.find(']') - 1;
    EXPECT_EQ(std::count(half.begin(), half.end(), '#'), static_cast<long>(cells / 2));

    const std::string full = progress_bar_text(100, 100, 40);
    EXPECT_EQ(full.find(' '), full.find(']') + 1);  // every cell filled
    EXPECT_NE(full.find("100%"), std::string::npos);
    // Just short of the end is not yet 100%.
    EXPECT_NE(progress_bar_text(999'999, 1'000'000, 60).find(" 99%"), std::string::npos);
}

TEST(ProgressBarText, OddInputsStayInBounds) {
    EXPECT_EQ(progress_bar_text(500, 100, 60), progress_bar_text(100, 100, 60));
    const std::string zero = progress_bar_text(0, 0, 60);
    EXPECT_EQ(zero.size(), 60u);
    EXPECT_EQ(zero.find('#'), std::string::npos);
    EXPECT_NE(zero.find("  0%"), std::string::npos);
    // Narrow terminals lose the sizes first, then the bar; the percentage stays.
    const std::string narrow = progress_bar_text(1, 2, 20);
    EXPECT_EQ(narrow.size(), 20u);
    EXPECT_EQ(narrow.find("MB"), std::string::npos);
    EXPECT_EQ(progress_bar_text(1, 2, 5), " 50%");
    EXPECT_EQ(progress_bar_text(1, 2, 0), " 50%");
    // Sizes past 32 bits.
    EXPECT_NE(progress_bar_text(6'000'000'000ull, 12'000'000'000ull, 80).find("6000.0/12000.0 MB"),
              std::string::npos);
}

class ProgressBarDrawing : public testing::Test {
  protected:
    ProgressBar make(std::uint64_t total) {
        return ProgressBar(
            total, 60, [this](const std::string& s) { drawn.push_back(s); },
            [this] { return now; });
    }
    std::vector<std::string> drawn;
    std::chrono::steady_clock::time_point now{};
};

TEST_F(ProgressBarDrawing, RedrawsOnlyWhenDueAndChanged) {
    ProgressBar bar = make(1000);
    bar.update(0);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0][0], '\r');
    bar.update(500);  // too soon after the last drawing
    EXPECT_EQ(drawn.size(), 1u);
    now += std::chrono::milliseconds(100);
    bar.update(500);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_NE(drawn[1].find(" 50%"), std::string::npos);
    now += std::chrono::milliseconds(500);
    bar.update(500);  // the same picture is not drawn again
    EXPECT_EQ(drawn.size(), 2u);
}

TEST_F(ProgressBarDrawing, FinishShowsTheLastStateAndEndsTheLineOnce) {
    ProgressBar bar = make(1000);
    bar.update(100);
    bar.update(1000);  // within the interval: not drawn, but kept for the end
    bar.finish();
    bar.finish();
    bar.update(10);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[1].back(), '\n');
    EXPECT_NE(drawn[1].find("100%"), std::string::npos);
}

TEST(SuccessiveFiles, AddsTheFilesBeforeTheOneBeingRead) {
    SuccessiveFilesProgress p;
    EXPECT_EQ(p.add(100, 1000), 100u);
    EXPECT_EQ(p.add(1000, 1000), 1000u);  // the first file's end
    EXPECT_EQ(p.add(2000, 5000), 3000u);  // the second, already further than the first
    EXPECT_EQ(p.add(5000, 5000), 6000u);
    EXPECT_EQ(p.add(10, 5000), 6010u);  // a third of the same size
    EXPECT_EQ(p.add(20, 5000), 6020u);
    EXPECT_EQ(p.add(5, 5000), 11005u);  // going back: a fourth
}

}  // namespace
}  // namespace quelmar::common
