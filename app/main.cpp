// The program: the main window, with the virtual sensor attached when started with
// --virtual-sensor[=CHEMISTRY] (nitrate by default, or ph), its card folder kept with
// --virtual-sensor-card DIR, its clock run N times faster with --virtual-sensor-speed N, and its
// RS232 side on a pseudo-terminal with --virtual-sensor-serial. --version prints the version the
// About box shows and ends, without needing a display.

#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/main_window.h"
#include "common/version.h"
#include "virtual_sensor/rs232_side.h"
#include "virtual_sensor/virtual_sensor.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quelmar %s\n", quelmar::common::program_version);
            return 0;
        }
    }
    QApplication application(argc, argv);
    // The application object takes the desktop's locale for the C library too; every text the
    // program formats or reads (files, reports, dialog boxes) uses a decimal point whatever the
    // user's language, so numbers keep to "C".
    std::setlocale(LC_NUMERIC, "C");
    application.setApplicationName("quelmar");
    application.setDesktopFileName("example.stillmarsh.Quelmar");
    application.setWindowIcon(quelmar::app::program_icon());
    bool attach_virtual = false, virtual_serial = false;
    quelmar::virtual_sensor::InstrumentOptions instrument;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--virtual-sensor") {
            attach_virtual = true;
        } else if (arg == "--virtual-sensor-serial") {
            virtual_serial = true;
        } else if (arg.rfind("--virtual-sensor=", 0) == 0) {
            const auto c = quelmar::virtual_sensor::instrument_chemistry_from_name(arg.substr(17));
            if (!c) {
                std::fprintf(stderr, "quelmar: unknown chemistry in %s (nitrate or ph)\n", arg.c_str());
                return 2;
            }
            instrument.chemistry = *c;
            attach_virtual = true;
        } else if (arg == "--virtual-sensor-card" && i + 1 < argc) {
            instrument.card_dir = argv[++i];
        } else if (arg == "--virtual-sensor-speed" && i + 1 < argc) {
            const double speed = std::strtod(argv[++i], nullptr);
            if (!(speed > 0 && speed <= 100000)) {
                std::fprintf(stderr, "quelmar: --virtual-sensor-speed takes a number above 0\n");
                return 2;
            }
            instrument.speed = speed;
        }
    }
    quelmar::app::MainWindow window;
    window.set_virtual_instrument(instrument);
    window.show();
    if (attach_virtual) window.attach_virtual_sensor();
    // The virtual sensor's RS232 side on a pseudo-terminal, for the Platform Simulator: the
    // attached virtual sensor's when there is one, so its views show the platform data.
    quelmar::virtual_sensor::VirtualSensor serial_only_sensor;
    quelmar::virtual_sensor::Rs232Side rs232(
        window.virtual_sensor() ? *window.virtual_sensor() : serial_only_sensor);
    if (virtual_serial) {
        std::string error;
        if (rs232.open(&error)) std::printf("Virtual sensor serial port: %s\n", rs232.path().c_str());
        else std::fprintf(stderr, "No pseudo-terminal for the virtual sensor: %s\n", error.c_str());
        std::fflush(stdout);
    }
    return application.exec();
}
