// The Platform Simulator window: its presets and field rules through the real widgets, its
// open failures, and whole sessions against the virtual sensor's RS232 side over a
// pseudo-terminal, through QSerialPort.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "app/main_window.h"
#include "common/text.h"
#include "protocol/commands.h"
#include "simulator/platform_simulator_window.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "virtual_sensor/rs232_platform.h"
#include "virtual_sensor/rs232_side.h"
#include "virtual_sensor/virtual_sensor.h"

namespace {

using namespace quelmar;
using namespace quelmar::simulator;
using test_support::wait_until;

// The field whose label has this text.
template <class W>
W* field(QWidget& window, const QString& label) {
    for (QLabel* l : window.findChildren<QLabel*>())
        if (l->text() == label) return qobject_cast<W*>(l->buddy());
    return nullptr;
}

QPushButton* button(QWidget& window, const QString& text) {
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

QComboBox* combo_with(QWidget& window, const QString& item) {
    for (QComboBox* c : window.findChildren<QComboBox*>())
        if (c->findText(item) >= 0) return c;
    return nullptr;
}

QGroupBox* serial_group(QWidget& window) {
    for (QGroupBox* g : window.findChildren<QGroupBox*>())
        if (g->title().endsWith("Communication Parameters")) return g;
    return nullptr;
}

TEST(PlatformSimulatorWindow, MarinodeckPresetTitleAndFieldRules) {
    ui::ScriptedPrompts prompts;
    PlatformSimulatorWindow window;
    window.show();
    QComboBox* type = combo_with(window, "Marinodeck");
    QComboBox* baud = combo_with(window, "115200");
    QComboBox* parity = combo_with(window, "Mark");
    QComboBox* direction = combo_with(window, "Alternating");
    ASSERT_TRUE(type && baud && parity && direction);
    EXPECT_EQ(serial_group(window)->title(), "Serial Communication Parameters");
    EXPECT_FALSE(button(window, "Start")->isEnabled());
    EXPECT_FALSE(button(window, "Stop")->isEnabled());

    baud->setCurrentText("115200");
    type->setCurrentText("Marinodeck");
    EXPECT_EQ(serial_group(window)->title(), "RS485 Communication Parameters");
    EXPECT_EQ(baud->currentText(), "19200");
    EXPECT_EQ(parity->currentText(), "Even");
    const SerialChoice serial = window.read_serial();
    EXPECT_EQ(serial.slave_address, 71);
    EXPECT_FALSE(baud->isEnabled());  // until Override Settings
    for (QCheckBox* c : window.findChildren<QCheckBox*>())
        if (c->text() == "Override Settings") c->setChecked(true);
    EXPECT_TRUE(baud->isEnabled());
    EXPECT_FALSE(button(window, "Start")->isEnabled());

    type->setCurrentText("KORVANE");
    EXPECT_EQ(serial_group(window)->title(), "RS232 Communication Parameters");
    EXPECT_EQ(baud->currentText(), "9600");
    EXPECT_EQ(direction->currentText(), "Alternating");
    EXPECT_TRUE(window.read_settings().sampling);
    EXPECT_TRUE(button(window, "Start")->isEnabled());
    EXPECT_TRUE(button(window, "Download")->isEnabled());

    // Surfaced: min depth 0, and neither depth can be typed.
    field<QLineEdit>(window, "Min Depth (m)")->setText("25");
    direction->setCurrentText("Surfaced");
    EXPECT_EQ(window.read_settings().min_depth_m, 0);
    EXPECT_EQ(window.read_settings().direction, Direction::surfaced);
    EXPECT_FALSE(field<QLineEdit>(window, "Min Depth (m)")->isEnabled());
    EXPECT_FALSE(field<QLineEdit>(window, "Max Depth (m)")->isEnabled());

    type->setCurrentText("ETI");
    EXPECT_EQ(direction->currentText(), "Fixed");
    EXPECT_FALSE(window.read_settings().sampling);
    EXPECT_FALSE(button(window, "Download")->isEnabled());
}

TEST(PlatformSimulatorWindow, ListKeepsTheLatestRowsAndOpenFailuresAreShown) {
    ui::ScriptedPrompts prompts;
    PlatformSimulatorWindow window;
    for (int i = 0; i < 1005; ++i) {
        ResultRow row;
        row.cells[0] = std::to_string(i);
        window.add_row(row);
    }
    ASSERT_EQ(window.result_list()->topLevelItemCount(), 1001);
    EXPECT_EQ(window.result_list()->topLevelItem(0)->text(0), "4");
    EXPECT_EQ(window.result_list()->topLevelItem(1000)->text(0), "1004");
    EXPECT_EQ(window.result_list()->topLevelItem(0)->text(1), "-");
    EXPECT_EQ(window.result_list()->headerItem()->text(8), "Temperature (degC)");

    combo_with(window, "Seaglider")->setCurrentText("Seaglider");
    for (QComboBox* c : window.findChildren<QComboBox*>())
        if (c->isEditable()) c->setCurrentText("/dev/quelmar-no-such-port");
    window.start_pressed();
    EXPECT_FALSE(window.simulation_running());
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.last_message().title, "Connect");
    EXPECT_EQ(prompts.last_message().text,
              "Can't open serial port /dev/quelmar-no-such-port - make sure no other application has it open");
}

struct SerialBench {
    virtual_sensor::VirtualSensor sensor;
    virtual_sensor::Rs232Side side{sensor};
    PlatformSimulatorWindow window;
    SerialBench(const QString& type) {
        EXPECT_TRUE(side.open());
        window.set_timing({std::chrono::milliseconds(20), std::chrono::milliseconds(500)});
        combo_with(window, "Seaglider")->setCurrentText(type);
        for (QComboBox* c : window.findChildren<QComboBox*>())
            if (c->isEditable()) c->setCurrentText(QString::fromStdString(side.path()));
    }
    void set_field(const QString& label, const QString& text) {
        QLineEdit* e = field<QLineEdit>(window, label);
        ASSERT_TRUE(e) << label.toStdString();
        e->setText(text);
    }
};

TEST(PlatformSimulatorWindow, SeagliderSessionAgainstTheVirtualSensor) {
    ui::ScriptedPrompts prompts;
    SerialBench bench("Seaglider");
    bench.window.show();
    bench.set_field("Dive Number", "17");
    bench.set_field("Max Depth (m)", "3");
    bench.set_field("Dive Rate (cm/s)", "100");
    bench.set_field("Climb Rate (cm/s)", "100");
    bench.set_field("Update Interval (s)", "1");
    bench.set_field("Sample Interval (s)", "1");
    bench.set_field("P2", "9");
    for (QCheckBox* c : bench.window.findChildren<QCheckBox*>())
        if (c->text() == "Enable Sampling") c->setChecked(true);

    bench.window.start_pressed();
    ASSERT_TRUE(bench.window.simulation_running()) << prompts.last_message().text.toStdString();
    EXPECT_TRUE(button(bench.window, "Stop")->isEnabled());
    EXPECT_FALSE(button(bench.window, "Start")->isEnabled());
    EXPECT_FALSE(combo_with(bench.window, "Seaglider")->isEnabled());
    ASSERT_TRUE(wait_until([&] {
        return bench.side.results().size() >= 5 && bench.window.result_list()->topLevelItemCount() >= 2;
    }, 20000));
    EXPECT_TRUE(bench.window.status_text().startsWith("Depth: ")) << bench.window.status_text().toStdString();
    bench.window.stop_pressed();
    EXPECT_FALSE(bench.window.simulation_running());
    EXPECT_TRUE(button(bench.window, "Start")->isEnabled());

    // The sensor's clock was set (UTC) and its platform data followed the dive.
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    const auto clock = bench.sensor.record(protocol::cmd::read_clock);
    ASSERT_EQ(clock.size(), 8u);
    EXPECT_EQ(clock[4], utc.tm_mday);
    EXPECT_EQ(bench.side.dive(), 17);
    const auto results = bench.side.results();
    EXPECT_DOUBLE_EQ(results[3].depth_m, 3.0);
    EXPECT_EQ(results[3].direction, 2);
    EXPECT_EQ(results[4].direction, 3);
    EXPECT_EQ(results[4].p2, 9);

    // Sample rows carry values the sensor computed.
    const QString first_value = bench.window.result_list()->topLevelItem(0)->text(2);
    bool computed = false;
    for (const auto& r : results)
        computed |= first_value.toStdString() == common::format_text("%.3f", r.value_milli / 1000.0);
    EXPECT_TRUE(computed) << first_value.toStdString();

    // Download lists every result and stops by itself.
    const auto held = bench.side.results();
    bench.window.download_pressed();
    ASSERT_TRUE(wait_until([&] { return !bench.window.simulation_running(); }, 20000));
    ASSERT_EQ(bench.window.result_list()->topLevelItemCount(), static_cast<int>(held.size()));
    QTreeWidgetItem* row = bench.window.result_list()->topLevelItem(3);
    EXPECT_EQ(row->text(0), "17");
    EXPECT_EQ(row->text(5), "3.000");
    EXPECT_EQ(row->text(2), QString::fromStdString(common::format_text("%.3f", held[3].value_milli / 1000.0)));
    EXPECT_EQ(row->text(11), "0");
    EXPECT_EQ(row->text(10), "9");
}

TEST(PlatformSimulatorWindow, EtiSessionAndClosingWhileRunningAsks) {
    ui::ScriptedPrompts prompts;
    SerialBench bench("ETI");
    bench.window.show();
    bench.set_field("Salinity (PSU)", "36.5");
    bench.set_field("Min Depth (m)", "8");
    bench.set_field("Sample Interval (s)", "1");
    bench.window.start_pressed();
    ASSERT_TRUE(bench.window.simulation_running());
    ASSERT_TRUE(wait_until([&] { return bench.window.result_list()->topLevelItemCount() >= 1; }, 20000));
    const auto fed = virtual_sensor::fed_platform_data(bench.sensor);
    ASSERT_TRUE(fed);
    EXPECT_FLOAT_EQ(fed->salinity, 36.5f);
    EXPECT_FLOAT_EQ(fed->depth, 8.0f);
    QTreeWidgetItem* row = bench.window.result_list()->topLevelItem(0);
    EXPECT_EQ(row->text(0), "0");
    EXPECT_EQ(row->text(2), "4.000");  // the sensor's nitrate at 8 m
    EXPECT_EQ(row->text(5), "-");

    prompts.answer_no();
    EXPECT_FALSE(bench.window.close());
    EXPECT_TRUE(bench.window.simulation_running());
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.shown.back().title, "Exit");
    EXPECT_EQ(prompts.shown.back().text, "Stop simulation?");
    prompts.answer_yes();
    EXPECT_TRUE(bench.window.close());
    EXPECT_FALSE(bench.window.simulation_running());
}

TEST(PlatformSimulatorWindow, MenuItemOpensOneWindowWithoutASensor) {
    ui::ScriptedPrompts prompts;
    app::MainWindow main;
    QAction* item = main.menu_action("Platform &Simulator...");
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->isEnabled());
    item->trigger();
    item->trigger();
    const auto windows = main.findChildren<PlatformSimulatorWindow*>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(windows[0]->isVisible());
    EXPECT_EQ(windows[0]->windowTitle(), "Platform Simulator");
}

}  // namespace
