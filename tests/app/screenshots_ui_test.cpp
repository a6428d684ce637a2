// Renders the main window in each of its views, with the virtual sensor connected and running,
// to PNG files for the README and for looking over the layout. Disabled in the normal test run
// (it waits for live readings); scripts/screenshots runs it.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "app/main_window.h"
#include "tests/support/ui_test_support.h"
#include "simulator/platform_simulator_window.h"
#include "ui/prompts.h"
#include "virtual_sensor/rs232_side.h"
#include "virtual_sensor/sensor_state.h"
#include "virtual_sensor/virtual_sensor.h"

namespace {

using namespace quelmar;

void pump_events(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

QAction* find_action(QWidget* window, const QString& text) {
    for (QAction* menu : window->findChild<QMenuBar*>()->actions()) {
        if (!menu->menu()) continue;
        for (QAction* a : menu->menu()->actions())
            if (a->text() == text) return a;
    }
    return nullptr;
}

QPushButton* find_button(QWidget* window, const QString& text) {
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == text && b->isVisible()) return b;
    return nullptr;
}

bool save_shot(QWidget* window, const QString& dir, const QString& name) {
    return window->grab().save(dir + "/" + name + ".png");
}

}  // namespace

TEST(Screenshots, DISABLED_MainWindowInEachView) {
    test_support::ensure_application();
    ui::ScriptedPrompts prompts;  // nothing may wait on a message box
    const char* out_env = std::getenv("QUELMAR_SCREENSHOT_DIR");
    const QString dir = out_env ? QString::fromLocal8Bit(out_env) : QString("screenshots");
    ASSERT_TRUE(QDir().mkpath(dir));

    virtual_sensor::VirtualSensor sensor;
    {
        // A small machine, so that the sensor can be started.
        auto store = virtual_sensor::state_machine_store(sensor);
        std::lock_guard lock(store->mutex);
        store->states.resize(3);
        for (auto& s : store->states) s.fill(0);
    }
    sensor.attach();

    app::MainWindow window;
    window.resize(1280, 720);
    window.show();
    pump_events(300);
    EXPECT_TRUE(save_shot(&window, dir, "connect_view"));

    auto* list = window.findChild<QTreeWidget*>();
    ASSERT_NE(list, nullptr);
    ASSERT_GT(list->topLevelItemCount(), 0);
    list->setCurrentItem(list->topLevelItem(list->topLevelItemCount() - 1));
    list->topLevelItem(list->topLevelItemCount() - 1)->setSelected(true);
    QPushButton* connect_button = find_button(&window, "Connect");
    ASSERT_NE(connect_button, nullptr);
    connect_button->click();
    pump_events(500);

    if (QPushButton* start = find_button(&window, "Start"); start && start->isEnabled()) {
        start->click();
    }
    // Let readings come in while the machine runs.
    pump_events(12000);
    EXPECT_TRUE(save_shot(&window, dir, "raw_output_graph"));

    if (QAction* text_view = find_action(&window, "Raw Output (&text)")) {
        text_view->trigger();
        pump_events(2500);
        EXPECT_TRUE(save_shot(&window, dir, "raw_output_text"));
    }
    // Any further view in the View menu, as the features add them.
    for (const char* name : {"&Processed Output (graph)", "&Processed Output (text)",
                             "&Compatibility", "&Diagnostics"}) {
        QAction* a = find_action(&window, name);
        if (!a || !a->isEnabled()) continue;
        a->trigger();
        pump_events(2000);
        QString file = QString::fromUtf8(name).remove('&').toLower();
        file.replace(QRegularExpression("[^a-z]+"), "_");
        EXPECT_TRUE(save_shot(&window, dir, file));
    }
    if (QAction* disconnect = find_action(&window, "&Disconnect")) disconnect->trigger();
    pump_events(200);
    // What a user would have been told on the way.
    for (const auto& shown : prompts.shown)
        std::printf("prompt: %s: %s\n", qPrintable(shown.title), qPrintable(shown.text));
}

// The Platform Simulator as a Seaglider with sampling, talking to the virtual sensor's RS232
// side over a pseudo-terminal.
TEST(Screenshots, DISABLED_PlatformSimulator) {
    test_support::ensure_application();
    ui::ScriptedPrompts prompts;
    const char* out_env = std::getenv("QUELMAR_SCREENSHOT_DIR");
    const QString dir = out_env ? QString::fromLocal8Bit(out_env) : QString("screenshots");
    ASSERT_TRUE(QDir().mkpath(dir));
    virtual_sensor::VirtualSensor sensor;
    virtual_sensor::Rs232Side side(sensor);
    ASSERT_TRUE(side.open());

    app::MainWindow main;
    main.show();
    QAction* item = find_action(&main, "Platform &Simulator...");
    ASSERT_TRUE(item);
    item->trigger();
    auto* window = main.findChild<simulator::PlatformSimulatorWindow*>();
    ASSERT_TRUE(window);
    window->resize(1200, 620);
    for (QComboBox* c : window->findChildren<QComboBox*>()) {
        if (c->findText("Seaglider") >= 0) c->setCurrentText("Seaglider");
    }
    for (QComboBox* c : window->findChildren<QComboBox*>())
        if (c->isEditable()) c->setCurrentText(QString::fromStdString(side.path()));
    for (QCheckBox* c : window->findChildren<QCheckBox*>())
        if (c->text() == "Enable Sampling") c->setChecked(true);
    // Seconds pass quickly here, so the list fills in a moment.
    window->set_timing({std::chrono::milliseconds(100), std::chrono::milliseconds(500)});
    window->start_pressed();
    pump_events(4000);
    EXPECT_TRUE(save_shot(window, dir, "platform_simulator"));
    window->stop_pressed();
}
