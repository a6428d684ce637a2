// A sensor whose firmware does not start is recovered from the connect view: its bootloader
// takes a new firmware image, the sensor restarts into it, and the compatibility view then
// judges the new firmware.

#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "app/connect_view.h"
#include "app/main_window.h"
#include "maintenance/compatibility_view.h"
#include "protocol/commands.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "virtual_sensor/bootloader_image.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::maintenance {
namespace {

using test_support::wait_until;

struct FirmwareRecovery : ::testing::Test {
    ui::ScriptedPrompts prompts;
    std::unique_ptr<virtual_sensor::VirtualSensor> sensor;
    std::unique_ptr<app::MainWindow> window;
    std::filesystem::path file = std::filesystem::temp_directory_path() /
                                 ("quelmar_recovery_" + std::to_string(::getpid()) + ".bin");

    void SetUp() override { test_support::ensure_application(); }
    void TearDown() override {
        window.reset();
        test_support::settle(20);
        sensor.reset();
        std::filesystem::remove(file);
    }
    void plug(std::uint8_t mode, const std::string& version = "0.1") {
        virtual_sensor::VirtualSensorOptions o;
        o.name = "Recovery Sensor";
        o.mode = mode;
        o.software_version = version;
        sensor = std::make_unique<virtual_sensor::VirtualSensor>(o);
        sensor->attach();
        window = std::make_unique<app::MainWindow>();
        test_support::settle(50);
    }
    app::ConnectView* connect_view() { return qobject_cast<app::ConnectView*>(window->current_view()); }
    int row_state(QString* state = nullptr) {
        auto* list = connect_view()->list();
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(0) == "Recovery Sensor") {
                if (state) *state = list->topLevelItem(i)->text(2);
                return i;
            }
        return -1;
    }
};

TEST_F(FirmwareRecovery, UpgradeButtonIsOfferedOnlyForABootloader) {
    plug(2);
    auto* button = connect_view()->upgrade_button();
    EXPECT_EQ(button->text(), "Upgrade Firmware");
    EXPECT_EQ(button->toolTip(), "Upgrade Sensor Firmware");
    EXPECT_FALSE(button->isEnabled());
    connect_view()->select_row(row_state());
    EXPECT_FALSE(button->isEnabled());
    connect_view()->select_row(-1);
    connect_view()->upgrade_pressed();
    EXPECT_EQ(prompts.last_message().title, "Upgrade Firmware");
    EXPECT_EQ(prompts.last_message().text, "Nothing selected");
}

TEST_F(FirmwareRecovery, BootloaderTakesNewFirmwareAndTheViewJudgesIt) {
    plug(1);
    const auto image = virtual_sensor::make_firmware_image("1.3.1");
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));

    QString state;
    const int row = row_state(&state);
    ASSERT_GE(row, 0);
    EXPECT_EQ(state, "Bootloader (v3)");
    connect_view()->select_row(row);
    ASSERT_TRUE(connect_view()->upgrade_button()->isEnabled());
    prompts.choose(QString::fromStdString(file.string()));
    connect_view()->upgrade_button()->click();  // returns once the modal dialog has closed
    ASSERT_FALSE(prompts.messages().empty());
    EXPECT_EQ(prompts.last_message().text.toStdString(),
              "Upgrade complete, " + std::to_string(image.size()) + " bytes written");
    EXPECT_FALSE(connect_view()->upgrade_button()->isEnabled());

    // The sensor restarts: it leaves the bus and arrives running the new firmware.
    ASSERT_TRUE(wait_until([&] { return row_state(&state) >= 0 && state == "Firmware"; }));
    connect_view()->select_row(row_state());
    connect_view()->connect_button()->click();
    ASSERT_TRUE(wait_until([&] { return ui::is_connected(window->shell_state()); }));

    QAction* item = window->menu_action("&Compatibility");
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    auto* view = qobject_cast<CompatibilityView*>(window->current_view());
    ASSERT_NE(view, nullptr);
    QStringList lines;
    for (int i = 0; i < view->verdict_list()->topLevelItemCount(); ++i)
        lines << view->verdict_list()->topLevelItem(i)->text(0);
    EXPECT_EQ(lines.value(0), "Sensor's Firmware Version: 1.3.1");
    EXPECT_TRUE(lines.contains("Do not use Nutrient Processed Data features without updating firmware"));
    EXPECT_EQ(lines.value(lines.size() - 1), "All other operations are safe.");
}

TEST_F(FirmwareRecovery, ASensorPluggedInDuringTheUpgradeDoesNotCutItOff) {
    plug(1);
    sensor->set_reply_latency(std::chrono::milliseconds(5));
    const auto image = virtual_sensor::make_firmware_image("1.3.2", 64 * 40);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    connect_view()->select_row(row_state());
    prompts.choose(QString::fromStdString(file.string()));
    // Another sensor arrives once the transfer is under way; its arrival reaches the window
    // while the upgrade dialog is open.
    std::unique_ptr<virtual_sensor::VirtualSensor> other;
    QTimer::singleShot(50, [&] {
        virtual_sensor::VirtualSensorOptions o;
        o.name = "Other Sensor";
        other = std::make_unique<virtual_sensor::VirtualSensor>(o);
        other->attach();
    });
    connect_view()->upgrade_button()->click();
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(prompts.last_message().text.toStdString(),
              "Upgrade complete, " + std::to_string(image.size()) + " bytes written");
    window.reset();
    test_support::settle(20);
    other.reset();
}

}  // namespace
}  // namespace quelmar::maintenance
