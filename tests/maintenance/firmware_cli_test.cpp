// The firmware commands of quelmar-cli, run as a user runs them: what they print and the exit
// status scripts rely on.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace quelmar::maintenance {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out;
};

// quelmar-cli sits beside the test programs.
fs::path cli_path() { return fs::read_symlink("/proc/self/exe").parent_path() / "quelmar-cli"; }

CliRun run_cli(const std::string& arguments) {
    CliRun r;
    const std::string command = cli_path().string() + " " + arguments + " 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 512> buffer;
    while (std::fgets(buffer.data(), buffer.size(), pipe)) r.out += buffer.data();
    const int raw = ::pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

struct FirmwareCli : ::testing::Test {
    fs::path image = fs::temp_directory_path() / ("quelmar_cli_" + std::to_string(::getpid()) + ".bin");
    void SetUp() override {
        if (!fs::exists(cli_path())) GTEST_SKIP() << "quelmar-cli is not built";
    }
    void TearDown() override { fs::remove(image); }
};

TEST_F(FirmwareCli, VersionTextVerdictAndMarkedReleaseTable) {
    const CliRun r = run_cli("firmware --text 1.3.1");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Sensor's Firmware Version: 1.3.1\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nDo not use Nutrient Processed Data features without updating firmware\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("\nFirmware Version,Date,Changes,Sensor\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n1.3.1,06/09/2023,pH bug fixes,*\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n1.3.3,19/10/2023,Bug fixes,\n"), std::string::npos);
    // A summary with a comma stays one cell.
    EXPECT_NE(r.out.find("\n1.2,01/05/2023,\"Test version only, do not deploy\",\n"), std::string::npos);

    EXPECT_EQ(run_cli("firmware").status, 2);
    EXPECT_EQ(run_cli("firmware --text 1.3.3 --virtual-sensor").status, 2);
}

TEST_F(FirmwareCli, UpgradeExitsZeroOnlyOnCompletion) {
    ASSERT_EQ(run_cli("make-firmware 1.3.1 " + image.string()).status, 0);
    const CliRun done = run_cli("upgrade --virtual-sensor " + image.string());
    EXPECT_EQ(done.status, 0);
    EXPECT_EQ(done.out, "Upgrade complete, " + std::to_string(fs::file_size(image)) + " bytes written\n");

    const CliRun missing = run_cli("upgrade --virtual-sensor " + image.string() + ".missing");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "Upgrade failed after 0 bytes (1)\n");

    // A bootloader image goes only to a sensor running firmware, and only with the option.
    EXPECT_EQ(run_cli("upgrade --bootloader --virtual-sensor " + image.string()).status, 0);
    EXPECT_EQ(run_cli("upgrade --device virtual:none " + image.string()).status, 1);
    EXPECT_EQ(run_cli("upgrade --virtual-sensor").status, 2);
    EXPECT_EQ(run_cli("make-firmware " + std::string(25, '1') + " " + image.string()).status, 2);
}

}  // namespace
}  // namespace quelmar::maintenance
