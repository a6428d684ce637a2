// The program: the main window, with the virtual sensor attached when started with
// --virtual-sensor.

#include <QApplication>
#include <clocale>
#include <cstring>

#include "app/main_window.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The application object takes the desktop's locale for the C library too; every text the
    // program formats or reads (files, reports, dialog boxes) uses a decimal point whatever the
    // user's language, so numbers keep to "C".
    std::setlocale(LC_NUMERIC, "C");
    application.setApplicationName("quelmar");
    application.setDesktopFileName("quelmar");
    application.setWindowIcon(quelmar::app::program_icon());
    bool attach_virtual = false;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--virtual-sensor") == 0) attach_virtual = true;
    quelmar::app::MainWindow window;
    window.show();
    if (attach_virtual) window.attach_virtual_sensor();
    return application.exec();
}
