#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <map>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

#include "app/connect_view.h"
#include "config/chemistry_dialog.h"
#include "ui/prompts.h"
#include "ui/sensor_control_widget.h"
#include "ui/start_states_dialog.h"
#include "link/discovery.h"
#include "live/raw_output_graph_view.h"
#include "live/raw_output_text_view.h"
#include "protocol/chemistry.h"
#include "protocol/commands.h"
#include "tests/support/sensor_fixture.h"
#include "tests/support/ui_test_support.h"

namespace quelmar::app {
namespace {

using test_support::settle;
using test_support::wait_until;
namespace cmd = protocol::cmd;
namespace vs = virtual_sensor;

vs::VirtualSensorOptions named(const std::string& name, std::uint8_t mode = 2) {
    vs::VirtualSensorOptions o;
    o.name = name;
    o.mode = mode;
    return o;
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override { test_support::ensure_application(); }

    // A sensor on the bus before the window opens, so the connect view lists it.
    vs::VirtualSensor& plug(const std::string& name, std::uint8_t mode = 2) {
        sensors_.push_back(std::make_unique<vs::VirtualSensor>(named(name, mode)));
        sensors_.back()->attach();
        return *sensors_.back();
    }
    void open_window() {
        window_ = std::make_unique<MainWindow>();
        settle(50);
    }
    ConnectView* connect_view() { return qobject_cast<ConnectView*>(window_->current_view()); }
    int row_of(const QString& name) {
        auto* list = connect_view()->list();
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(0) == name) return i;
        return -1;
    }
    void connect_to(const QString& name) {
        ASSERT_NE(connect_view(), nullptr);
        const int row = row_of(name);
        ASSERT_GE(row, 0) << name.toStdString();
        connect_view()->select_row(row);
        ASSERT_TRUE(connect_view()->connect_button()->isEnabled());
        connect_view()->connect_button()->click();
        ASSERT_TRUE(wait_until([this] { return ui::is_connected(window_->shell_state()); }));
    }
    bool enabled(const char* item) {
        QAction* a = window_->menu_action(item);
        EXPECT_NE(a, nullptr) << item;
        return a && a->isEnabled();
    }
    ui::SensorControlWidget* sensor_control() {
        return window_->current_view()->findChild<ui::SensorControlWidget*>();
    }
    std::size_t requests_of(vs::VirtualSensor& s, std::uint16_t code) {
        std::size_t n = 0;
        for (const auto& r : s.requests())
            if (r.command() == code) ++n;
        return n;
    }

    ui::ScriptedPrompts prompts;
    std::vector<std::unique_ptr<vs::VirtualSensor>> sensors_;
    std::unique_ptr<MainWindow> window_;

    void TearDown() override {
        window_.reset();
        settle(20);
        sensors_.clear();
    }
};

TEST_F(Shell, ConnectAndDisconnectWithCaptionsAndStatusBar) {
    auto& sensor = plug("Bench Sensor");
    open_window();
    EXPECT_EQ(window_->windowTitle(), "not connected");
    EXPECT_EQ(window_->status_text(0), "not connected");
    for (int i = 1; i < 5; ++i) EXPECT_EQ(window_->status_text(i), "");
    EXPECT_FALSE(enabled("&Disconnect"));
    EXPECT_FALSE(enabled("&State Machine..."));
    EXPECT_TRUE(enabled("&About..."));
    EXPECT_FALSE(connect_view()->connect_button()->isEnabled());
    EXPECT_EQ(connect_view()->header_text(), "QUELMAR CONNECT");
    const int row = row_of("Bench Sensor");
    ASSERT_GE(row, 0);
    auto* item = connect_view()->list()->topLevelItem(row);
    EXPECT_EQ(item->text(1), "1001");
    EXPECT_EQ(item->text(2), "Firmware");

    connect_to("Bench Sensor");
    const std::string type = link::device_type_name(sensor.options().device_type);
    EXPECT_EQ(window_->windowTitle().toStdString(), "Bench Sensor (" + type + ")");
    EXPECT_EQ(window_->status_text(0), "Bench Sensor connected");
    EXPECT_EQ(window_->current_view_kind(), ViewKind::raw_graph);
    EXPECT_TRUE(window_->status_monitor().running());
    ASSERT_TRUE(wait_until([this] { return window_->status_text(1) == "USB Comms OK"; }));
    EXPECT_EQ(window_->status_text(2), "Sensor Mode: Idle");
    EXPECT_EQ(window_->status_text(3), "");
    EXPECT_EQ(window_->status_text(4), QString::fromUtf8("12.1V/21.5\u00b0C"));
    EXPECT_TRUE(enabled("&Disconnect"));
    EXPECT_TRUE(enabled("&State Machine..."));

    window_->menu_action("&Disconnect")->trigger();
    settle(20);
    EXPECT_EQ(window_->shell_state(), 0u);
    EXPECT_EQ(window_->windowTitle(), "not connected");
    EXPECT_EQ(window_->status_text(0), "not connected");
    for (int i = 1; i < 5; ++i) EXPECT_EQ(window_->status_text(i), "") << i;
    EXPECT_FALSE(window_->status_monitor().running());
    EXPECT_EQ(window_->current_view_kind(), ViewKind::connect);
    EXPECT_FALSE(enabled("&Disconnect"));
    // A report still queued from the old connection changes nothing.
    settle(1200);
    EXPECT_EQ(window_->status_text(1), "");
    EXPECT_TRUE(prompts.messages().empty());
}

TEST_F(Shell, ABootloaderSensorEndsConnectedToItsFirmware) {
    auto& sensor = plug("Boot Sensor", 1);
    open_window();
    const int row = row_of("Boot Sensor");
    ASSERT_GE(row, 0);
    EXPECT_EQ(connect_view()->list()->topLevelItem(row)->text(2), "Bootloader (v3)");
    connect_view()->select_row(row);
    connect_view()->connect_button()->click();
    EXPECT_GE(requests_of(sensor, cmd::start_firmware), 1u);
    ASSERT_TRUE(wait_until([this] { return ui::is_connected(window_->shell_state()); }));
    EXPECT_EQ(sensor.mode(), 2);
    EXPECT_EQ(window_->status_text(0), "Boot Sensor connected");
    EXPECT_TRUE(prompts.messages().empty());
}

TEST_F(Shell, NothingSelectedAndAnUnreachableSensor) {
    auto& sensor = plug("Gone Sensor");
    open_window();
    connect_view()->connect_pressed();
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.last_message().title, "Connect");
    EXPECT_EQ(prompts.last_message().text, "Nothing selected");

    connect_view()->select_row(row_of("Gone Sensor"));
    sensor.detach();  // unplugged after it was listed; its removal rebuilds the list
    connect_view()->connect_pressed();
    EXPECT_EQ(prompts.last_message().text, "Failed to connect");
    settle(50);
    EXPECT_EQ(row_of("Gone Sensor"), -1);
    EXPECT_FALSE(connect_view()->connect_button()->isEnabled());
}

// A click as the mouse gives it on the list, at `at` in its viewport.
void click_list(QTreeWidget* list, QPoint at, QEvent::Type last = QEvent::MouseButtonRelease) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, last}) {
        QMouseEvent e(type, QPointF(at), list->viewport()->mapToGlobal(QPointF(at)),
                      Qt::LeftButton, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &e);
    }
}

TEST_F(Shell, ConnectViewClicksAndAnUnknownDevice) {
    plug("Click Sensor");
    auto& mute = plug("Mute Sensor");
    mute.force_status(cmd::read_identity, 3);  // it never says what it is
    open_window();
    window_->show();
    settle(50);
    QTreeWidget* list = connect_view()->list();
    const auto centre = [&](const QString& name) {
        return list->visualItemRect(list->topLevelItem(row_of(name))).center();
    };
    click_list(list, centre("Click Sensor"));
    EXPECT_TRUE(connect_view()->connect_button()->isEnabled());
    // Below the last row nothing is hit, so nothing stays selected.
    const QPoint empty(5, list->viewport()->height() - 3);
    ASSERT_EQ(list->itemAt(empty), nullptr);
    click_list(list, empty);
    EXPECT_FALSE(connect_view()->connect_button()->isEnabled());
    EXPECT_TRUE(list->selectedItems().isEmpty());

    // Neither the button, a double click nor the command itself connects an unknown device.
    ASSERT_GE(row_of("Unknown device"), 0);
    click_list(list, centre("Unknown device"));
    EXPECT_FALSE(connect_view()->connect_button()->isEnabled());
    mute.clear_requests();
    click_list(list, centre("Unknown device"), QEvent::MouseButtonDblClick);
    connect_view()->connect_pressed();
    settle(50);
    EXPECT_EQ(window_->shell_state(), 0u);
    EXPECT_TRUE(mute.requests().empty());
    EXPECT_TRUE(prompts.messages().empty());
}

// The sensor stops answering while connected: Disconnect closes the link, which ends the
// status monitor's exchange in progress, and the monitor makes no further one.
TEST_F(Shell, DisconnectFromASensorThatNoLongerAnswers) {
    auto& sensor = plug("Mute Later");
    open_window();
    connect_to("Mute Later");
    const auto monitor_requests = [&] {
        return requests_of(sensor, cmd::read_status) + requests_of(sensor, cmd::read_readings) +
               requests_of(sensor, cmd::read_platform_data);
    };
    sensor.set_reply_latency(std::chrono::minutes(1));
    const std::size_t before = monitor_requests();
    ASSERT_TRUE(wait_until([&] { return monitor_requests() > before; }));
    const std::size_t in_flight = monitor_requests();
    window_->menu_action("&Disconnect")->trigger();
    EXPECT_FALSE(window_->status_monitor().running());
    EXPECT_EQ(window_->current_view_kind(), ViewKind::connect);
    EXPECT_EQ(monitor_requests(), in_flight);
}

// Alt and a letter lead to one item only, in the menu bar and in every menu under it.
void expect_unique_access_keys(const QList<QAction*>& actions) {
    std::map<QKeySequence, QString> taken;
    for (QAction* a : actions) {
        const QKeySequence key = QKeySequence::mnemonic(a->text());
        if (!key.isEmpty() && !taken.emplace(key, a->text()).second)
            ADD_FAILURE() << a->text().toStdString() << " and " << taken[key].toStdString();
        if (a->menu()) expect_unique_access_keys(a->menu()->actions());
    }
}

TEST_F(Shell, NoTwoItemsOfAMenuShareAnAccessKey) {
    open_window();
    ASSERT_GE(window_->menuBar()->actions().size(), 4);
    expect_unique_access_keys(window_->menuBar()->actions());
}

TEST_F(Shell, TheWindowHasTheProgramIcon) {
    open_window();
    for (int size : {16, 48}) {  // the small and the big icon, each with a drawing in it
        const QImage image = window_->windowIcon().pixmap(size).toImage();
        ASSERT_FALSE(image.isNull()) << size;
        EXPECT_NE(image.pixel(size / 2, size / 2), image.pixel(0, 0)) << size;
    }
}

TEST_F(Shell, RemovalOfTheConnectedSensorEndsOnTheConnectView) {
    auto& sensor = plug("Pulled Sensor");
    open_window();
    connect_to("Pulled Sensor");
    window_->show_view(ViewKind::raw_text);
    ASSERT_EQ(window_->current_view()->header_text(), "RAW OUTPUT");
    sensor.detach();
    ASSERT_TRUE(wait_until([this] { return window_->current_view_kind() == ViewKind::connect; }));
    EXPECT_EQ(window_->shell_state(), 0u);
    EXPECT_FALSE(window_->status_monitor().running());
    EXPECT_EQ(window_->windowTitle(), "not connected");
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.last_message().title, "Device Change");
    EXPECT_EQ(prompts.last_message().text, "Sensor Disconnected");
    EXPECT_FALSE(enabled("&Disconnect"));
}

TEST_F(Shell, RemovalOfAnotherSensorChangesNothing) {
    plug("Kept Sensor");
    auto& other = plug("Other Sensor");
    open_window();
    connect_to("Kept Sensor");
    other.detach();
    settle(300);
    EXPECT_TRUE(ui::is_connected(window_->shell_state()));
    EXPECT_EQ(window_->current_view_kind(), ViewKind::raw_graph);
    EXPECT_TRUE(window_->status_monitor().running());
    EXPECT_TRUE(prompts.messages().empty());
}

TEST_F(Shell, ConfigurationItemsGreyWhileRunningAndViewsStay) {
    auto& sensor = plug("Run Sensor");
    test_support::load_machine(sensor, 2);
    open_window();
    connect_to("Run Sensor");
    auto* control = sensor_control();
    ASSERT_NE(control, nullptr);
    ASSERT_EQ(control->start_list()->count(), 1);  // the factory record: Deploy at state 0
    EXPECT_EQ(control->start_list()->itemText(0), "Deploy");
    EXPECT_TRUE(control->start_button()->isEnabled());
    EXPECT_FALSE(control->stop_button()->isEnabled());

    control->start_button()->click();
    ASSERT_TRUE(wait_until([this] { return ui::is_running(window_->shell_state()); }));
    EXPECT_TRUE(prompts.messages().empty());
    for (const char* item : {"&State Machine...", "S&tart States...", "&Mount Sensor As Drive"})
        EXPECT_FALSE(enabled(item)) << item;
    for (const char* item : {"&Disconnect", "Raw Output (&graph)", "Raw Output (&text)", "&About..."})
        EXPECT_TRUE(enabled(item)) << item;
    EXPECT_FALSE(control->start_button()->isEnabled());
    EXPECT_TRUE(control->stop_button()->isEnabled());
    // The monitor sees the machine operating, writing its file.
    ASSERT_TRUE(wait_until([this] { return window_->status_text(2) == "Sensor Mode: Operating"; }));
    EXPECT_EQ(window_->status_text(3), "File: RAW00001.CSV");

    // Switching views keeps the state; the new view's group shows it.
    window_->show_view(ViewKind::raw_text);
    EXPECT_TRUE(sensor_control()->stop_button()->isEnabled());

    sensor_control()->stop_button()->click();
    ASSERT_TRUE(wait_until([this] { return !ui::is_running(window_->shell_state()); }));
    EXPECT_TRUE(enabled("&State Machine..."));
    ASSERT_TRUE(wait_until([this] { return window_->status_text(2) == "Sensor Mode: Idle"; }));
    EXPECT_EQ(window_->status_text(3), "");
}

TEST_F(Shell, EveryStartAndStopMessage) {
    auto& sensor = plug("Msg Sensor");
    open_window();
    connect_to("Msg Sensor");
    auto expect_start_message = [&](const char* text) {
        const std::size_t before = prompts.messages().size();
        sensor_control()->start_button()->click();
        ASSERT_TRUE(wait_until([&] { return prompts.messages().size() > before; }));
        EXPECT_EQ(prompts.last_message().title, "Start");
        EXPECT_EQ(prompts.last_message().text, text);
        EXPECT_FALSE(ui::is_running(window_->shell_state()));
    };
    expect_start_message("Sensor has no state machine loaded");
    EXPECT_EQ(requests_of(sensor, cmd::start_state_machine), 0u);

    sensor.force_status(cmd::read_state_count, 2);
    expect_start_message("Unable get state machine configuration from sensor");
    sensor.clear_forced_status(cmd::read_state_count);

    test_support::load_machine(sensor, 2);
    sensor.force_status(cmd::start_state_machine, protocol::status::voltage_too_low);
    expect_start_message("Voltage too low to run state machine");
    sensor.force_status(cmd::start_state_machine, 5);
    expect_start_message("Failed to start state machine");
    sensor.clear_forced_status(cmd::start_state_machine);

    // A start that worked empties the history; a failed stop keeps the machine running.
    ASSERT_TRUE(wait_until([this] { return window_->status_monitor().history().count() > 0; }));
    sensor_control()->start_button()->click();
    ASSERT_TRUE(wait_until([this] { return ui::is_running(window_->shell_state()); }));
    EXPECT_LE(window_->status_monitor().history().count(), 1u);
    sensor.force_status(cmd::stop_state_machine, 1);
    const std::size_t before = prompts.messages().size();
    sensor_control()->stop_button()->click();
    ASSERT_TRUE(wait_until([&] { return prompts.messages().size() > before; }));
    EXPECT_EQ(prompts.last_message().title, "Stop");
    EXPECT_EQ(prompts.last_message().text, "Failed to stop state machine");
    EXPECT_TRUE(ui::is_running(window_->shell_state()));
}

TEST_F(Shell, HelpItemsAndMountAsDrive) {
    auto& sensor = plug("Help Sensor");
    open_window();
    window_->menu_action("Sensor &Port Pins...")->trigger();
    EXPECT_EQ(prompts.last_message().title, "Sensor Port Pins");
    EXPECT_TRUE(prompts.last_message().text.startsWith("Communication Port\n\n  PIN 1: 12-16 VDC\n"));
    window_->menu_action("&About...")->trigger();
    EXPECT_TRUE(prompts.last_message().text.startsWith("Device: \nFirmware Version: \nGUI Version: 1.0p"));

    connect_to("Help Sensor");
    window_->menu_action("&About...")->trigger();
    EXPECT_TRUE(prompts.last_message().text.contains("Firmware Version: 1.3.3"));
    const std::size_t before = prompts.messages().size();
    window_->menu_action("&Mount Sensor As Drive")->trigger();
    EXPECT_EQ(prompts.messages().size(), before);
    EXPECT_EQ(requests_of(sensor, cmd::mount_as_drive), 1u);
    sensor.force_status(cmd::mount_as_drive, 1);
    window_->menu_action("&Mount Sensor As Drive")->trigger();
    EXPECT_EQ(prompts.last_message().title, "Mount Sensor As Drive");
    EXPECT_EQ(prompts.last_message().text, "Request failed.");
}

TEST_F(Shell, VirtualSensorFromTheFileMenu) {
    open_window();
    EXPECT_TRUE(enabled("Attach &Virtual Sensor"));
    EXPECT_FALSE(enabled("Detach V&irtual Sensor"));
    window_->menu_action("Attach &Virtual Sensor")->trigger();
    ASSERT_TRUE(wait_until([this] { return row_of("Virtual Sensor") >= 0; }));
    EXPECT_FALSE(enabled("Attach &Virtual Sensor"));
    connect_to("Virtual Sensor");
    window_->menu_action("Detach V&irtual Sensor")->trigger();
    ASSERT_TRUE(wait_until([this] { return window_->shell_state() == 0; }));
    EXPECT_EQ(prompts.last_message().text, "Sensor Disconnected");
    EXPECT_TRUE(enabled("Attach &Virtual Sensor"));
}

// Configure / Chemistry: greyed while running; after the dialog the view reads the sensor's
// configuration again, so its channel labels follow a chemistry saved in the dialog.
TEST_F(Shell, ChemistryFromTheMenuThenTheViewRereadsItsConfiguration) {
    auto& sensor = plug("Chem Sensor");
    open_window();
    connect_to("Chem Sensor");
    ASSERT_TRUE(enabled("C&hemistry..."));
    settle(100);

    std::size_t reads_in_dialog = 0;
    QTimer::singleShot(0, [&] {
        wait_until([] { return QApplication::activeModalWidget() != nullptr; }, 3000);
        auto* d = qobject_cast<config::ChemistryDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->save_button()->click();
        reads_in_dialog = requests_of(sensor, cmd::read_chemistry_config);
        d->reject();
    });
    window_->menu_action("C&hemistry...")->trigger();
    ASSERT_GT(reads_in_dialog, 0u);
    EXPECT_EQ(prompts.last_message().text, "Nitrate Processing configuration saved");
    EXPECT_TRUE(wait_until(
        [&] { return requests_of(sensor, cmd::read_chemistry_config) > reads_in_dialog; }));

    // A dialog that could not load still has the view read the configuration again.
    sensor.force_status(cmd::read_chemistry_config, 1);
    settle(50);
    const std::size_t before = requests_of(sensor, cmd::read_chemistry_config);
    window_->menu_action("C&hemistry...")->trigger();
    EXPECT_EQ(prompts.last_message().text, "Failed to load chemistry config");
    EXPECT_TRUE(wait_until(
        [&] { return requests_of(sensor, cmd::read_chemistry_config) > before + 1; }));
}

// The start states dialog runs modally; these drive it from a timer while it is open.
void when_dialog_opens(std::function<void(ui::StartStatesDialog&)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        test_support::wait_until([] { return QApplication::activeModalWidget() != nullptr; }, 3000);
        if (auto* d = qobject_cast<ui::StartStatesDialog*>(QApplication::activeModalWidget()))
            act(*d);
    });
}

TEST_F(Shell, StartStatesFromAutostartAndFromTheMenu) {
    auto& sensor = plug("States Sensor");
    test_support::load_machine(sensor, 5);
    open_window();
    connect_to("States Sensor");
    const auto before = sensor.record(cmd::read_chemistry_config);
    ASSERT_EQ(before[7], 255);

    // From "Autostart" with autostart off: the automatic row comes checked with state 0;
    // Cancel writes nothing and the group reads the unchanged record again.
    bool seen = false;
    when_dialog_opens([&](ui::StartStatesDialog& d) {
        seen = true;
        EXPECT_TRUE(d.row_box(0)->isChecked());
        EXPECT_EQ(d.row_field(0)->text(), "0");
        EXPECT_TRUE(d.row_field(0)->isEnabled());
        EXPECT_FALSE(d.row_box(2)->isChecked());
        EXPECT_FALSE(d.row_field(2)->isEnabled());
        d.cancel_button()->click();
    });
    sensor_control()->autostart_box()->click();
    EXPECT_TRUE(seen);
    settle(50);
    EXPECT_EQ(requests_of(sensor, cmd::write_chemistry_config), 0u);
    EXPECT_FALSE(sensor_control()->autostart_box()->isChecked());

    // From the menu: numbers above the machine are marked, 300 is stored as 254.
    seen = false;
    when_dialog_opens([&](ui::StartStatesDialog& d) {
        seen = true;
        EXPECT_FALSE(d.row_box(0)->isChecked());
        d.row_box(2)->setChecked(true);
        d.row_field(2)->setText("300");
        EXPECT_TRUE(d.row_marked_wrong(2));
        d.row_field(2)->setText("4");
        EXPECT_FALSE(d.row_marked_wrong(2));
        d.row_field(2)->setText("300");
        d.save_button()->click();
    });
    window_->menu_action("S&tart States...")->trigger();
    EXPECT_TRUE(seen);
    const auto after = sensor.record(cmd::read_chemistry_config);
    ASSERT_EQ(after.size(), 18u);
    EXPECT_EQ(after[9], 254);  // manual priming
    EXPECT_EQ(after[10], 0);   // deployment kept
    settle(50);
    EXPECT_EQ(sensor_control()->start_list()->count(), 2);  // Deploy, Prime
    EXPECT_EQ(sensor_control()->start_list()->itemText(1), "Prime");

    // A failed write keeps the dialog open with its message.
    sensor.force_status(cmd::write_chemistry_config, 1);
    when_dialog_opens([&](ui::StartStatesDialog& d) {
        d.save_button()->click();
        EXPECT_TRUE(d.isVisible());
        d.cancel_button()->click();
    });
    window_->menu_action("S&tart States...")->trigger();
    EXPECT_EQ(prompts.last_message().title, "Save");
    EXPECT_EQ(prompts.last_message().text, "Failed to write State Machine Control States from sensor.");

    // A sensor that cannot give its record: the dialog does not open.
    sensor.force_status(cmd::read_chemistry_config, 1);
    window_->menu_action("S&tart States...")->trigger();
    EXPECT_EQ(prompts.last_message().title, "State Machine Control States");
    EXPECT_EQ(prompts.last_message().text, "Unable to read State Machine Control States from sensor.");
}

}  // namespace
}  // namespace quelmar::app
