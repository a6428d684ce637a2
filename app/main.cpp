// The program: the main window, with the virtual sensor attached when started with
// --virtual-sensor[=CHEMISTRY] (nitrate by default, or ph), its card folder kept with
// --virtual-sensor-card DIR and its clock run N times faster with --virtual-sensor-speed N.

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/main_window.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    application.setApplicationName("quelmar");
    application.setDesktopFileName("quelmar");
    application.setWindowIcon(quelmar::app::program_icon());
    bool attach_virtual = false;
    quelmar::virtual_sensor::InstrumentOptions instrument;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--virtual-sensor") {
            attach_virtual = true;
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
    return application.exec();
}
