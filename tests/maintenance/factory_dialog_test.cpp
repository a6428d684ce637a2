#include "maintenance/factory_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "protocol/commands.h"
#include "protocol/device_commands.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "virtual_sensor/factory_handlers.h"

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

struct Factory : test_support::SensorFixture {
    ui::ScriptedPrompts prompts;

    void set_variant(std::int32_t variant) {
        protocol::SensorStatusRecord st;
        common::decode_record(sensor.record(cmd::read_status), st);
        st.hardware_variant = variant;
        const auto b = protocol::encode_sensor_status(st);
        sensor.set_record(cmd::read_status, {b.begin(), b.end()});
    }
    static std::vector<QWidget*> controls(const FactoryDialog& d) {
        return {d.name_field(),         d.serial_field(),      d.board_serial_field(),
                d.flash_save_button(),  d.fram_serial_field(), d.stroke_meter_field(),
                d.reset_button(),       d.fram_save_button(),  d.driver_serial_field(),
                d.driver_save_button(), d.upgrade_button()};
    }
    static int enabled_count(const FactoryDialog& d) {
        int n = 0;
        for (QWidget* w : controls(d))
            n += w->isEnabled();
        return n;
    }
    static void type(QLineEdit* field, const QString& text) {
        field->clear();
        key_in(field, text);
    }
};

TEST_F(Factory, ThePasswordUnlocksEveryGroupAtItsLastCharacter) {
    FactoryDialog d(sensor_link, nullptr);
    ASSERT_TRUE(d.loaded());
    EXPECT_EQ(d.windowTitle(), "Factory Settings");
    EXPECT_EQ(d.name_field()->text(), "Virtual Sensor");
    EXPECT_EQ(d.serial_field()->text(), "1001");
    EXPECT_EQ(d.board_serial_field()->text(), "7");
    EXPECT_EQ(d.stroke_meter_field()->text(),
              QString::number(virtual_sensor::factory_stroke_meter));
    EXPECT_EQ(d.driver_serial_field()->text(),
              QString::number(virtual_sensor::factory_driver_serial));
    EXPECT_EQ(d.reset_button()->toolTip(), "Reset Pump Stroke Meter To Zero");
    EXPECT_EQ(d.password_field()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(d.password_field()->maxLength(), 23);

    EXPECT_EQ(enabled_count(d), 0);
    type(d.password_field(), "brum");
    EXPECT_EQ(enabled_count(d), 0);
    key_in(d.password_field(), "e");
    EXPECT_EQ(enabled_count(d), 11);
    type(d.password_field(), "Brume");
    EXPECT_EQ(enabled_count(d), 0);
    type(d.password_field(), "brumes");
    EXPECT_EQ(enabled_count(d), 0);
}

TEST_F(Factory, ABootloaderHasOnlyItsFlashGroup) {
    sensor.set_mode(1);
    FactoryDialog d(sensor_link, nullptr);
    ASSERT_TRUE(d.loaded());
    type(d.password_field(), "brume");
    EXPECT_TRUE(d.name_field()->isEnabled());
    EXPECT_TRUE(d.flash_save_button()->isEnabled());
    EXPECT_FALSE(d.fram_save_button()->isEnabled());
    EXPECT_FALSE(d.stroke_meter_field()->isEnabled());
    EXPECT_FALSE(d.reset_button()->isEnabled());
    EXPECT_FALSE(d.driver_save_button()->isEnabled());
    EXPECT_FALSE(d.upgrade_button()->isEnabled());
    EXPECT_EQ(enabled_count(d), 4);
}

TEST_F(Factory, AVariantWithoutDriverBoardLeavesItsGroupDisabled) {
    set_variant(4);
    FactoryDialog d(sensor_link, nullptr);
    ASSERT_TRUE(d.loaded());
    type(d.password_field(), "brume");
    EXPECT_TRUE(d.fram_save_button()->isEnabled());
    EXPECT_TRUE(d.upgrade_button()->isEnabled());
    EXPECT_FALSE(d.driver_serial_field()->isEnabled());
    EXPECT_FALSE(d.driver_save_button()->isEnabled());
}

TEST_F(Factory, AFailedReadClosesWithItsMessage) {
    sensor.force_status(cmd::read_fram_factory, 3);
    FactoryDialog d(sensor_link, nullptr);
    EXPECT_FALSE(d.loaded());
    EXPECT_EQ(prompts.last_message().title, "Factory Settings");
    EXPECT_EQ(prompts.last_message().text, "Unable to retrieve factory settings from sensor");
}

// The FLASH group is written as a new record: bytes 1, 23 and 26 that the sensor held go back
// to 0, and the numbers are stored as the sensor keeps them.
TEST_F(Factory, FlashSaveBuildsTheIdentityFromZero) {
    auto id = sensor.record(cmd::read_identity);
    id[1] = 0xA1;
    id[23] = 0xB2;
    id[26] = 0xC3;
    sensor.set_record(cmd::read_identity, id);
    FactoryDialog d(sensor_link, nullptr);
    type(d.password_field(), "brume");
    type(d.name_field(), "Deep Lab");
    type(d.serial_field(), "70000");
    type(d.board_serial_field(), "300");
    d.flash_save_button()->click();
    EXPECT_EQ(prompts.last_message().title, "Save (Processing Board FLASH)");
    EXPECT_EQ(prompts.last_message().text, "Saved Processing Board FLASH settings to sensor");
    const test::Image expected =
        test::hex("02 00") + test::ascii("Deep Lab", 21) + test::hex("00 | FF FF | 00 | 2C 00");
    EXPECT_EQ(sensor.record(cmd::read_identity), expected.bytes);
    EXPECT_EQ(d.serial_field()->text(), "65535");  // read back
    EXPECT_EQ(d.board_serial_field()->text(), "44");

    sensor.force_status(cmd::read_identity, 3);  // the read-back fails
    type(d.serial_field(), "12");
    d.flash_save_button()->click();
    EXPECT_EQ(prompts.last_message().text,
              "Unable to save Processing Board FLASH settings to sensor");
    EXPECT_EQ(d.serial_field()->text(), "12");  // as typed
}

TEST_F(Factory, FramResetAndDriverBoardSaves) {
    FactoryDialog d(sensor_link, nullptr);
    type(d.password_field(), "brume");
    d.reset_button()->click();
    EXPECT_EQ(d.stroke_meter_field()->text(), "0");
    // The reset alone writes nothing.
    EXPECT_EQ(requests_of(cmd::write_fram_factory), 0u);
    type(d.fram_serial_field(), "258");
    d.fram_save_button()->click();
    EXPECT_EQ(prompts.last_message().title, "Save (Processing Board FRAM)");
    EXPECT_EQ(prompts.last_message().text, "Saved Processing Board FRAM settings to sensor");
    EXPECT_EQ(sensor.record(cmd::read_fram_factory), test::hex("02 02 00 00 00 00 00 00 00").bytes);
    EXPECT_EQ(d.fram_serial_field()->text(), "2");

    type(d.driver_serial_field(), "300");
    d.driver_save_button()->click();
    EXPECT_EQ(prompts.last_message().title, "Save (Driver Board NVRAM)");
    EXPECT_EQ(prompts.last_message().text, "Saved Driver Board NVRAM settings to sensor");
    EXPECT_EQ(sensor.record(cmd::read_nvram_factory), test::hex("00 2C 00 00 00").bytes);
    EXPECT_EQ(d.driver_serial_field()->text(), "44");

    sensor.force_status(cmd::write_nvram_factory, 3);
    type(d.driver_serial_field(), "abc");
    d.driver_save_button()->click();
    EXPECT_EQ(prompts.last_message().text, "Unable to save Driver Board NVRAM settings to sensor");
    EXPECT_EQ(d.driver_serial_field()->text(), "abc");
    sensor.force_status(cmd::write_fram_factory, 3);
    d.fram_save_button()->click();
    EXPECT_EQ(prompts.last_message().text,
              "Unable to save Processing Board FRAM settings to sensor");
}

TEST_F(Factory, UpgradeGoesToTheUpgradeDialogWithTheDeviceMode) {
    FactoryDialog d(sensor_link, nullptr);
    type(d.password_field(), "brume");
    int mode = -1;
    set_factory_upgrade_opener([&](QWidget*, link::SensorLink& l, std::uint8_t m) {
        EXPECT_EQ(&l, &sensor_link);
        mode = m;
    });
    d.upgrade_button()->click();
    EXPECT_EQ(mode, 2);
    set_factory_upgrade_opener(nullptr);

    // Without a hook it is the upgrade dialog itself: the bootloader warning comes first, and
    // with no image chosen nothing is sent.
    prompts.answer_no();
    d.upgrade_button()->click();
    EXPECT_EQ(prompts.shown.back().title, "Upgrade Bootloader");
    EXPECT_TRUE(prompts.messages().empty());
    prompts.answer_yes();
    d.upgrade_button()->click();
    EXPECT_EQ(requests_of(cmd::firmware_block), 0u);
}

}  // namespace
}  // namespace quelmar::maintenance
