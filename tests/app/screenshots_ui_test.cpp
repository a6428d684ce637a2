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
#include <QFile>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidget>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/main_window.h"
#include "config/chemistry_dialog.h"
#include "config/clock_dialog.h"
#include "config/identity_dialog.h"
#include "config/optics_defaults_dialog.h"
#include "config/platform_defaults_dialog.h"
#include "config/report_dialog.h"
#include "config/rs232_dialog.h"
#include "config/rs485_dialog.h"
#include "config/schedule_dialog.h"
#include "config/thermistor_dialog.h"
#include "link/sensor_link.h"
#include "maintenance/factory_dialog.h"
#include "maintenance/restarts_dialog.h"
#include "maintenance/tasks_dialog.h"
#include "processing/dic_processing_dialog.h"
#include "processing/example_files.h"
#include "processing/nutrient_processing_dialog.h"
#include "protocol/commands.h"
#include "simulator/platform_simulator_window.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "virtual_sensor/bootloader_image.h"
#include "virtual_sensor/instrument_results.h"
#include "virtual_sensor/instrument_sensor.h"
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

// Every shot goes to QUELMAR_SCREENSHOT_DIR (scripts/screenshots sets it), and nothing may
// wait on a message box.
struct Screenshots : ::testing::Test {
    ui::ScriptedPrompts prompts;
    QString dir;
    void SetUp() override {
        test_support::ensure_application();
        const char* out_env = std::getenv("QUELMAR_SCREENSHOT_DIR");
        dir = out_env ? QString::fromLocal8Bit(out_env) : QString("screenshots");
        ASSERT_TRUE(QDir().mkpath(dir));
    }
};

}  // namespace

TEST_F(Screenshots, DISABLED_MainWindowInEachView) {

    virtual_sensor::VirtualSensor sensor;
    // The factory nitrate instrument, its clock 20 times the wall clock so the raw traces show
    // its cycle, with the results of the last few hours of its glider's dives already on board.
    const QString card = dir + "/card";
    ASSERT_TRUE(QDir().mkpath(card));
    virtual_sensor::configure_instrument(
        sensor, {virtual_sensor::InstrumentChemistry::nitrate, card.toStdString(), 20});
    {
        virtual_sensor::InstrumentSetup earlier;
        earlier.card_dir = card.toStdString();
        earlier.start_time = static_cast<std::uint32_t>(std::time(nullptr)) - 48 * 160;
        virtual_sensor::Instrument history(earlier);
        std::string error;
        ASSERT_TRUE(history.start(error)) << error;
        while (history.results().size() < 48) history.tick();
        for (const auto& r : history.results()) virtual_sensor::add_result(sensor, r);
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
    for (const char* name : {"&Processed Output (graph)", "P&rocessed Output (text)",
                             "&Compatibility", "&Diagnostics"}) {
        QAction* a = find_action(&window, name);
        if (!a || !a->isEnabled()) continue;
        a->trigger();
        pump_events(2000);
        QString file = QString::fromUtf8(name).remove('&').toLower();
        file.replace(QRegularExpression("[^a-z]+"), "_");
        file.remove(QRegularExpression("^_+|_+$"));
        EXPECT_TRUE(save_shot(&window, dir, file));
    }
    // The settings dialogs, opened modeless on the connected sensor so they can be grabbed.
    {
        auto shoot = [&](QDialog& d, const char* name) {
            d.show();
            pump_events(200);
            EXPECT_TRUE(save_shot(&d, dir, name));
            d.close();
        };
        config::Rs232Dialog rs232(window.sensor_link(), &window);
        shoot(rs232, "configure_rs232");
        config::Rs485Dialog rs485(window.sensor_link(), &window);
        shoot(rs485, "configure_rs485");
        config::PlatformDefaultsDialog platform(window.sensor_link(), &window);
        shoot(platform, "configure_platform_defaults");
        config::ThermistorDialog thermistors(window.sensor_link(), &window);
        shoot(thermistors, "configure_thermistors");
        config::IdentityDialog identity(window.sensor_link(), &window);
        shoot(identity, "configure_sensor_identification");
    }
    if (QAction* disconnect = find_action(&window, "&Disconnect")) disconnect->trigger();
    pump_events(200);
    // What a user would have been told on the way.
    for (const auto& shown : prompts.shown)
        std::printf("prompt: %s: %s\n", qPrintable(shown.title), qPrintable(shown.text));
}

// "Configure Chemistry" on each of its three page layouts.
TEST_F(Screenshots, DISABLED_ChemistryDialogPages) {

    virtual_sensor::VirtualSensor sensor;
    sensor.attach();
    link::SensorLink sensor_link;
    ASSERT_EQ(link::sensor_link_open(sensor_link, sensor.path(), 1000), link::LinkResult::ok);
    for (auto [type, name] : {std::pair{protocol::chemistry::nitrate, "chemistry_nutrient"},
                              std::pair{protocol::chemistry::ph, "chemistry_ph"},
                              std::pair{protocol::chemistry::generic, "chemistry_generic"}}) {
        auto bytes = sensor.record(protocol::cmd::read_chemistry_config);
        bytes[1] = type;
        sensor.set_record(protocol::cmd::read_chemistry_config, bytes);
        config::ChemistryBuffers buffers;
        config::ChemistryDialog dialog(sensor_link, buffers, nullptr);
        ASSERT_TRUE(dialog.opened());
        dialog.show();
        pump_events(200);
        EXPECT_TRUE(save_shot(&dialog, dir, name));
    }
    link::sensor_link_close(sensor_link);
}

// The maintenance dialogs on a virtual sensor, the factory settings unlocked.
TEST_F(Screenshots, DISABLED_MaintenanceDialogs) {
    virtual_sensor::VirtualSensor sensor;
    sensor.attach();
    link::SensorLink link;
    ASSERT_EQ(link::sensor_link_open(link, sensor.path(), 5000), link::LinkResult::ok);
    {
        maintenance::FactoryDialog d(link, nullptr);
        d.password_field()->setText("brume");
        d.show();
        pump_events(200);
        EXPECT_TRUE(save_shot(&d, dir, "factory_settings"));
    }
    {
        maintenance::TasksDialog d(link, nullptr);
        d.show();
        pump_events(200);
        EXPECT_TRUE(save_shot(&d, dir, "tasks"));
    }
    {
        maintenance::RestartsDialog d(link, nullptr);
        d.show();
        pump_events(200);
        EXPECT_TRUE(save_shot(&d, dir, "restarts"));
    }
    link::sensor_link_close(link);
}

// A sensor whose bootloader runs, as the connect view lists it, and its firmware upgrade under
// way.
TEST_F(Screenshots, DISABLED_FirmwareUpgrade) {
    virtual_sensor::VirtualSensorOptions options;
    options.mode = 1;
    virtual_sensor::VirtualSensor sensor(options);
    sensor.attach();
    sensor.set_reply_latency(std::chrono::milliseconds(20));
    const QString image = dir + "/firmware_1.3.1.bin";
    {
        const auto bytes = virtual_sensor::make_firmware_image("1.3.1");
        QFile file(image);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }

    app::MainWindow window;
    window.resize(1280, 720);
    window.show();
    pump_events(300);
    auto* list = window.findChild<QTreeWidget*>();
    ASSERT_NE(list, nullptr);
    ASSERT_GT(list->topLevelItemCount(), 0);
    list->setCurrentItem(list->topLevelItem(list->topLevelItemCount() - 1));
    pump_events(100);
    EXPECT_TRUE(save_shot(&window, dir, "connect_view_bootloader"));

    // The dialog is modal: it is photographed from inside its own event loop.
    QTimer::singleShot(600, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            EXPECT_TRUE(save_shot(dialog, dir, "upgrade_firmware_dialog"));
        }
    });
    prompts.choose(image);
    QPushButton* upgrade = find_button(&window, "Upgrade Firmware");
    ASSERT_NE(upgrade, nullptr);
    upgrade->click();
    QFile::remove(image);
    for (const auto& shown : prompts.shown)
        std::printf("prompt: %s: %s\n", qPrintable(shown.title), qPrintable(shown.text));
}

TEST_F(Screenshots, DISABLED_OpticsValvesPumpDefaults) {

    virtual_sensor::VirtualSensor sensor;
    sensor.attach();
    link::SensorLink sensor_link;
    ASSERT_EQ(link::sensor_link_open(sensor_link, sensor.path(), 1000), link::LinkResult::ok);
    {
        // Shown modeless, with a valve and optics test running so that the inputs move.
        config::OpticsDefaultsDialog dialog(sensor_link, nullptr);
        ASSERT_TRUE(dialog.loaded());
        dialog.show();
        dialog.test_valves_box()->click();
        dialog.valve_box(2)->setChecked(true);
        dialog.test_optics_box()->click();
        dialog.start_button()->click();
        pump_events(2500);
        EXPECT_TRUE(save_shot(&dialog, dir, "optics_valves_pump_defaults"));
        dialog.start_button()->click();
    }
    link::sensor_link_close(sensor_link);
}

// The Platform Simulator as a Seaglider with sampling, talking to the virtual sensor's RS232
// side over a pseudo-terminal.
TEST_F(Screenshots, DISABLED_PlatformSimulator) {
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

TEST_F(Screenshots, DISABLED_ClockScheduleAndConfigurationLog) {

    virtual_sensor::VirtualSensor sensor;
    sensor.attach();
    link::SensorLink sensor_link;
    ASSERT_EQ(link::sensor_link_open(sensor_link, sensor.path(), 1000), link::LinkResult::ok);
    {
        config::ClockDialog dialog(sensor_link, nullptr);
        dialog.show();
        ASSERT_TRUE(test_support::wait_until([&] { return !dialog.face()->text().isEmpty(); }));
        pump_events(200);
        EXPECT_TRUE(save_shot(&dialog, dir, "real_time_clock_dialog"));
        dialog.reject();
    }
    {
        config::ScheduleDialog dialog(sensor_link, nullptr);
        ASSERT_TRUE(dialog.loaded());
        dialog.show();
        dialog.stop_box()->click();
        pump_events(200);
        EXPECT_TRUE(save_shot(&dialog, dir, "measurement_schedule_dialog"));
    }
    {
        const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
        config::ReportDialog dialog(sensor_link, now, nullptr);
        dialog.show();
        pump_events(200);
        EXPECT_TRUE(save_shot(&dialog, dir, "sensor_configuration_log_dialog"));
    }
    link::sensor_link_close(sensor_link);
}

// A processing dialog after processing its example file, the graph of its main result beside
// the results list.
namespace {
template <class Dialog>
void shoot_processing_dialog(Screenshots& shots, const std::string& raw, const QString& name) {
    const QString path = shots.dir + "/" + name + "_raw.csv";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(raw.data(), static_cast<qint64>(raw.size()));
    }
    shots.prompts.choose(path);
    Dialog dialog;
    ASSERT_TRUE(dialog.start());
    dialog.process_pressed();
    QElapsedTimer timer;
    timer.start();
    while (dialog.busy() && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    pump_events(300);
    EXPECT_GT(dialog.results().row_count(), 0u);
    EXPECT_TRUE(save_shot(&dialog, shots.dir, name));
    QFile::remove(path);
}
}  // namespace

TEST_F(Screenshots, DISABLED_ProcessingDialogsWithTheirGraph) {
    processing::ExampleOptions options;
    options.cycles = 48;
    shoot_processing_dialog<processing::NutrientProcessingDialog>(
        *this, processing::nutrient_example(options), "processing_nutrient");
    shoot_processing_dialog<processing::DicProcessingDialog>(
        *this, processing::dic_example(options), "processing_dic");
}
