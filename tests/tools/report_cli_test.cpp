// quelmar-cli report prints the lines of the "Sensor Configuration Log" dialog: both come from
// the same function, and the program adds nothing and drops nothing on the way to the file.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "config/configuration_report.h"
#include "link/sensor_link.h"
#include "virtual_sensor/virtual_sensor.h"

namespace {

namespace fs = std::filesystem;
using namespace quelmar;

fs::path cli_path() { return fs::canonical("/proc/self/exe").parent_path() / "quelmar-cli"; }

// The clock runs between the two reports: dates and times are compared by their shape only.
std::string without_times(const std::string& line) {
    static const std::regex time(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)");
    return std::regex_replace(line, time, "<time>");
}

TEST(ReportCli, PrintsTheDialogsLinesForTheVirtualSensor) {
    ASSERT_TRUE(fs::exists(cli_path())) << "build quelmar-cli first";
    const fs::path out = fs::temp_directory_path() / "quelmar-report-cli-test.log";
    fs::remove(out);
    const std::string command = cli_path().string() + " report --virtual-sensor -o " + out.string();
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    std::vector<std::string> printed;
    {
        std::ifstream in(out);
        for (std::string line; std::getline(in, line);) printed.push_back(without_times(line));
    }
    fs::remove(out);

    virtual_sensor::VirtualSensor sensor;
    sensor.attach();
    link::SensorLink sensor_link;
    ASSERT_EQ(link::sensor_link_open(sensor_link, sensor.path(), 3000), link::LinkResult::ok);
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    const auto report = config::build_configuration_report(sensor_link, now);
    link::sensor_link_close(sensor_link);

    ASSERT_GT(report.lines.size(), 50u);
    ASSERT_EQ(printed.size(), report.lines.size());
    for (std::size_t i = 0; i < printed.size(); ++i)
        EXPECT_EQ(printed[i], without_times(report.lines[i])) << "line " << i + 1;
}

}  // namespace
