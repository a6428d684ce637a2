// The Configure menu's communications, platform, thermistor and identity items, as a user
// reaches them: greyed without a sensor, each opening its dialog on the connected sensor and
// keeping what was saved, the view re-reading the thermistors and the caption following the
// new name.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "app/connect_view.h"
#include "app/main_window.h"
#include "config/identity_dialog.h"
#include "config/platform_defaults_dialog.h"
#include "config/rs232_dialog.h"
#include "config/rs485_dialog.h"
#include "config/thermistor_dialog.h"
#include "link/discovery.h"
#include "protocol/commands.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::app {
namespace {

using test_support::settle;
using test_support::wait_until;
namespace cmd = protocol::cmd;

constexpr const char* settings_items[] = {"RS&232...", "RS48&5...", "Platform &Defaults...",
                                          "The&rmistors...", "Sensor &Identification..."};

// Runs `act` on the dialog of type D once it is open modally; false if it never opened.
template <class D>
void when_open(bool& seen, std::function<void(D&)> act) {
    seen = false;
    QTimer::singleShot(0, [&seen, act = std::move(act)] {
        wait_until([] { return QApplication::activeModalWidget() != nullptr; }, 3000);
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) {
            seen = true;
            act(*d);
            if (d->isVisible()) d->reject();
        }
    });
}

class SettingsMenu : public ::testing::Test {
protected:
    void SetUp() override {
        test_support::ensure_application();
        virtual_sensor::VirtualSensorOptions o;
        o.name = "Menu Sensor";
        sensor = std::make_unique<virtual_sensor::VirtualSensor>(o);
        sensor->attach();
        window = std::make_unique<MainWindow>();
        settle(50);
    }
    void TearDown() override {
        window.reset();
        settle(20);
        sensor.reset();
    }
    void connect_sensor() {
        auto* view = qobject_cast<ConnectView*>(window->current_view());
        ASSERT_NE(view, nullptr);
        auto* list = view->list();
        int row = -1;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(0) == "Menu Sensor") row = i;
        ASSERT_GE(row, 0);
        view->select_row(row);
        view->connect_button()->click();
        ASSERT_TRUE(wait_until([this] { return ui::is_connected(window->shell_state()); }));
    }
    std::size_t requests_of(std::uint16_t code) {
        std::size_t n = 0;
        for (const auto& r : sensor->requests())
            if (r.command() == code) ++n;
        return n;
    }
    void trigger(const char* item) { window->menu_action(item)->trigger(); }

    ui::ScriptedPrompts prompts;
    std::unique_ptr<virtual_sensor::VirtualSensor> sensor;
    std::unique_ptr<MainWindow> window;
};

TEST_F(SettingsMenu, ItemsNeedAnIdleConnectedSensor) {
    for (const char* item : settings_items) {
        QAction* a = window->menu_action(item);
        ASSERT_NE(a, nullptr) << item;
        EXPECT_FALSE(a->isEnabled()) << item;
    }
    connect_sensor();
    for (const char* item : settings_items) EXPECT_TRUE(window->menu_action(item)->isEnabled());
}

TEST_F(SettingsMenu, EachDialogKeepsWhatWasSaved) {
    connect_sensor();
    bool seen = false;

    when_open<config::Rs232Dialog>(seen, [](config::Rs232Dialog& d) {
        d.platform_box()->setCurrentIndex(1);  // Seaglider
        d.baud_box()->setCurrentIndex(8);      // 115200
        d.save_button()->click();
    });
    trigger("RS&232...");
    EXPECT_TRUE(seen);
    EXPECT_EQ(prompts.last_message().text, "Settings saved");
    when_open<config::Rs232Dialog>(seen, [](config::Rs232Dialog& d) {
        EXPECT_EQ(d.platform_box()->currentText(), "Seaglider");
        EXPECT_EQ(d.baud_box()->currentText(), "115200");
    });
    trigger("RS&232...");
    EXPECT_TRUE(seen);

    when_open<config::Rs485Dialog>(seen, [](config::Rs485Dialog& d) {
        d.platform_box()->setCurrentIndex(1);
        d.address_field()->setText("70");
        d.save_button()->click();
    });
    trigger("RS48&5...");
    when_open<config::Rs485Dialog>(seen, [](config::Rs485Dialog& d) {
        EXPECT_EQ(d.platform_box()->currentText(), "Marinodeck Hub");
        EXPECT_EQ(d.address_field()->text(), "70");
    });
    trigger("RS48&5...");
    EXPECT_TRUE(seen);

    when_open<config::PlatformDefaultsDialog>(seen, [](config::PlatformDefaultsDialog& d) {
        d.dive_number_field()->setText("17");
        d.save_button()->click();
    });
    trigger("Platform &Defaults...");
    when_open<config::PlatformDefaultsDialog>(seen, [](config::PlatformDefaultsDialog& d) {
        EXPECT_EQ(d.dive_number_field()->text(), "17");
    });
    trigger("Platform &Defaults...");
    EXPECT_TRUE(seen);
}

TEST_F(SettingsMenu, ThermistorsMakeTheViewRereadAndIdentityRefreshesTheCaption) {
    connect_sensor();
    bool seen = false;
    when_open<config::ThermistorDialog>(seen, [](config::ThermistorDialog& d) {
        d.coefficient_field(0, 3)->setText("1.5");
        d.save_button()->click();
    });
    const std::size_t reads_before = requests_of(cmd::read_thermistor);
    trigger("The&rmistors...");
    EXPECT_TRUE(seen);
    // The dialog read 3 and read 3 back; the raw output view then reads its three again.
    EXPECT_TRUE(wait_until([&] { return requests_of(cmd::read_thermistor) >= reads_before + 9; }));

    when_open<config::IdentityDialog>(seen, [](config::IdentityDialog& d) {
        d.name_field()->setText("Harbour Nitrate");
        d.save_button()->click();
    });
    trigger("Sensor &Identification...");
    EXPECT_TRUE(seen);
    EXPECT_EQ(prompts.last_message().text, "Settings saved");
    const std::string type = link::device_type_name(sensor->options().device_type);
    EXPECT_EQ(window->windowTitle().toStdString(), "Harbour Nitrate (" + type + ")");
    EXPECT_EQ(window->status_text(0), "Harbour Nitrate connected");
}

}  // namespace
}  // namespace quelmar::app
