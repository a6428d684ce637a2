// The program: the main window, with the virtual sensor attached when started with
// --virtual-sensor.

#include <QApplication>
#include <cstring>

#include "app/main_window.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
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
