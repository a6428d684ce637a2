// The main window offers the offline processing commands whether or not a sensor is
// connected.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>

#include "app/main_window.h"

namespace quelmar::processing {
namespace {

TEST(ProcessingMenu, FileMenuOffersEveryProcessingCommandWithoutASensor) {
    if (!QApplication::instance()) {
        static int argc = 1;
        static char name[] = "processing_ui_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    app::MainWindow window;
    for (const char* text :
         {"Process Raw &Nutrient File...", "Process Raw N&utrient File (Multi)...",
          "Process Raw p&H File...", "Process Raw &TA File...", "Process Raw DI&C File..."}) {
        QAction* action = window.menu_action(QString::fromUtf8(text));
        ASSERT_NE(nullptr, action) << text;
        EXPECT_TRUE(action->isEnabled()) << text;
    }
}

}  // namespace
}  // namespace quelmar::processing
