// quelmar-cli run-virtual as a user runs it, next to quelmar-cli process.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path cli_path() { return fs::canonical("/proc/self/exe").parent_path() / "quelmar-cli"; }

int run(const std::string& args) {
    const std::string command = cli_path().string() + " " + args + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::vector<std::string>> read_csv(const fs::path& path) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream s(line);
        std::string cell;
        while (std::getline(s, cell, ',')) cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

struct RunVirtualCli : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        ASSERT_TRUE(fs::exists(cli_path())) << "build quelmar-cli first";
        dir = fs::temp_directory_path() / "quelmar-run-virtual-test";
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
};

TEST_F(RunVirtualCli, PhResultsMatchOfflineProcessingAndTheModelsTruth) {
    const fs::path card = dir / "card";
    ASSERT_EQ(run("run-virtual --chemistry ph --cycles 3 --card " + card.string() + " -o " +
                  (dir / "onboard.csv").string() + " --truth " + (dir / "truth.csv").string()),
              0);
    const fs::path raw = card / "RAW00001.CSV";
    ASSERT_TRUE(fs::exists(raw));
    ASSERT_EQ(run("process " + raw.string() + " -o " + (dir / "offline.csv").string()), 0);

    const auto onboard = read_csv(dir / "onboard.csv");
    const auto offline = read_csv(dir / "offline.csv");
    const auto truth = read_csv(dir / "truth.csv");
    ASSERT_EQ(onboard.size(), 4u);  // titles and three results
    ASSERT_EQ(offline.size(), 4u);
    ASSERT_EQ(truth.size(), 4u);
    EXPECT_EQ(onboard[0][3], "pH");
    EXPECT_EQ(truth[0][1], "True pH");
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(onboard[i][2], offline[i][0]) << i;  // platform time
        EXPECT_EQ(onboard[i][3], offline[i][1]) << i;  // pH to the printed digit
        EXPECT_EQ(truth[i][0], onboard[i][2]) << i;
        EXPECT_NEAR(std::stod(onboard[i][3]), std::stod(truth[i][1]), 0.01) << i;
    }
}

TEST_F(RunVirtualCli, RefusesIncompleteOrUnknownRequests) {
    const std::string card = " --card " + (dir / "c").string();
    EXPECT_EQ(run("run-virtual" + card), 2);                          // no --cycles
    EXPECT_EQ(run("run-virtual --cycles 2"), 2);                      // no --card
    EXPECT_EQ(run("run-virtual --cycles 0" + card), 2);
    EXPECT_EQ(run("run-virtual --cycles 2 --chemistry ta" + card), 2);
    EXPECT_EQ(run("run-virtual --cycles 2 --speed -1" + card), 2);
    // A card folder that cannot be made is a failure, not a crash.
    std::ofstream(dir / "file") << "x";
    EXPECT_EQ(run("run-virtual --cycles 1 --card " + (dir / "file" / "sub").string()), 1);
}

}  // namespace
