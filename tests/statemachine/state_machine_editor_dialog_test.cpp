#include "statemachine/state_machine_editor_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>

#include "ui/prompts.h"
#include "protocol/commands.h"
#include "statemachine/go_to_state_dialog.h"
#include "statemachine/state_machine_definition_dialog.h"
#include "statemachine/state_text.h"
#include "virtual_sensor/sensor_state.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::statemachine {
namespace {

namespace vs = virtual_sensor;

void ensure_application() {
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "statemachine_ui_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

class Editor : public ::testing::Test {
  protected:
    void SetUp() override {
        ensure_application();
        sensor.attach();
        ASSERT_EQ(link::sensor_link_open(link, sensor.path(), 1000), link::LinkResult::ok);
    }
    void TearDown() override { link::sensor_link_close(link); }

    void load_sensor(std::size_t count) {
        auto store = vs::state_machine_store(sensor);
        std::lock_guard lock(store->mutex);
        store->states.clear();
        for (std::size_t i = 0; i < count; ++i) {
            StateRecord r;
            r.format_flag = 1;
            r.mode = i + 1 == count ? mode::idle : mode::operating;
            r.led_setting = {led_on, 0, 0, led_on};
            r.aux_switch = 1;
            r.pump_on = 1;
            r.stop_mode = stop::time;
            r.winding_current_ma = 5;  // below the form's range, kept while not edited
            r.timeout_next = 7;
            r.sync_value = 3;
            r.default_next = static_cast<std::uint8_t>(i + 1);
            r.diving = {1, 2, 0, 4};
            r.delay_s = 2;
            store->states.push_back(encode_state_record(r));
        }
    }
    std::vector<StateBytes> sensor_states() {
        auto store = vs::state_machine_store(sensor);
        std::lock_guard lock(store->mutex);
        return {store->states.begin(), store->states.end()};
    }
    template <class W>
    static W* find(QWidget& dialog, const char* name) {
        W* w = dialog.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    vs::VirtualSensor sensor;
    link::SensorLink link;
    ui::ScriptedPrompts prompts;
};

TEST_F(Editor, OpensFromTheSensorOrEmpty) {
    load_sensor(3);
    StateMachineEditorDialog editor(link, true);
    EXPECT_EQ(editor.status_text(), "Loaded state machine successfully from sensor");
    EXPECT_EQ(editor.machine().last_state_index, 2);
    EXPECT_EQ(editor.state_label(), "STATE 000");
    EXPECT_FALSE(find<QPushButton>(editor, "previous")->isEnabled());
    EXPECT_TRUE(find<QPushButton>(editor, "next")->isEnabled());
    EXPECT_TRUE(find<QPushButton>(editor, "save_to_sensor")->isEnabled());
    // Shown, and enabled only for a state that waits for the next measurement time.
    EXPECT_FALSE(find<QPushButton>(editor, "schedule")->isHidden());
    EXPECT_EQ(find<QLineEdit>(editor, "led_current0")->text(), "20.000");
    EXPECT_EQ(find<QLineEdit>(editor, "led_current1")->text(), "0.000");
    EXPECT_EQ(find<QLineEdit>(editor, "step_count")->text(), "unsupported");
    EXPECT_FALSE(editor.paste_action()->isEnabled());

    StateMachineEditorDialog offline(link, false);
    EXPECT_EQ(offline.status_text(), "Empty state machine (not connected)");
    EXPECT_EQ(offline.machine().last_state_index, 0);
    EXPECT_FALSE(find<QPushButton>(offline, "save_to_sensor")->isEnabled());
    EXPECT_FALSE(find<QPushButton>(offline, "refresh_from_sensor")->isEnabled());
    EXPECT_FALSE(offline.delete_action()->isEnabled());
    EXPECT_EQ(offline.machine().states[0].winding_current_ma, 0) << "fall-back defaults";

    sensor.force_status(protocol::cmd::read_state_count, 5);
    StateMachineEditorDialog failed(link, true);
    EXPECT_EQ(failed.status_text(), "Failed to load state machine from sensor");
}

TEST_F(Editor, FormClampsWhenStored) {
    load_sensor(3);
    StateMachineEditorDialog editor(link, true);
    find<QCheckBox>(editor, "operate_pump")->setChecked(true);
    find<QLineEdit>(editor, "winding_current")->setText("2000");
    find<QLineEdit>(editor, "step_period")->setText("1");
    find<QLineEdit>(editor, "default_next")->setText("300");
    find<QLineEdit>(editor, "counter_next1")->setText("300");
    editor.next_pressed();
    EXPECT_EQ(editor.state_label(), "STATE 001");
    editor.previous_pressed();
    const StateRecord& r = editor.machine().states[0];
    EXPECT_EQ(r.winding_current_ma, 1600);
    EXPECT_EQ(r.step_period_us, 2u);
    EXPECT_EQ(r.default_next, 255);
    EXPECT_EQ(r.counters[0].next, 255);
    EXPECT_EQ(find<QLineEdit>(editor, "winding_current")->text(), "1600");
}

TEST_F(Editor, EnablingByModeAndHallPower) {
    load_sensor(2);
    StateMachineEditorDialog editor(link, true);
    auto* mode = find<QComboBox>(editor, "mode");
    mode->setCurrentIndex(form_index::mode_sleeping);
    EXPECT_FALSE(find<QCheckBox>(editor, "valve0")->isEnabled());
    EXPECT_FALSE(find<QComboBox>(editor, "led0")->isEnabled());
    EXPECT_FALSE(find<QCheckBox>(editor, "operate_pump")->isEnabled());
    EXPECT_FALSE(find<QComboBox>(editor, "counter_action1")->isEnabled());
    EXPECT_TRUE(find<QLineEdit>(editor, "default_next")->isEnabled());
    EXPECT_TRUE(find<QLineEdit>(editor, "delay")->isEnabled());
    mode->setCurrentIndex(form_index::mode_idle);
    EXPECT_FALSE(find<QLineEdit>(editor, "default_next")->isEnabled());
    EXPECT_FALSE(find<QLineEdit>(editor, "delay")->isEnabled());
    mode->setCurrentIndex(form_index::mode_operating);
    EXPECT_TRUE(find<QCheckBox>(editor, "valve0")->isEnabled());

    // Choosing a Hall stop powers the Hall sensors and locks their box.
    auto* hall = find<QCheckBox>(editor, "hall_power");
    ASSERT_FALSE(hall->isChecked());
    find<QComboBox>(editor, "stop")->setCurrentIndex(form_index::stop_hall);
    EXPECT_TRUE(hall->isChecked());
    EXPECT_FALSE(hall->isEnabled());
    EXPECT_EQ(editor.machine().states[0].hall_power, 1);
    EXPECT_TRUE(find<QLineEdit>(editor, "timeout_next")->isEnabled());
    EXPECT_TRUE(find<QLineEdit>(editor, "hall_stop_inject")->isEnabled()) << "injecting";
    EXPECT_FALSE(find<QLineEdit>(editor, "hall_stop_withdraw")->isEnabled());
}

TEST_F(Editor, RefreshAfterAnEditAnsweredCancel) {
    load_sensor(3);
    StateMachineEditorDialog editor(link, true);
    find<QCheckBox>(editor, "valve4")->setChecked(true);
    prompts.answer(ui::PromptAnswer::cancel);
    editor.refresh_pressed();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Refresh (from sensor)");
    EXPECT_EQ(prompts.shown[0].text, "Save current state machine to file first?");
    EXPECT_EQ(editor.status_text(), "Load from sensor cancelled.");
    EXPECT_EQ(editor.machine().states[0].valves, 1u << 4);
    EXPECT_TRUE(find<QCheckBox>(editor, "valve4")->isChecked());

    prompts.answer_no();
    editor.refresh_pressed();
    EXPECT_EQ(editor.status_text(), "Refresh complete");
    EXPECT_EQ(editor.machine().states[0].valves, 0);
    EXPECT_EQ(prompts.last_message().text, "Refreshed successfully.");

    sensor.force_status(protocol::cmd::read_state, 2);
    editor.refresh_pressed();  // nothing unsaved: no question
    EXPECT_EQ(editor.status_text(), "Refresh failed");
    EXPECT_EQ(prompts.last_message().text,
              "Failed to refresh state machine from sensor controller");
    EXPECT_EQ(editor.machine().last_state_index, 2) << "the last loaded machine is kept";
}

TEST_F(Editor, RoundTripThroughAFileLeavesTheSensorsRecords) {
    load_sensor(4);
    const auto original = sensor_states();
    const auto file =
        (std::filesystem::temp_directory_path() / "sm_editor_round_trip.asm").string();
    {
        StateMachineEditorDialog editor(link, true);
        editor.next_pressed();
        editor.next_pressed();
        prompts.choose(QString::fromStdString(file));
        ASSERT_TRUE(editor.save_to_file());
        EXPECT_EQ(editor.status_text(), "Saved");
    }
    sensor.set_handler(protocol::cmd::read_state_count,
                       [](vs::VirtualSensor&, const link::SensorReport&) {
                           return vs::Reply{0, {0, 0}};
                       });
    StateMachineEditorDialog second(link, true);
    EXPECT_EQ(second.machine().last_state_index, 0);
    prompts.choose(QString::fromStdString(file));
    ASSERT_TRUE(second.load_from_file());
    EXPECT_EQ(second.status_text(), "Loaded state machine successfully from file");
    second.next_pressed();
    second.save_to_sensor_pressed();
    EXPECT_EQ(prompts.last_message().title, "Save (to sensor)");
    EXPECT_EQ(prompts.last_message().text, "Saved successfully.");
    EXPECT_EQ(second.status_text(), "Save complete");
    EXPECT_EQ(sensor_states(), original);
    std::filesystem::remove(file);

    sensor.force_status(protocol::cmd::write_state, 3);
    second.save_to_sensor_pressed();
    EXPECT_EQ(prompts.last_message().text, "Failed to save state machine to sensor");
}

// The save-file dialog asks about the name as typed, not about the one completed afterwards.
TEST_F(Editor, SaveToFileFollowsTheFileTypeAndAsksBeforeReplacing) {
    load_sensor(3);
    const auto dir = std::filesystem::temp_directory_path() / "sm_editor_save_as";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const QString typed = QString::fromStdString((dir / "run").string());
    const QString dat_type = "SC1 State Machine Files (*.dat)";
    StateMachineEditorDialog editor(link, true);
    prompts.choose_as(typed, dat_type);
    ASSERT_TRUE(editor.save_to_file());
    EXPECT_EQ(std::filesystem::file_size(dir / "run.dat"), 3u * 102);

    std::filesystem::resize_file(dir / "run.dat", 5);
    prompts.choose_as(typed, dat_type);
    prompts.answer_no();
    EXPECT_FALSE(editor.save_to_file());
    EXPECT_EQ(editor.status_text(), "Save cancelled");
    EXPECT_EQ(prompts.shown.back().text,
              typed + ".dat already exists.\nDo you want to replace it?");
    EXPECT_EQ(std::filesystem::file_size(dir / "run.dat"), 5u);
    prompts.choose_as(typed, dat_type);
    prompts.answer_yes();
    EXPECT_TRUE(editor.save_to_file());
    EXPECT_EQ(std::filesystem::file_size(dir / "run.dat"), 3u * 102);

    prompts.choose(typed);  // the first file type
    EXPECT_TRUE(editor.save_to_file());
    EXPECT_EQ(std::filesystem::file_size(dir / "run.asm"), 3u * 77);
    std::filesystem::remove_all(dir);
}

TEST_F(Editor, EditingCommandsAndPaste) {
    load_sensor(3);
    StateMachineEditorDialog editor(link, true);
    find<QCheckBox>(editor, "valve9")->setChecked(true);
    editor.copy_action()->trigger();
    EXPECT_EQ(editor.status_text(), "Copied");
    EXPECT_TRUE(editor.paste_action()->isEnabled());
    editor.next_pressed();
    editor.paste_with({PasteWhere::overwrite, {true, false, false}}, true);
    EXPECT_EQ(editor.status_text(), "Pasted");
    const StateRecord& r = editor.machine().states[1];
    EXPECT_EQ(r.valves, 1u << 9);
    EXPECT_EQ(r.default_next, 0);
    EXPECT_EQ(r.delay_s, 2u);
    EXPECT_TRUE(find<QCheckBox>(editor, "valve9")->isChecked());

    editor.paste_with({PasteWhere::insert_after, {}}, false);
    EXPECT_EQ(editor.machine().last_state_index, 2) << "Cancel pastes nothing";

    editor.insert_after_action()->trigger();
    EXPECT_EQ(editor.status_text(), "Inserted");
    EXPECT_EQ(editor.state_label(), "STATE 002");
    EXPECT_EQ(editor.machine().last_state_index, 3);
    editor.delete_action()->trigger();
    EXPECT_EQ(editor.status_text(), "Deleted");
    EXPECT_EQ(editor.machine().last_state_index, 2);
    editor.cut_action()->trigger();
    EXPECT_EQ(editor.status_text(), "Cut");
    EXPECT_EQ(editor.machine().last_state_index, 1);

    prompts.answer_no();
    editor.new_action()->trigger();
    EXPECT_EQ(prompts.shown.back().title, "New");
    EXPECT_EQ(editor.machine().last_state_index, 0);
    EXPECT_FALSE(has_unsaved_edits(editor.machine()));

    EXPECT_EQ(editor.delete_action()->shortcut(), QKeySequence("Ctrl+D"));
    EXPECT_EQ(editor.paste_action()->shortcut(), QKeySequence("Ctrl+Shift+V"));
}

TEST(GoToStateDialog, NumberPastTheLastStateDisablesOk) {
    ensure_application();
    GoToStateDialog dialog(4);
    EXPECT_TRUE(dialog.ok_button()->isEnabled());
    dialog.number_edit()->setText("5");
    EXPECT_FALSE(dialog.ok_button()->isEnabled());
    dialog.number_edit()->setText("4");
    EXPECT_TRUE(dialog.ok_button()->isEnabled());
    EXPECT_EQ(dialog.state(), 4u);
}

TEST(DefinitionDialog, ListingDryRunAndSummary) {
    ensure_application();
    ui::ScriptedPrompts prompts;
    StateMachine m;
    m.last_state_index = 2;
    for (std::size_t i = 0; i < 3; ++i)
        new_state_defaults(m, i, fallback_state_defaults());
    m.states[2].mode = mode::idle;
    StateMachineDefinitionDialog dialog(m);
    auto* table = dialog.findChild<QTableWidget*>("table");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 3);
    EXPECT_EQ(dialog.windowTitle(), "State Machine Definition (3 states)");
    EXPECT_TRUE(prompts.shown.empty());
    auto* go = dialog.findChild<QPushButton*>("go");
    EXPECT_FALSE(go->isEnabled());

    dialog.findChild<QComboBox*>("mode")->setCurrentIndex(1);
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_TRUE(go->isEnabled());
    auto* start = dialog.findChild<QLineEdit*>("start");
    start->setText("3");
    EXPECT_FALSE(go->isEnabled());
    start->setText("1");
    dialog.go_pressed();
    EXPECT_EQ(table->rowCount(), 2);
    EXPECT_EQ(prompts.last_message().title, "State Machine Dry Run");
    EXPECT_EQ(prompts.last_message().text, "Dry-run ended at IDLE state.");
    EXPECT_EQ(dialog.windowTitle(), "State Machine Dry Run (3 states)");

    dialog.findChild<QCheckBox*>("shrink")->setChecked(true);
    EXPECT_EQ(table->columnWidth(10), 0);
    EXPECT_EQ(table->columnWidth(16), 0);
    EXPECT_GT(table->columnWidth(9), 0);
    EXPECT_GT(table->columnWidth(17), 0);

    const auto path = std::filesystem::temp_directory_path() / "sm_dialog_summary.csv";
    prompts.choose(QString::fromStdString(path.string()));
    dialog.save_pressed();
    EXPECT_EQ(prompts.last_message().text,
              QString::fromStdString("Summary saved to " + path.string()));

    // Typed without ".csv": the completed name exists, so the user is asked first.
    std::filesystem::resize_file(path, 1);
    prompts.choose(QString::fromStdString(path.string()).chopped(4));
    prompts.answer_no();
    dialog.save_pressed();
    EXPECT_EQ(prompts.shown.back().kind, ui::PromptRecord::Kind::yes_no);
    EXPECT_EQ(std::filesystem::file_size(path), 1u);
    std::filesystem::remove(path);

    dialog.findChild<QComboBox*>("mode")->setCurrentIndex(0);
    dialog.findChild<QComboBox*>("mode")->setCurrentIndex(1);  // an empty table
    const std::size_t before = prompts.messages().size();
    prompts.choose(QString::fromStdString(path.string()));
    dialog.save_pressed();
    EXPECT_EQ(prompts.messages().size(), before) << "an empty summary shows no message";
    EXPECT_TRUE(std::filesystem::exists(path));
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace quelmar::statemachine
