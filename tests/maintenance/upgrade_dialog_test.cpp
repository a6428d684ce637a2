#include "maintenance/upgrade_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "common/bytes.h"
#include "maintenance/compatibility_view.h"
#include "protocol/commands.h"
#include "protocol/device_records.h"
#include "tests/support/sensor_fixture.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "virtual_sensor/bootloader_handlers.h"

namespace quelmar::maintenance {
namespace {

using test_support::wait_until;
using Kind = ui::PromptRecord::Kind;

struct UpgradeDialogTest : test_support::SensorFixture {
    ui::ScriptedPrompts prompts;
    std::filesystem::path file = std::filesystem::temp_directory_path() /
                                 ("quelmar_dialog_" + std::to_string(::getpid()) + ".bin");

    void SetUp() override {
        test_support::ensure_application();
        test_support::SensorFixture::SetUp();
    }
    void TearDown() override {
        std::filesystem::remove(file);
        test_support::SensorFixture::TearDown();
    }
    void write_image(std::size_t n) {
        std::vector<char> bytes(n);
        for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(i * 3 + 5);
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(n));
    }
    QString path() const { return QString::fromStdString(file.string()); }
    std::vector<std::pair<QString, QString>> messages() const {
        std::vector<std::pair<QString, QString>> out;
        for (const auto& m : prompts.messages()) out.emplace_back(m.title, m.text);
        return out;
    }
    using Messages = std::vector<std::pair<QString, QString>>;
};

TEST_F(UpgradeDialogTest, FirmwareImageToABootloader) {
    sensor.set_mode(1);
    write_image(130);
    prompts.choose(path());
    EXPECT_EQ(run_upgrade_dialog(nullptr, sensor_link, upgrade_firmware_mode), 1);
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.shown[0].kind, Kind::open_file);
    EXPECT_EQ(prompts.shown[0].title, "Firmware Binary File");
    EXPECT_EQ(prompts.shown[0].text, "Firmware Binary Files (*.bin)");
    EXPECT_EQ(messages(), (Messages{{"Upgrade", "Upgrade complete, 130 bytes written"}}));
    std::uint32_t target = 1;
    EXPECT_EQ(sensor.received_image(&target).size(), 130u);
    EXPECT_EQ(target, firmware_target_address);
}

TEST_F(UpgradeDialogTest, BootloaderImageOnlyAfterTheWarningIsAccepted) {
    write_image(100);
    prompts.answer_no();
    EXPECT_EQ(run_upgrade_dialog(nullptr, sensor_link, upgrade_bootloader_mode), 2);
    ASSERT_EQ(prompts.shown.size(), 1u);  // the question only: no file choice, nothing sent
    EXPECT_EQ(prompts.shown[0].title, "Upgrade Bootloader");
    EXPECT_EQ(prompts.shown[0].text, bootloader_warning_text);
    EXPECT_EQ(requests_of(protocol::cmd::firmware_block), 0u);

    prompts.shown.clear();
    prompts.answer_yes();
    prompts.choose(path());
    EXPECT_EQ(run_upgrade_dialog(nullptr, sensor_link, upgrade_bootloader_mode), 1);
    ASSERT_GE(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].title, "Bootloader Binary File");
    EXPECT_EQ(prompts.shown[1].text, "Bootloader Binary Files (*.bin)");
    std::uint32_t target = 1;
    EXPECT_EQ(sensor.received_image(&target).size(), 100u);
    EXPECT_EQ(target, bootloader_target_address);
}

TEST_F(UpgradeDialogTest, NoFileUnknownModeRefusedBlockAndMissingFile) {
    sensor.set_mode(1);
    prompts.choose_cancel();
    EXPECT_EQ(run_upgrade_dialog(nullptr, sensor_link, upgrade_firmware_mode), 2);
    EXPECT_EQ(run_upgrade_dialog(nullptr, sensor_link, 0), 2);
    EXPECT_TRUE(prompts.messages().empty());
    EXPECT_EQ(requests_of(protocol::cmd::firmware_block), 0u);

    write_image(1000);
    virtual_sensor::refuse_upgrade_block(sensor, 5, 3);
    prompts.choose(path());
    EXPECT_EQ(run_upgrade_dialog(nullptr, sensor_link, upgrade_firmware_mode), 2);
    prompts.choose(path() + ".missing");
    EXPECT_EQ(run_upgrade_dialog(nullptr, sensor_link, upgrade_firmware_mode), 2);
    EXPECT_EQ(messages(), (Messages{{"Upgrade", "Upgrade failed after 320 bytes (3)"},
                                    {"Upgrade", "Upgrade failed after 0 bytes (1)"}}));
}

// A transfer slow enough to press Cancel in: every reply takes a while.
struct SlowUpgrade : UpgradeDialogTest {
    void SetUp() override {
        UpgradeDialogTest::SetUp();
        write_image(64 * 400);
        sensor.set_reply_latency(std::chrono::milliseconds(5));
    }
    std::size_t blocks_sent() const { return requests_of(protocol::cmd::firmware_block); }
};

TEST_F(SlowUpgrade, BootloaderUpgradeCannotBeCancelled) {
    UpgradeDialog dialog(sensor_link, true, path(), nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Upgrade Bootloader");
    ASSERT_TRUE(dialog.start());
    dialog.show();
    ASSERT_TRUE(wait_until([&] { return dialog.status_line()->text().startsWith("Upgrade running, "); }));
    dialog.cancel_button()->click();
    dialog.reject();  // Escape is the same refusal
    ASSERT_TRUE(wait_until([&] { return dialog.isHidden(); }, 30000));
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(messages(), (Messages{{"Cancel", bootloader_cancel_refused_text},
                                    {"Cancel", bootloader_cancel_refused_text},
                                    {"Upgrade", "Upgrade complete, 25600 bytes written"}}));
}

TEST_F(SlowUpgrade, FirmwareUpgradeStopsOnlyWhenTheUserSaysYes) {
    sensor.set_mode(1);
    UpgradeDialog dialog(sensor_link, false, path(), nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Upgrade Firmware");
    ASSERT_TRUE(dialog.start());
    dialog.show();
    ASSERT_TRUE(wait_until([&] { return blocks_sent() > 2; }));
    prompts.answer_no();
    dialog.cancel_button()->click();
    EXPECT_FALSE(dialog.isHidden());
    const std::size_t after_no = blocks_sent();
    ASSERT_TRUE(wait_until([&] { return blocks_sent() > after_no + 2; }));  // it went on

    prompts.answer_yes();
    dialog.cancel_button()->click();
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_EQ(dialog.status_line()->text(), "Stopping...");
    EXPECT_EQ(dialog.result(), 2);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].kind, Kind::yes_no);
    EXPECT_EQ(prompts.shown[0].title, "Cancel");
    EXPECT_EQ(prompts.shown[0].text, firmware_cancel_question);
    // The worker ends before its next block and the sensor never takes a partial image; the
    // late "finished" is not shown.
    test_support::settle(100);
    EXPECT_TRUE(prompts.messages().empty());
    EXPECT_LT(blocks_sent(), 400u);
    EXPECT_EQ(virtual_sensor::images_taken(sensor), 0u);
}

TEST_F(UpgradeDialogTest, CancelWithNoTransferClosesAtOnce) {
    UpgradeDialog dialog(sensor_link, true, path(), nullptr);
    dialog.show();
    dialog.cancel_button()->click();
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_EQ(dialog.result(), 2);
    EXPECT_TRUE(prompts.shown.empty());
}

// The compatibility view against sensors reporting different versions.
struct CompatibilityViewTest : UpgradeDialogTest {
    QStringList lines(QTreeWidget* list, int column = 0) {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i) out << list->topLevelItem(i)->text(column);
        return out;
    }
    QColor colour(QTreeWidget* list, int row, int column = 0) {
        return list->topLevelItem(row)->foreground(column).color();
    }
    void report(const std::string& version) {
        protocol::SoftwareVersion v;
        common::put_text(v.text.data(), v.text.size(), version);
        const auto b = protocol::encode_software_version(v);
        sensor.set_record(protocol::cmd::read_software_version, {b.begin(), b.end()});
    }
};

TEST_F(CompatibilityViewTest, VerdictAndReleasesInTheirColours) {
    report("1.3.1");
    const ui::ShellContext context{&sensor_link, nullptr, 1};
    CompatibilityView view(context, nullptr);
    EXPECT_EQ(view.header_text(), "COMPATIBILITY");
    const QStringList verdict = lines(view.verdict_list());
    ASSERT_EQ(verdict.size(), 10);
    EXPECT_EQ(verdict[0], "Sensor's Firmware Version: 1.3.1");
    EXPECT_EQ(verdict[7], "Do not use Nutrient Processed Data features without updating firmware");
    EXPECT_EQ(colour(view.verdict_list(), 7), QColor(255, 0, 0));
    EXPECT_EQ(colour(view.verdict_list(), 9), QColor(0, 0, 0));

    auto* releases = view.release_list();
    EXPECT_EQ(releases->headerItem()->text(0), "Firmware Version");
    EXPECT_EQ(releases->headerItem()->text(2), "Changes");
    ASSERT_EQ(releases->topLevelItemCount(), 9);
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(colour(releases, r, c), r == 2 ? QColor(0, 0, 0) : QColor(100, 100, 100)) << r;
    EXPECT_TRUE(prompts.shown.empty());

    report("1.3.3");
    CompatibilityView latest(context, nullptr);
    const int last = latest.verdict_list()->topLevelItemCount() - 1;
    EXPECT_EQ(latest.verdict_list()->topLevelItem(last)->text(0), "All operations are safe.");
    EXPECT_EQ(colour(latest.verdict_list(), last), QColor(0, 128, 64));
}

TEST_F(CompatibilityViewTest, UnreadableVersionLeavesBothListsEmpty) {
    sensor.force_status(protocol::cmd::read_software_version, 9);
    const ui::ShellContext context{&sensor_link, nullptr, 1};
    CompatibilityView view(context, nullptr);
    EXPECT_EQ(view.verdict_list()->topLevelItemCount(), 0);
    EXPECT_EQ(view.release_list()->topLevelItemCount(), 0);
    EXPECT_EQ(messages(), (Messages{{"Connect", "Can't read firmware version from sensor"}}));
}

}  // namespace
}  // namespace quelmar::maintenance
