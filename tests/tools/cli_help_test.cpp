// What quelmar-cli says about itself: its version is the About box's and the package's, every
// subcommand answers --help, and the manual page keeps up with the subcommands, their options
// and the exit statuses.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "processing/process_command.h"
#include "tools/cli.h"
#include "ui/shell_state.h"
#include "tests/support/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace quelmar;

fs::path bin_dir() {
    return fs::canonical("/proc/self/exe").parent_path();
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct CliRun {
    int status = -1;
    std::string out, err;
};

// The tests run quelmar-cli in a folder of the suite's and the process's own, removed
// afterwards whatever the outcome.
class CliFolder : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = test_support::make_scratch_folder();
    }
    void TearDown() override {
        test_support::remove_scratch_folder(dir_);
    }
    CliRun run_cli(const std::string& args) const;
    struct Usage {
        std::vector<std::string> names;
        std::vector<std::string> lines;
    };
    // The subcommands and their usage lines, as `quelmar-cli --help` lists them.
    Usage listed_usage() const;

    fs::path dir_;
};

using CliVersion = CliFolder;
using ProgramVersion = CliFolder;
using CliHelp = CliFolder;
using CliManualPage = CliFolder;

// Runs quelmar-cli with `args` (already quoted for the shell) in the test's folder.
CliRun CliFolder::run_cli(const std::string& args) const {
    const fs::path& dir = dir_;
    const std::string command =
        "cd " + dir.string() + " && " + (bin_dir() / "quelmar-cli").string() + " " + args + " >" +
        (dir / "out").string() + " 2>" + (dir / "err").string() + " </dev/null";
    CliRun r;
    const int status = std::system(command.c_str());
    if (WIFEXITED(status))
        r.status = WEXITSTATUS(status);
    r.out = read_file(dir / "out");
    r.err = read_file(dir / "err");
    fs::remove(dir / "out");
    fs::remove(dir / "err");
    return r;
}

CliFolder::Usage CliFolder::listed_usage() const {
    Usage u;
    const CliRun r = run_cli("--help");
    std::istringstream lines(r.out);
    static const std::regex command(R"(^quelmar-cli ([a-z][a-z-]*))");
    std::set<std::string> seen;
    for (std::string line; std::getline(lines, line);) {
        u.lines.push_back(line);
        std::smatch m;
        if (std::regex_search(line, m, command) && seen.insert(m[1]).second)
            u.names.push_back(m[1]);
    }
    return u;
}

std::string gui_version_of_about_box() {
    const std::string about = ui::about_text("", "");
    const std::string key = "GUI Version: ";
    const auto at = about.find(key);
    if (at == std::string::npos)
        return {};
    return about.substr(at + key.size(), about.find('\n', at) - at - key.size());
}

TEST_F(CliVersion, IsTheAboutBoxsAndThePackagesVersion) {
    const CliRun r = run_cli("--version");
    EXPECT_EQ(r.status, 0);
    const std::string version = gui_version_of_about_box();
    ASSERT_FALSE(version.empty());
    EXPECT_EQ(r.out, "quelmar-cli " + version + "\n");
    EXPECT_EQ(r.err, "");

    // The package takes its version from the same place when the build is configured.
    const fs::path cpack = bin_dir().parent_path() / "CPackConfig.cmake";
    ASSERT_TRUE(fs::exists(cpack)) << cpack;
    EXPECT_NE(read_file(cpack).find("set(CPACK_PACKAGE_VERSION \"" + version + "\")"),
              std::string::npos);
    const std::string metainfo = read_file(bin_dir().parent_path() / "packaging" /
                                           "example.stillmarsh.Quelmar.metainfo.xml");
    EXPECT_NE(metainfo.find("<release version=\"" + version + "\""), std::string::npos);
}

TEST_F(ProgramVersion, TheMainProgramPrintsTheSameVersionWithoutADisplay) {
    const fs::path program = bin_dir() / "quelmar";
    if (!fs::exists(program))
        GTEST_SKIP() << "the program is not built (QUELMAR_BUILD_UI=OFF)";
    // No platform given at all: --version must not need one.
    const std::string out = (dir_ / "version.out").string();
    const int status = std::system(("env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY " +
                                    program.string() + " --version >" + out + " 2>&1 </dev/null")
                                       .c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read_file(out), "quelmar " + gui_version_of_about_box() + "\n");
}

TEST_F(CliHelp, EverySubcommandExplainsItselfOnStandardOutput) {
    const Usage usage = listed_usage();
    ASSERT_GE(usage.names.size(), 12u) << "quelmar-cli --help lists fewer subcommands than it has";
    for (const auto& name : usage.names) {
        for (const char* flag : {"--help", "-h"}) {
            SCOPED_TRACE(name + " " + flag);
            const CliRun r = run_cli(name + " " + flag);
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.out.rfind("usage:\nquelmar-cli " + name, 0), 0u) << r.out;
            // Below the usage, a paragraph on what it does.
            const auto gap = r.out.find("\n\n");
            ASSERT_NE(gap, std::string::npos) << r.out;
            EXPECT_GT(r.out.size(), gap + 40) << r.out;
        }
    }
}

TEST_F(CliHelp, WinsOverTheOtherArgumentsAndDoesNothingElse) {
    // Without the help these would write to a sensor, or write files into the current folder.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"upgrade --virtual-sensor image.bin --help", "upgrade --help"},
        {"make-examples . -h", "make-examples --help"},
        {"make-firmware 9.9 x.bin --help", "make-firmware --help"}};
    for (const auto& [args, plain] : cases) {
        SCOPED_TRACE(args);
        const CliRun r = run_cli(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_FALSE(fs::exists(dir_ / "nitrate.csv"));
        EXPECT_FALSE(fs::exists(dir_ / "x.bin"));
        EXPECT_EQ(r.out, run_cli(plain).out);
    }
    // An unknown subcommand is still a usage error, help or not.
    EXPECT_EQ(run_cli("no-such-command --help").status, tools::exit_usage);
}

TEST_F(CliHelp, ProcessListsEveryExitStatusItEnds) {
    const CliRun r = run_cli("process --help");
    const auto at = r.out.find("Exit status:");
    ASSERT_NE(at, std::string::npos) << r.out;
    // The statuses, each before what it means, joined across the lines of the paragraph.
    std::string exits = r.out.substr(at);
    std::replace(exits.begin(), exits.end(), '\n', ' ');
    for (int code : {tools::exit_ok, tools::exit_failure, tools::exit_usage,
                     processing::process_refused, processing::process_read_error}) {
        const std::string word = " " + std::to_string(code) + " ";
        EXPECT_NE(exits.find(word), std::string::npos) << code << " in: " << exits;
    }
}

TEST_F(CliManualPage, ListsEverySubcommandOptionAndExitStatus) {
    std::string page = read_file(fs::path(QUELMAR_SOURCE_DIR) / "packaging" / "quelmar-cli.1.in");
    ASSERT_FALSE(page.empty());
    // roff writes a minus as "\-".
    page = std::regex_replace(page, std::regex(R"(\\-)"), "-");

    const Usage usage = listed_usage();
    ASSERT_FALSE(usage.names.empty());
    for (const auto& name : usage.names) {
        const bool entry = page.find("\n.B " + name + " ") != std::string::npos ||
                           page.find("\n.B " + name + "\n") != std::string::npos;
        EXPECT_TRUE(entry) << "no entry for " << name;
    }
    static const std::regex option(R"((^|[\s\[(|])(--?[a-z][a-z0-9-]*))");
    for (const auto& line : usage.lines) {
        for (std::sregex_iterator it(line.begin(), line.end(), option), end; it != end; ++it) {
            const std::string o = (*it)[2];
            EXPECT_NE(page.find(o), std::string::npos) << o << " of \"" << line << "\"";
        }
    }

    const auto exit_section = page.find(".SH EXIT STATUS");
    ASSERT_NE(exit_section, std::string::npos);
    const std::string exits =
        page.substr(exit_section, page.find(".SH", exit_section + 1) - exit_section);
    for (int code :
         {tools::exit_ok, tools::exit_failure, tools::exit_usage, processing::process_usage,
          processing::process_refused, processing::process_read_error}) {
        EXPECT_NE(exits.find("\n.B " + std::to_string(code) + "\n"), std::string::npos) << code;
    }
}

}  // namespace
