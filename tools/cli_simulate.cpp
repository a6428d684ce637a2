// quelmar-cli simulate: stand in for a host platform on a serial port, headless, for bench
// automation. quelmar-cli virtual-serial: the virtual sensor's RS232 side on a pseudo-terminal,
// to try the two against each other from a shell.

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "simulator/simulation.h"
#include "tools/cli.h"
#include "virtual_sensor/rs232_side.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::tools {

namespace {

constexpr const char* simulate_usage =
    "quelmar-cli simulate --platform seaglider|korvane|eti --port PATH [--baud N] [--dive N]\n"
    "    [--update-interval S] [--min-depth M] [--max-depth M] [--dive-rate CM_S]\n"
    "    [--climb-rate CM_S] [--salinity PSU] [--temperature C] [--p1 N] [--p2 N] [--p3 N]\n"
    "    [--sampling] [--sample-interval S] [--download] [--duration S]\n"
    "  status texts are printed as lines starting \"# \", result rows as CSV";
constexpr const char* virtual_serial_usage =
    "quelmar-cli virtual-serial   (prints the pseudo-terminal's path; runs until interrupted)";

std::atomic<bool> interrupted{false};
extern "C" void on_interrupt(int) { interrupted = true; }

void catch_interrupts() {
    std::signal(SIGINT, on_interrupt);
    std::signal(SIGTERM, on_interrupt);
}

bool parse_long(const char* text, long long& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    out = std::strtoll(text, &end, 10);
    return *end == '\0';
}
bool parse_double(const char* text, double& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    out = std::strtod(text, &end);
    return *end == '\0';
}

int simulate_usage_error(const char* what, const char* arg) {
    std::fprintf(stderr, "quelmar-cli simulate: %s%s%s\nusage:\n%s\n", what, arg ? " " : "",
                 arg ? arg : "", simulate_usage);
    return exit_usage;
}

int run_simulate(int argc, char** argv) {
    using namespace simulator;
    PlatformSettings s;
    SerialSettings line;
    bool download = false;
    long long duration = -1;
    s.max_depth_m = 10;
    s.dive_rate_cm_s = 10;
    s.climb_rate_cm_s = 10;
    s.update_interval_s = 10;
    s.sample_interval_s = 10;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        long long n = 0;
        double d = 0;
        auto integer = [&](auto& field, long long lo, long long hi) {
            if (!parse_long(v, n)) return false;
            field = static_cast<std::remove_reference_t<decltype(field)>>(std::clamp(n, lo, hi));
            ++i;
            return true;
        };
        bool ok = true;
        if (std::strcmp(a, "--platform") == 0) {
            ++i;
            if (v && std::strcmp(v, "seaglider") == 0) s.type = PlatformType::seaglider;
            else if (v && std::strcmp(v, "korvane") == 0) s.type = PlatformType::korvane;
            else if (v && std::strcmp(v, "eti") == 0) s.type = PlatformType::eti;
            else return simulate_usage_error("unknown platform", v);
        } else if (std::strcmp(a, "--port") == 0) {
            if (!v) return simulate_usage_error("missing value of", a);
            line.path = v;
            ++i;
        } else if (std::strcmp(a, "--baud") == 0) ok = integer(line.baud_rate, 1, 4000000);
        else if (std::strcmp(a, "--dive") == 0) ok = integer(s.dive_number, 0, 65535);
        else if (std::strcmp(a, "--update-interval") == 0) ok = integer(s.update_interval_s, 1, 99999);
        else if (std::strcmp(a, "--sample-interval") == 0) ok = integer(s.sample_interval_s, 1, 99999);
        else if (std::strcmp(a, "--min-depth") == 0) ok = integer(s.min_depth_m, -100000, 100000);
        else if (std::strcmp(a, "--max-depth") == 0) ok = integer(s.max_depth_m, -100000, 100000);
        else if (std::strcmp(a, "--dive-rate") == 0) ok = integer(s.dive_rate_cm_s, -100000, 100000);
        else if (std::strcmp(a, "--climb-rate") == 0) ok = integer(s.climb_rate_cm_s, -100000, 100000);
        else if (std::strcmp(a, "--p1") == 0) ok = integer(s.p1, INT32_MIN, INT32_MAX);
        else if (std::strcmp(a, "--p2") == 0) ok = integer(s.p2, INT32_MIN, INT32_MAX);
        else if (std::strcmp(a, "--p3") == 0) ok = integer(s.p3, INT32_MIN, INT32_MAX);
        else if (std::strcmp(a, "--duration") == 0) ok = integer(duration, 0, 1LL << 31);
        else if (std::strcmp(a, "--salinity") == 0) { ok = parse_double(v, d); s.salinity = d; ++i; }
        else if (std::strcmp(a, "--temperature") == 0) { ok = parse_double(v, d); s.temperature = d; ++i; }
        else if (std::strcmp(a, "--sampling") == 0) s.sampling = true;
        else if (std::strcmp(a, "--download") == 0) download = true;
        else return simulate_usage_error("unknown option", a);
        if (!ok) return simulate_usage_error("bad value of", a);
    }
    if (s.type == PlatformType::none) return simulate_usage_error("--platform is required", nullptr);
    if (line.path.empty()) return simulate_usage_error("--port is required", nullptr);
    if (download && s.type == PlatformType::eti)
        return simulate_usage_error("--download is for the gliders", nullptr);

    std::string error;
    SerialPort port = open_posix_port(line, &error);
    if (!port.write) {
        std::fprintf(stderr, "Can't open serial port %s - %s\n", line.path.c_str(), error.c_str());
        return exit_failure;
    }

    std::mutex out;
    SimulationEvents events;
    events.status = [&](const std::string& text) {
        std::lock_guard lock(out);
        std::printf("# %s\n", text.c_str());
        std::fflush(stdout);
    };
    events.row = [&](const ResultRow& row) {
        std::string csv;
        for (std::size_t c = 0; c < row.cells.size(); ++c) csv += (c ? "," : "") + row.cells[c];
        std::lock_guard lock(out);
        std::printf("%s\n", csv.c_str());
        std::fflush(stdout);
    };
    {
        std::string titles;
        for (std::size_t c = 0; c < result_columns; ++c) {
            if (c)
                titles += ',';
            titles += result_column_titles[c];
        }
        std::printf("%s\n", titles.c_str());
    }
    catch_interrupts();
    std::atomic<bool> finished{false};
    Simulation sim;
    const SimulationKind kind = download ? SimulationKind::download
                                : s.type == PlatformType::eti ? SimulationKind::eti
                                                              : SimulationKind::glider;
    sim.start(std::move(port), kind, s, events, [&] { finished = true; });
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(duration);
    while (!interrupted && !finished && (duration < 0 || std::chrono::steady_clock::now() < end))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    sim.stop();
    return exit_ok;
}

int run_virtual_serial(int argc, char** argv) {
    if (argc > 1) {
        std::fprintf(stderr, "quelmar-cli virtual-serial: unknown option '%s'\nusage:\n%s\n", argv[1],
                     virtual_serial_usage);
        return exit_usage;
    }
    virtual_sensor::VirtualSensor sensor;
    virtual_sensor::Rs232Side side(sensor);
    std::string error;
    if (!side.open(&error)) {
        std::fprintf(stderr, "quelmar-cli virtual-serial: no pseudo-terminal: %s\n", error.c_str());
        return exit_failure;
    }
    std::printf("%s\n", side.path().c_str());
    std::fflush(stdout);
    catch_interrupts();
    while (!interrupted) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return exit_ok;
}

constexpr const char* simulate_description =
    "Stands in for the sensor's host platform (a glider or a logger) on a serial port, as the\n"
    "Platform Simulator window does, until --duration seconds have passed or it is interrupted.\n"
    "  --platform TYPE        seaglider, korvane or eti (required)\n"
    "  --port PATH            the serial device, e.g. /dev/ttyUSB0 or a pseudo-terminal (required)\n"
    "  --baud N               line speed (default 9600)\n"
    "  --dive N               dive number\n"
    "  --update-interval S    seconds between depth reports (default 10)\n"
    "  --min-depth M, --max-depth M          the dive's depth range in metres (default 0 to 10)\n"
    "  --dive-rate CM_S, --climb-rate CM_S   vertical speeds (default 10 cm/s)\n"
    "  --salinity PSU, --temperature C       the water the platform reports\n"
    "  --p1 N, --p2 N, --p3 N                the platform's three protocol parameters\n"
    "  --sampling             ask the sensor for samples, every --sample-interval S seconds\n"
    "  --download             list the results the sensor stored (gliders only)\n"
    "  --duration S           stop after S seconds\n";

const CliRegistrar simulate_registrar({"simulate", simulate_usage, run_simulate,
                                       simulate_description});
constexpr const char* virtual_serial_description =
    "Puts a virtual sensor's RS232 side on a new pseudo-terminal and prints its path, for\n"
    "quelmar-cli simulate or the Platform Simulator window to talk to.\n";

const CliRegistrar virtual_serial_registrar({"virtual-serial", virtual_serial_usage,
                                             run_virtual_serial, virtual_serial_description});

}  // namespace

}  // namespace quelmar::tools
