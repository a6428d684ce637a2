// Configure / Optics, Valves & Pump... as a user reaches it: greyed until a sensor is
// connected, then the dialog opens from the menu, keeps a saved edit and shows it on reopening.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "app/connect_view.h"
#include "app/main_window.h"
#include "config/optics_defaults_dialog.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "ui/shell_state.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::app {
namespace {

using test_support::wait_until;

const QString item = "&Optics, Valves && Pump...";

// Triggers the menu item and, once its modal dialog is up, hands it to `use`, which must close
// it. False when no dialog came up.
bool with_dialog(QAction* action, const std::function<void(config::OpticsDefaultsDialog&)>& use) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* d = qobject_cast<config::OpticsDefaultsDialog*>(QApplication::activeModalWidget());
        if (!d || seen)
            return;
        seen = true;
        poll.stop();
        use(*d);
    });
    poll.start();
    action->trigger();  // returns when the dialog has closed
    return seen;
}

TEST(OpticsMenu, OpensFromConfigureAndKeepsASavedEdit) {
    test_support::ensure_application();
    ui::ScriptedPrompts prompts;
    virtual_sensor::VirtualSensor sensor;
    sensor.attach();
    MainWindow window;
    QAction* action = window.menu_action(item);
    ASSERT_NE(action, nullptr);
    EXPECT_FALSE(action->isEnabled());

    auto* view = qobject_cast<ConnectView*>(window.current_view());
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(wait_until([&] { return view->list()->topLevelItemCount() > 0; }));
    view->select_row(0);
    view->connect_button()->click();
    ASSERT_TRUE(wait_until([&] { return ui::is_connected(window.shell_state()); }));
    ASSERT_TRUE(action->isEnabled());

    ASSERT_TRUE(with_dialog(action, [&](config::OpticsDefaultsDialog& d) {
        d.led_box(2)->setText("12.5");
        d.save_button()->click();
        d.reject();
    }));
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.shown.back().text, "Settings saved");

    QString shown;
    ASSERT_TRUE(with_dialog(action, [&](config::OpticsDefaultsDialog& d) {
        shown = d.led_box(2)->text();
        d.reject();
    }));
    EXPECT_EQ(shown, "12.500");
}

}  // namespace
}  // namespace quelmar::app
