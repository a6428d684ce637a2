// quelmar-cli process writing NetCDF: chosen by the output's extension or --format, refused
// on standard output, and no progress bar where nobody watches.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

#include "processing/example_files.h"
#include "tests/support/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace quelmar;

fs::path cli_path() { return fs::canonical("/proc/self/exe").parent_path() / "quelmar-cli"; }

std::string read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool is_netcdf4(const fs::path& p) { return read(p).rfind("\x89HDF\r\n\x1a\n", 0) == 0; }

class ProcessCli : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(cli_path())) << "build quelmar-cli first";
        // A folder of the suite's and the process's own, removed afterwards.
        dir_ = test_support::make_scratch_folder();
        raw_ = dir_ / "raw.csv";
        std::ofstream(raw_, std::ios::binary) << processing::dic_example({});
    }
    void TearDown() override {
        test_support::remove_scratch_folder(dir_);
    }
    // The exit status; standard output and error into files of the folder.
    int run(const std::string& args) {
        const std::string command = cli_path().string() + " process " + args + " >" +
                                    (dir_ / "out").string() + " 2>" + (dir_ / "err").string();
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    fs::path dir_, raw_;
};

TEST_F(ProcessCli, TheExtensionOrTheFormatOptionChoosesNetcdf) {
    EXPECT_EQ(run("-o " + (dir_ / "a.nc").string() + " " + raw_.string()), 0);
    EXPECT_TRUE(is_netcdf4(dir_ / "a.nc"));
    EXPECT_EQ(run("-o " + (dir_ / "b.NC").string() + " " + raw_.string()), 0);
    EXPECT_TRUE(is_netcdf4(dir_ / "b.NC"));
    EXPECT_EQ(run("--format netcdf -o " + (dir_ / "c.out").string() + " " + raw_.string()), 0);
    EXPECT_TRUE(is_netcdf4(dir_ / "c.out"));
    // Named explicitly, CSV wins over the extension.
    EXPECT_EQ(run("--format csv -o " + (dir_ / "d.nc").string() + " " + raw_.string()), 0);
    EXPECT_EQ(read(dir_ / "d.nc").rfind("Time (platform),Meas State,", 0), 0u);
    EXPECT_EQ(read(dir_ / "err"), "");
}

TEST_F(ProcessCli, NetcdfIsNotWrittenToStandardOutput) {
    EXPECT_EQ(run("--format netcdf " + raw_.string()), 2);
    EXPECT_EQ(read(dir_ / "out"), "");
    const std::string err = read(dir_ / "err");
    EXPECT_NE(err.find("NetCDF is not written to standard output"), std::string::npos) << err;
    EXPECT_NE(err.find("usage:"), std::string::npos);
    EXPECT_EQ(run("--format xml -o x " + raw_.string()), 2);
    EXPECT_EQ(run(raw_.string() + " --format"), 2);
}

TEST_F(ProcessCli, ALargeInputIsSilentWhenStandardErrorIsNoTerminal) {
    processing::ExampleOptions o;
    o.cycles = 800;
    std::ofstream(raw_, std::ios::binary) << processing::dic_example(o);
    ASSERT_GT(fs::file_size(raw_), 8u << 20) << "the example no longer reaches the bar's size";
    EXPECT_EQ(run("-o " + (dir_ / "big.nc").string() + " " + raw_.string()), 0);
    EXPECT_EQ(read(dir_ / "err"), "");
}

}  // namespace
