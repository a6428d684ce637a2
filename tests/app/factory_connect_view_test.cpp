// The connect view's "Factory Settings..." button: the chosen sensor opens in the dialog on a
// link of its own, and the list shows what was saved once it closes.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "app/connect_view.h"
#include "maintenance/factory_dialog.h"
#include "protocol/commands.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "virtual_sensor/factory_handlers.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::maintenance {
namespace {

using test_support::settle;
using test_support::wait_until;
namespace cmd = protocol::cmd;

// Typed a character at a time, as the user does, so each one changes the text.
void key_in(QLineEdit* field, const QString& text) {
    for (QChar c : text)
        field->insert(QString(c));
}

// From the connect view: the chosen sensor opens in the dialog, and the list shows what was
// saved once it closes.
TEST(FactoryFromConnectView, OpensOnTheChosenSensorAndRebuildsTheList) {
    ui::ScriptedPrompts prompts;
    virtual_sensor::VirtualSensorOptions options;
    options.name = "Factory Probe";
    virtual_sensor::VirtualSensor sensor(options);
    sensor.attach();
    link::SensorLink link;
    app::ConnectView view(link, nullptr);
    auto row_of = [&](const QString& name) {
        for (int i = 0; i < view.list()->topLevelItemCount(); ++i)
            if (view.list()->topLevelItem(i)->text(0) == name)
                return i;
        return -1;
    };
    EXPECT_EQ(view.factory_button()->toolTip(), "Set Factory Settings (requires password)");
    EXPECT_FALSE(view.factory_button()->isEnabled());
    view.factory_pressed();
    EXPECT_EQ(prompts.last_message().title, "Factory Settings");
    EXPECT_EQ(prompts.last_message().text, "Nothing selected");

    const int row = row_of("Factory Probe");
    ASSERT_GE(row, 0);
    view.select_row(row);
    ASSERT_TRUE(view.factory_button()->isEnabled());
    bool seen = false;
    QTimer::singleShot(0, [&] {
        wait_until([] { return QApplication::activeModalWidget() != nullptr; }, 3000);
        auto* d = qobject_cast<FactoryDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        seen = true;
        EXPECT_EQ(link::sensor_link_timeout(link), 5000u);
        key_in(d->password_field(), "brume");
        d->name_field()->setText("Renamed Probe");
        d->flash_save_button()->click();
        d->reject();
    });
    view.factory_button()->click();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(link::sensor_link_is_open(link));
    EXPECT_GE(row_of("Renamed Probe"), 0);
    EXPECT_FALSE(view.factory_button()->isEnabled());
    EXPECT_FALSE(view.connect_button()->isEnabled());
}

// A sensor plugged in or out while the dialog is open must not take the dialog's link away:
// the bootloader upgrade it offers has to run to its end. The list is read again afterwards.
TEST(FactoryFromConnectView, DeviceChangesWhileOpenLeaveItsLinkAlone) {
    ui::ScriptedPrompts prompts;
    virtual_sensor::VirtualSensorOptions options;
    options.name = "Factory Hold";
    virtual_sensor::VirtualSensor sensor(options);
    sensor.attach();
    link::SensorLink link;
    app::ConnectView view(link, nullptr);
    int row = -1;
    for (int i = 0; i < view.list()->topLevelItemCount(); ++i)
        if (view.list()->topLevelItem(i)->text(0) == "Factory Hold")
            row = i;
    ASSERT_GE(row, 0);
    view.select_row(row);
    bool open_after_arrival = false, open_after_removal = false;
    QTimer::singleShot(0, [&] {
        wait_until([] { return QApplication::activeModalWidget() != nullptr; }, 3000);
        auto* d = qobject_cast<FactoryDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        view.device_changed({link::device_event_arrival, "elsewhere"});
        open_after_arrival = link::sensor_link_is_open(link);
        view.device_changed({link::device_event_removal, "elsewhere"});
        open_after_removal = link::sensor_link_is_open(link);
        d->reject();
    });
    view.factory_button()->click();
    EXPECT_TRUE(open_after_arrival);
    EXPECT_TRUE(open_after_removal);
    EXPECT_FALSE(link::sensor_link_is_open(link));
    EXPECT_FALSE(view.factory_button()->isEnabled());
}

}  // namespace
}  // namespace quelmar::maintenance
