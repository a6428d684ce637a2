// The five settings dialogs driven through their real widgets against the virtual sensor:
// open, edit, Save, what the sensor stores, what the user is told.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>

#include "config/identity_dialog.h"
#include "config/platform_defaults_dialog.h"
#include "config/rs232_dialog.h"
#include "config/rs485_dialog.h"
#include "config/thermistor_dialog.h"
#include "protocol/commands.h"
#include "protocol/device_commands.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"

namespace quelmar::config {
namespace {

namespace cmd = protocol::cmd;

// What a user's pick in a list does: the list moves to the choice and says it was chosen,
// even when the choice is the one already shown.
void choose(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

class SettingsDialogs : public test_support::SensorFixture {
protected:
    void SetUp() override {
        test_support::ensure_application();
        SensorFixture::SetUp();
    }
    template <class T>
    T stored(std::uint16_t read_code) {
        return common::decode_record<T>(sensor.record(read_code));
    }
    void expect_message(const char* title, const char* text) {
        const auto m = prompts.last_message();
        EXPECT_EQ(m.title, title);
        EXPECT_EQ(m.text, text);
    }
    ui::ScriptedPrompts prompts;
};

TEST_F(SettingsDialogs, Rs232SlocumGliderIsSavedAsNone) {
    Rs232Config slocum;
    slocum.baud_rate = 19200;
    slocum.protocol = rs232_protocol::slocum_glider;
    slocum.mode = 1;
    sensor.set_record(cmd::read_rs232_config, test::bytes_of(common::encode_record(slocum)));

    Rs232Dialog d(sensor_link, nullptr);
    ASSERT_TRUE(d.loaded());
    EXPECT_EQ(d.windowTitle(), "Configure RS232");
    EXPECT_EQ(d.platform_box()->currentText(), "None");
    EXPECT_EQ(d.baud_box()->currentText(), "19200");  // showing the record presets nothing
    d.save_button()->click();
    expect_message("Save", "Settings saved");
    const auto saved = stored<Rs232Config>(cmd::read_rs232_config);
    EXPECT_EQ(saved.protocol, 0u);
    EXPECT_EQ(saved.mode, 0);
    EXPECT_EQ(saved.baud_rate, 19200u);

    // Choosing a platform sets the line; a failed write is reported and the dialog keeps
    // the user's entries.
    d.baud_box()->setCurrentIndex(0);
    d.parity_box()->setCurrentIndex(1);
    choose(d.platform_box(), 2);  // Generic Polled
    EXPECT_EQ(d.baud_box()->currentText(), "9600");
    EXPECT_EQ(d.data_bits_box()->currentText(), "8");
    EXPECT_EQ(d.stop_bits_box()->currentText(), "1");
    EXPECT_EQ(d.parity_box()->currentText(), "None");
    // Picking the platform already shown presets the line again.
    d.baud_box()->setCurrentIndex(0);
    d.stop_bits_box()->setCurrentIndex(1);
    choose(d.platform_box(), 2);
    EXPECT_EQ(d.baud_box()->currentText(), "9600");
    EXPECT_EQ(d.stop_bits_box()->currentText(), "1");
    sensor.force_status(cmd::write_rs232_config, 2);
    d.save_button()->click();
    expect_message("Save", "Failed to save settings");
    EXPECT_EQ(d.platform_box()->currentText(), "Generic Polled");
}

TEST_F(SettingsDialogs, Rs485HubPresetRedAddressAndLowByte) {
    Rs485Dialog d(sensor_link, nullptr);
    ASSERT_TRUE(d.loaded());
    EXPECT_EQ(d.address_field()->toolTip(), "Sensor slave address on RS485 bus");
    choose(d.platform_box(), 1);  // Marinodeck Hub
    EXPECT_EQ(d.baud_box()->currentText(), "19200");
    EXPECT_EQ(d.data_bits_box()->currentText(), "8");
    EXPECT_EQ(d.stop_bits_box()->currentText(), "1");
    EXPECT_EQ(d.parity_box()->currentText(), "Even");
    EXPECT_EQ(d.address_field()->text(), "64");
    EXPECT_EQ(d.poll_rate_field()->text(), "300");
    EXPECT_FALSE(d.address_marked());

    d.address_field()->setText("72");
    EXPECT_TRUE(d.address_marked());
    EXPECT_TRUE(d.save_button()->isEnabled());
    d.save_button()->click();
    expect_message("Save", "Settings saved");
    EXPECT_EQ(stored<Rs485Config>(cmd::read_rs485_config).slave_address, 72);

    d.address_field()->setText("300");
    d.save_button()->click();
    EXPECT_EQ(stored<Rs485Config>(cmd::read_rs485_config).slave_address, 44);
    EXPECT_EQ(d.address_field()->text(), "44");  // shown as read back

    // The hub picked again, with the hub already shown, restores its whole preset.
    d.poll_rate_field()->setText("5");
    choose(d.platform_box(), 1);
    EXPECT_EQ(d.address_field()->text(), "64");
    EXPECT_EQ(d.poll_rate_field()->text(), "300");
}

TEST_F(SettingsDialogs, PlatformDefaultsKeepANegativeOffsetAndNeverStoreNaN) {
    PlatformDefaultsDialog d(sensor_link, nullptr);
    ASSERT_TRUE(d.loaded());
    EXPECT_EQ(d.salinity_field()->text(), "35.000");
    EXPECT_EQ(d.time_offset_field()->toolTip(), "Offset from sensor RTC time to platform time");
    d.time_offset_field()->setText("-60");
    d.temperature_field()->setText("nan");
    d.depth_field()->setText("inf");
    d.oxygen_field()->setText("4.25");
    d.direction_box()->setCurrentIndex(2);  // Diving
    d.parameter_field(0)->setText("-5");
    d.save_button()->click();
    expect_message("Save", "Settings saved");
    const auto saved = stored<PlatformDefaults>(cmd::read_platform_defaults);
    EXPECT_EQ(saved.time_offset_s, -60);
    EXPECT_EQ(saved.temperature_c, 0.0f);
    EXPECT_EQ(saved.depth_m, 0.0f);
    EXPECT_EQ(saved.oxygen_ml_l, 4.25f);
    EXPECT_EQ(saved.direction, 2);
    EXPECT_EQ(saved.p1, -5);

    PlatformDefaultsDialog again(sensor_link, nullptr);
    EXPECT_EQ(again.time_offset_field()->text(), "-60");
    EXPECT_EQ(again.temperature_field()->text(), "0.000");
    EXPECT_EQ(again.direction_box()->currentText(), "Diving");
}

TEST_F(SettingsDialogs, ThermistorsShowAnUnknownChannelAsZeroAndSaveAllThree) {
    {
        // Thermistor 2 wired to a channel the sensor does not have.
        ThermistorConfig odd;
        odd.input_channel = 9;
        odd.c1 = 2.5f;
        ASSERT_EQ(write_thermistor_config(sensor_link, 1, odd), protocol::status::ok);
    }
    ThermistorDialog d(sensor_link, nullptr);
    ASSERT_TRUE(d.loaded());
    EXPECT_EQ(d.channel_box(1)->currentText(), "0");
    EXPECT_EQ(d.coefficient_field(1, 2)->text(), "2.50000");
    EXPECT_EQ(d.channel_box(0)->currentText(), "7");

    d.channel_box(2)->setCurrentIndex(6);
    d.coefficient_field(2, 0)->setText("0.00125");
    d.coefficient_field(2, 3)->setText("-nan");
    d.save_button()->click();
    expect_message("Save", "Settings saved");
    Thermistors back{};
    ASSERT_EQ(read_thermistors(sensor_link, back), protocol::status::ok);
    EXPECT_EQ(back[1].input_channel, 0);  // written as shown
    EXPECT_EQ(back[2].input_channel, 6);
    EXPECT_EQ(back[2].c3, 0.00125f);
    EXPECT_EQ(back[2].c0, 0.0f);
}

TEST_F(SettingsDialogs, IdentityNameLimitSaveAndClose) {
    IdentityDialog d(sensor_link, nullptr);
    ASSERT_TRUE(d.loaded());
    EXPECT_EQ(d.name_field()->toolTip(), "Sensor name to display in Connect view");
    EXPECT_TRUE(d.save_button()->isEnabled());

    d.name_field()->setText(QString(21, 'N'));
    EXPECT_TRUE(d.name_marked());
    EXPECT_FALSE(d.save_button()->isEnabled());
    d.name_field()->setText(QString(20, 'N'));
    EXPECT_FALSE(d.name_marked());
    EXPECT_TRUE(d.save_button()->isEnabled());
    d.serial_field()->setText("65536");
    EXPECT_TRUE(d.serial_marked());
    EXPECT_FALSE(d.save_button()->isEnabled());

    d.name_field()->setText("Reef Nitrate");
    d.serial_field()->setText("2468");
    d.show();
    d.save_button()->click();
    expect_message("Save", "Settings saved");
    EXPECT_EQ(d.result(), QDialog::Accepted);
    protocol::DeviceIdentity id;
    ASSERT_EQ(protocol::read_identity(sensor_link, id), protocol::status::ok);
    EXPECT_EQ(id.name_text(), "Reef Nitrate");
    EXPECT_EQ(id.serial_number, 2468);

    // Firmware too old: its own words, and the dialog closes all the same.
    sensor.set_legacy_identity(true);
    sensor.force_status(cmd::write_identity_old, 8);
    IdentityDialog old(sensor_link, nullptr);
    old.show();
    old.save_button()->click();
    expect_message("Save", "Failed to save settings (firmware is too old for GUI)");
    EXPECT_FALSE(old.isVisible());
}

TEST_F(SettingsDialogs, EachDialogSaysWhyItCannotOpen) {
    struct Case {
        std::uint16_t code;
        void (*run)(QWidget*, link::SensorLink&);
        const char* title;
        const char* text;
    };
    const Case cases[] = {
        {cmd::read_rs232_config, run_rs232_dialog, "RS232 Configuration",
         "Unable to retrieve RS232 settings from device"},
        {cmd::read_rs485_config, run_rs485_dialog, "RS485 Configuration",
         "Unable to retrieve RS485 settings from device"},
        {cmd::read_platform_defaults, run_platform_defaults_dialog, "PLATFORM Configuration",
         "Unable to retrieve PLATFORM settings from device"},
        {cmd::read_thermistor, run_thermistor_dialog, "Thermistors Configuration",
         "Unable to retrieve thermistors settings from device"},
        {cmd::read_identity, run_identity_dialog, "Configure Sensor Name",
         "Unable to retrieve Sensor Name from device"},
    };
    for (const Case& c : cases) {
        sensor.force_status(c.code, 3);
        c.run(nullptr, sensor_link);  // would wait for the user if it opened
        expect_message(c.title, c.text);
        sensor.clear_forced_status(c.code);
    }
}

}  // namespace
}  // namespace quelmar::config
