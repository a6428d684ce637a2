#include "common/csv_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace quelmar::common;
namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct CsvFixture : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("csv_writer_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
};

TEST_F(CsvFixture, WritesTitlesThenRowsWithoutQuoting) {
    const fs::path p = dir / "out.csv";
    std::string error;
    ASSERT_TRUE(write_csv_file(p.string(), {"A", "B (°C)"}, {{"1", "x y"}, {"2", ""}}, error)) << error;
    EXPECT_EQ(read_file(p), "A,B (°C)\n1,x y\n2,\n");
    // Nothing but the target is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(CsvFixture, FailedSaveReportsFailureAndKeepsTheOldFile) {
    const fs::path p = dir / "kept.csv";
    std::ofstream(p) << "old contents\n";
    {
        CsvWriter w;
        ASSERT_TRUE(w.open(p.string()));
        ASSERT_TRUE(w.write_row({"new"}));
        // Abandoned without commit (a cancelled save): the old file stays.
    }
    EXPECT_EQ(read_file(p), "old contents\n");

    std::string error;
    EXPECT_FALSE(write_csv_file((dir / "missing" / "x.csv").string(), {"A"}, {}, error));
    EXPECT_FALSE(error.empty());

    // Writing after a failure keeps failing; commit reports it and the target is untouched.
    {
        CsvWriter w;
        EXPECT_FALSE(w.write_row({"no file open"}));
        EXPECT_FALSE(w.commit());
    }
    EXPECT_EQ(read_file(p), "old contents\n");
}

TEST_F(CsvFixture, ReplacingKeepsThePermissionsOfTheOldFile) {
    const fs::path p = dir / "perm.csv";
    std::ofstream(p) << "x\n";
    fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::string error;
    ASSERT_TRUE(write_csv_file(p.string(), {"T"}, {{"1"}}, error));
    EXPECT_EQ(fs::status(p).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(read_file(p), "T\n1\n");
}

}  // namespace
