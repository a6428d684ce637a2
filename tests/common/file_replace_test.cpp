// Moving a finished save into place: the file a user had keeps its permissions, a new file is
// readable as any file the user makes (not mkstemp's 0600), and a failed move says so.

#include "common/file_replace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "tests/support/scratch_folder.h"

namespace quelmar::common {
namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

mode_t mode_of(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

class FileReplace : public testing::Test {
  protected:
    void SetUp() override { dir_ = test_support::make_scratch_folder(); }
    void TearDown() override { test_support::remove_scratch_folder(dir_); }
    fs::path temp_with(const std::string& text) {
        const fs::path p = dir_ / "save.tmp";
        std::ofstream(p) << text;
        ::chmod(p.c_str(), 0600);
        return p;
    }
    fs::path dir_;
};

TEST_F(FileReplace, AnExistingFileKeepsItsPermissionsAndANewOneFollowsTheUmask) {
    const fs::path kept = dir_ / "kept.csv";
    std::ofstream(kept) << "old";
    ::chmod(kept.c_str(), 0640);
    ASSERT_TRUE(move_into_place(temp_with("new").string(), kept.string()));
    EXPECT_EQ("new", read(kept));
    EXPECT_EQ(0640u, mode_of(kept));
    EXPECT_FALSE(fs::exists(dir_ / "save.tmp"));

    const mode_t mask = ::umask(022);
    const fs::path fresh = dir_ / "fresh.csv";
    const bool moved = move_into_place(temp_with("first").string(), fresh.string());
    ::umask(mask);
    ASSERT_TRUE(moved);
    EXPECT_EQ(0644u, mode_of(fresh));
}

TEST_F(FileReplace, AMoveThatCannotHappenIsReportedAndTheTemporaryFileStays) {
    const fs::path temp = temp_with("data");
    EXPECT_FALSE(move_into_place(temp.string(), (dir_ / "no such folder" / "x.csv").string()));
    EXPECT_EQ("data", read(temp));
}

}  // namespace
}  // namespace quelmar::common
