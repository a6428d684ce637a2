// The program: the main window, with the virtual sensor attached when started with
// --virtual-sensor, and its RS232 side on a pseudo-terminal with --virtual-sensor-serial.

#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/main_window.h"
#include "virtual_sensor/rs232_side.h"
#include "virtual_sensor/virtual_sensor.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The application object takes the desktop's locale for the C library too; every text the
    // program formats or reads (files, reports, dialog boxes) uses a decimal point whatever the
    // user's language, so numbers keep to "C".
    std::setlocale(LC_NUMERIC, "C");
    application.setApplicationName("quelmar");
    application.setDesktopFileName("quelmar");
    application.setWindowIcon(quelmar::app::program_icon());
    bool attach_virtual = false, virtual_serial = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--virtual-sensor") == 0) attach_virtual = true;
        if (std::strcmp(argv[i], "--virtual-sensor-serial") == 0) virtual_serial = true;
    }
    quelmar::app::MainWindow window;
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
