// "Configure Optics, Valves & Pump Defaults" driven through its widgets against the virtual
// sensor: open, edit, Save, reopen; the enabling rules; and the live bench test.

#include "config/optics_defaults_dialog.h"

#include <gtest/gtest.h>

#include "protocol/commands.h"
#include "tests/support/sensor_fixture.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "virtual_sensor/optics_handlers.h"

namespace quelmar::config {
namespace {

namespace cmd = protocol::cmd;
using test_support::wait_until;

struct OpticsDialog : test_support::SensorFixture {
    ui::ScriptedPrompts prompts;

    void SetUp() override {
        test_support::ensure_application();
        SensorFixture::SetUp();
    }
    QString last_message() const {
        if (prompts.shown.empty())
            return {};
        return prompts.shown.back().title + ": " + prompts.shown.back().text;
    }
};

TEST_F(OpticsDialog, AnEditIsSavedAndStillThereWhenReopened) {
    {
        OpticsDefaultsDialog dialog(sensor_link, nullptr);
        ASSERT_TRUE(dialog.loaded());
        EXPECT_EQ(dialog.windowTitle(), "Configure Optics, Valves & Pump Defaults");
        EXPECT_EQ(dialog.led_box(0)->text(), "20.000");
        EXPECT_EQ(dialog.led_box(0)->toolTip(), "LED current (0mA-48mA)");
        EXPECT_TRUE(dialog.pmt_instrument_list()->isEnabled());
        EXPECT_FALSE(dialog.pmt_control_box()->isEnabled());  // instrument None
        EXPECT_FALSE(dialog.dic_frequency_box()->isEnabled());
        EXPECT_FALSE(dialog.show_volts_box()->isEnabled());
        EXPECT_FALSE(dialog.start_button()->isEnabled());

        dialog.led_box(1)->setText("50");
        dialog.pmt_instrument_list()->setCurrentIndex(1);
        EXPECT_TRUE(dialog.pmt_control_box()->isEnabled());
        dialog.pmt_control_box()->setText("0.2");
        dialog.spike_time_box()->setText("250");
        dialog.save_button()->click();
        EXPECT_EQ(last_message(), "Save: Settings saved");
        EXPECT_EQ(dialog.led_box(1)->text(), "48.000");
        EXPECT_EQ(dialog.pmt_control_box()->text(), "0.50000");
    }
    OpticsDefaultsDialog again(sensor_link, nullptr);
    ASSERT_TRUE(again.loaded());
    EXPECT_EQ(again.led_box(1)->text(), "48.000");
    EXPECT_EQ(again.pmt_instrument_list()->currentText(), "H10492 (Hamamatsu)");
    EXPECT_EQ(again.pmt_control_box()->text(), "0.50000");
    EXPECT_EQ(again.spike_time_box()->text(), "250");
}

TEST_F(OpticsDialog, OpeningFailsWithItsMessageAndSavingFailsWithAnother) {
    sensor.force_status(cmd::read_optics_defaults, 3);
    run_optics_defaults_dialog(nullptr, sensor_link);
    EXPECT_EQ(last_message(), "Configure Defaults: Unable to get existing defaults from sensor");
    sensor.clear_forced_status(cmd::read_optics_defaults);

    OpticsDefaultsDialog dialog(sensor_link, nullptr);
    ASSERT_TRUE(dialog.loaded());
    sensor.force_status(cmd::write_pump_valve_defaults, 3);
    dialog.led_box(0)->setText("7");
    dialog.save_button()->click();
    EXPECT_EQ(last_message(), "Save: Failed to save settings");
    EXPECT_EQ(dialog.led_box(0)->text(), "7");  // the user's entry stays
}

TEST_F(OpticsDialog, WithoutPhotomultiplierItsControlsStayOffAndAreNotWritten) {
    virtual_sensor::set_photomultiplier_fitted(sensor, false);
    OpticsDefaultsDialog dialog(sensor_link, nullptr);
    ASSERT_TRUE(dialog.loaded());
    EXPECT_FALSE(dialog.pmt_instrument_list()->isEnabled());
    EXPECT_FALSE(dialog.pmt_control_box()->isEnabled());
    dialog.save_button()->click();
    EXPECT_EQ(last_message(), "Save: Settings saved");
    EXPECT_EQ(requests_of(cmd::write_photomultiplier), 0u);
}

TEST_F(OpticsDialog, StopConditionDecidesTheHallAndTimeoutBoxes) {
    OpticsDefaultsDialog dialog(sensor_link, nullptr);
    ASSERT_TRUE(dialog.loaded());
    dialog.stop_condition_list()->setCurrentText("Timeout");
    EXPECT_FALSE(dialog.hall_inject_box()->isEnabled());
    EXPECT_TRUE(dialog.pump_timeout_box()->isEnabled());
    ASSERT_TRUE(dialog.hall_power_box()->isEnabled());
    dialog.hall_power_box()->setChecked(false);
    dialog.stop_condition_list()->setCurrentText("Step Count");
    EXPECT_FALSE(dialog.pump_timeout_box()->isEnabled());
    dialog.stop_condition_list()->setCurrentText("Hall Sensors");
    EXPECT_TRUE(dialog.hall_power_box()->isChecked());
    EXPECT_FALSE(dialog.hall_power_box()->isEnabled());
    EXPECT_TRUE(dialog.hall_withdraw_box()->isEnabled());
}

TEST_F(OpticsDialog, AValveAndOpticsTestShowsReadingsUntilStopped) {
    OpticsDefaultsDialog dialog(sensor_link, nullptr);
    ASSERT_TRUE(dialog.loaded());
    EXPECT_FALSE(dialog.valve_box(3)->isEnabled());
    dialog.test_valves_box()->click();
    EXPECT_TRUE(dialog.valve_box(3)->isEnabled());
    dialog.valve_box(3)->setChecked(true);
    dialog.test_optics_box()->click();
    ASSERT_TRUE(dialog.start_button()->isEnabled());
    dialog.start_button()->click();

    EXPECT_EQ(dialog.start_button()->text(), "Stop");
    EXPECT_FALSE(dialog.led_box(0)->isEnabled());
    EXPECT_FALSE(dialog.save_button()->isEnabled());
    EXPECT_TRUE(dialog.show_volts_box()->isEnabled());
    ASSERT_TRUE(wait_until([&] { return !dialog.channel_box(0)->text().isEmpty(); }));
    EXPECT_FALSE(dialog.channel_box(0)->text().contains('.'));
    dialog.show_volts_box()->setChecked(true);  // the last reading, shown again in volts
    EXPECT_TRUE(dialog.channel_box(0)->text().contains('.'));

    sensor.clear_requests();
    dialog.start_button()->click();
    EXPECT_FALSE(dialog.test_running());
    EXPECT_EQ(dialog.start_button()->text(), "Start");
    EXPECT_TRUE(dialog.led_box(0)->isEnabled());
    EXPECT_FALSE(dialog.show_volts_box()->isEnabled());
    EXPECT_EQ(requests_of(cmd::stop_optics_test), 1u);
    EXPECT_EQ(requests_of(cmd::stop_pump_test), 1u);
    EXPECT_EQ(requests_of(cmd::stop_valve_test), 1u);
}

TEST_F(OpticsDialog, APumpTestThatEndsByItselfGivesTheDialogBack) {
    OpticsDefaultsDialog dialog(sensor_link, nullptr);
    ASSERT_TRUE(dialog.loaded());
    dialog.stop_condition_list()->setCurrentText("Timeout");
    dialog.pump_timeout_box()->setText("1");
    dialog.test_pump_box()->click();
    EXPECT_TRUE(dialog.pump_continuously_box()->isEnabled());
    dialog.start_button()->click();
    ASSERT_EQ(dialog.start_button()->text(), "Stop");
    EXPECT_EQ(requests_of(cmd::start_optics_test), 1u);  // a pump test lights the optics too

    ASSERT_TRUE(wait_until([&] { return dialog.start_button()->text() == "Start"; }, 15000));
    EXPECT_FALSE(dialog.test_running());
    EXPECT_TRUE(dialog.led_box(0)->isEnabled());
    EXPECT_TRUE(dialog.start_button()->isEnabled());
    EXPECT_EQ(requests_of(cmd::stop_pump_test), 0u);
    EXPECT_EQ(requests_of(cmd::stop_optics_test), 1u);
}

TEST_F(OpticsDialog, AFailedStartIsReportedAndClosingSwitchesOffWhatStarted) {
    sensor.force_status(cmd::start_pump_test, 2);
    OpticsDefaultsDialog dialog(sensor_link, nullptr);
    ASSERT_TRUE(dialog.loaded());
    dialog.test_valves_box()->click();
    dialog.test_pump_box()->click();
    dialog.start_button()->click();
    EXPECT_EQ(last_message(), "Start: Unable to start");
    EXPECT_EQ(dialog.start_button()->text(), "Start");
    EXPECT_TRUE(dialog.led_box(0)->isEnabled());
    EXPECT_FALSE(dialog.test_running());
    EXPECT_EQ(requests_of(cmd::stop_valve_test), 0u);  // the valves keep running for now

    dialog.reject();
    EXPECT_EQ(requests_of(cmd::stop_optics_test), 1u);
}

TEST_F(OpticsDialog, ClosingWithoutATestStillSwitchesTheBenchOff) {
    OpticsDefaultsDialog dialog(sensor_link, nullptr);
    ASSERT_TRUE(dialog.loaded());
    sensor.clear_requests();
    dialog.reject();
    std::vector<std::uint16_t> codes;
    for (const auto& r : sensor.requests())
        codes.push_back(r.command());
    EXPECT_EQ(codes, (std::vector<std::uint16_t>{cmd::stop_optics_test, cmd::stop_pump_test,
                                                 cmd::stop_valve_test}));
}

TEST_F(OpticsDialog, ClosingDuringATestEndsItsThread) {
    auto dialog = std::make_unique<OpticsDefaultsDialog>(sensor_link, nullptr);
    ASSERT_TRUE(dialog->loaded());
    dialog->test_optics_box()->click();
    dialog->start_button()->click();
    ASSERT_TRUE(dialog->test_running());
    dialog->reject();
    EXPECT_FALSE(dialog->test_running());
    EXPECT_EQ(requests_of(cmd::stop_optics_test), 1u);
    dialog.reset();
    test_support::settle(50);  // nothing queued by the thread may reach the dialog now
}

}  // namespace
}  // namespace quelmar::config
