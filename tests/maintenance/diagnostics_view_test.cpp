#include "maintenance/diagnostics_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <thread>

#include "maintenance/restarts_dialog.h"
#include "maintenance/tasks_dialog.h"
#include "protocol/commands.h"
#include "tests/support/sensor_fixture.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "ui/shell_state.h"

namespace quelmar::maintenance {
namespace {

using test_support::settle;
using test_support::wait_until;
namespace cmd = protocol::cmd;
using namespace std::chrono_literals;

DiagnosticsLogEntry make_entry(std::int32_t counter, std::uint8_t severity,
                               const std::string& message) {
    DiagnosticsLogEntry e;
    e.counter = counter;
    e.severity = severity;
    e.task_id = 3;
    e.line = 77;
    const std::string function = "sm_enter_state";
    std::copy(function.begin(), function.end(), e.function.begin());
    std::copy(message.begin(), message.end(), e.message.begin());
    return e;
}

// The sensor's log is whatever the test puts in `pending`; each 307 takes the oldest.
struct Diagnostics : test_support::SensorFixture {
    ui::ScriptedPrompts prompts;
    std::mutex mutex;
    std::deque<DiagnosticsLogEntry> pending;

    void SetUp() override {
        SensorFixture::SetUp();
        sensor.set_handler(cmd::read_log_entry,
                           [this](virtual_sensor::VirtualSensor&, const link::SensorReport&) {
                               std::lock_guard lock(mutex);
                               if (pending.empty())
                                   return virtual_sensor::Reply{1, {}};
                               const auto b = common::encode_record(pending.front());
                               pending.pop_front();
                               return virtual_sensor::Reply{0, {b.begin(), b.end()}};
                           });
    }
    void add(const DiagnosticsLogEntry& e) {
        std::lock_guard lock(mutex);
        pending.push_back(e);
    }
    ui::ShellContext context() { return {&sensor_link, nullptr, ui::shell::connected}; }
    static QString cell(QTreeWidget* list, int row, int column) {
        auto* item = list->topLevelItem(row);
        return item ? item->text(column) : QString();
    }
    static QColor colour(QTreeWidget* list, int row) {
        return list->topLevelItem(row)->foreground(5).color();
    }
};

TEST_F(Diagnostics, KeepsTheNewest201EntriesInTheirColours) {
    for (int i = 1; i <= 246; ++i)
        add(make_entry(i, 2, "Info line"));
    add(make_entry(247, 1, "Watchdog: Restarted after reset"));
    add(make_entry(248, 1, "Pump stalled"));
    add(make_entry(249, 4, "Sampled"));
    add(make_entry(250, 3, "Odd"));
    DiagnosticsView view(context(), nullptr, 5ms);
    EXPECT_EQ(view.header_text(), "DIAGNOSTICS");
    EXPECT_EQ(view.save_button()->toolTip(), "Save diagnostics to file on PC");
    EXPECT_EQ(view.clear_button()->toolTip(), "Wipe diagnostics from sensor");
    QTreeWidget* list = view.list();
    ASSERT_TRUE(
        wait_until([&] { return cell(list, list->topLevelItemCount() - 1, 0) == "00000250"; }));
    ASSERT_EQ(list->topLevelItemCount(), 201);
    EXPECT_EQ(cell(list, 0, 0), "00000050");
    EXPECT_EQ(cell(list, 196, 2), "I");
    EXPECT_EQ(cell(list, 197, 1), "03");
    EXPECT_EQ(cell(list, 197, 3), "sm_enter_state");
    EXPECT_EQ(cell(list, 197, 4), "77");
    EXPECT_EQ(colour(list, 197), QColor(Qt::blue));  // a restart, though an error
    EXPECT_EQ(cell(list, 198, 2), "E");
    EXPECT_EQ(colour(list, 198), QColor(Qt::red));
    EXPECT_EQ(cell(list, 199, 2), "D");
    EXPECT_EQ(colour(list, 199), QColor(Qt::black));
    EXPECT_EQ(cell(list, 200, 2), "?");

    // Entries the sensor writes later follow.
    add(make_entry(251, 2, "later"));
    ASSERT_TRUE(wait_until([&] { return cell(list, 200, 0) == "00000251"; }));
    EXPECT_EQ(list->topLevelItemCount(), 201);
}

// The reader's thread never adds a row itself: entries it has read reach the list only through
// the window's own event loop.
TEST_F(Diagnostics, RowsArriveOnlyThroughTheWindowsThread) {
    add(make_entry(1, 2, "one"));
    DiagnosticsView view(context(), nullptr, 5ms);
    // Without running the event loop: the entry is read, and the reader asks for the next.
    for (int i = 0; i < 5000 && requests_of(cmd::read_log_entry) < 2; ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_GE(requests_of(cmd::read_log_entry), 2u);
    EXPECT_EQ(view.list()->topLevelItemCount(), 0);
    ASSERT_TRUE(wait_until([&] { return view.list()->topLevelItemCount() == 1; }));
}

// An entry read just before a wipe may still be on its way to the window when the list is
// emptied; it must not come back as a row afterwards.
TEST_F(Diagnostics, EntriesReadBeforeAWipeDoNotReturnAfterIt) {
    add(make_entry(1, 2, "before the wipe"));
    DiagnosticsView view(context(), nullptr, 5ms);
    for (int i = 0; i < 5000 && requests_of(cmd::read_log_entry) < 2; ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_GE(requests_of(cmd::read_log_entry), 2u);  // read, and queued for the window
    prompts.answer_yes();
    view.clear_pressed();
    ASSERT_EQ(requests_of(cmd::wipe_log), 1u);
    add(make_entry(2, 2, "after the wipe"));
    ASSERT_TRUE(wait_until([&] { return view.list()->topLevelItemCount() >= 1; }));
    settle(20);
    ASSERT_EQ(view.list()->topLevelItemCount(), 1);
    EXPECT_EQ(cell(view.list(), 0, 5), "after the wipe");
}

TEST_F(Diagnostics, PauseStopsRequestsUntilUnchecked) {
    add(make_entry(1, 2, "one"));
    DiagnosticsView view(context(), nullptr, 5ms);
    ASSERT_TRUE(wait_until([&] { return view.list()->topLevelItemCount() == 1; }));
    view.pause_box()->setChecked(true);
    settle(30);  // a read in flight finishes
    add(make_entry(2, 2, "two"));
    const std::size_t asked = requests_of(cmd::read_log_entry);
    settle(60);
    EXPECT_EQ(requests_of(cmd::read_log_entry), asked);
    EXPECT_EQ(view.list()->topLevelItemCount(), 1);
    view.pause_box()->setChecked(false);
    ASSERT_TRUE(wait_until([&] { return view.list()->topLevelItemCount() == 2; }));
    EXPECT_EQ(cell(view.list(), 1, 5), "two");
}

TEST_F(Diagnostics, SaveWritesTheListAsCommaSeparatedText) {
    QTemporaryDir dir;
    DiagnosticsView view(context(), nullptr, 5ms);
    ASSERT_TRUE(wait_until([&] { return requests_of(cmd::read_log_entry) > 0; }));

    // An empty list: the titles only, and nothing to say.
    const QString empty = dir.filePath("empty.log");
    prompts.choose(empty);
    view.save_pressed();
    QFile e(empty);
    ASSERT_TRUE(e.open(QIODevice::ReadOnly));
    EXPECT_EQ(e.readAll(), "Counter,Task ID,Severity,Function,Line,Message\n");
    EXPECT_TRUE(prompts.messages().empty());

    add(make_entry(5, 1, "Pump stalled"));
    ASSERT_TRUE(wait_until([&] { return view.list()->topLevelItemCount() == 1; }));
    const QString typed = dir.filePath("diag");  // the extension is added
    prompts.choose(typed);
    view.save_pressed();
    QFile f(typed + ".log");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(),
              "Counter,Task ID,Severity,Function,Line,Message\n"
              "00000005,03,E,sm_enter_state,77,Pump stalled\n");
    EXPECT_EQ(prompts.last_message().title, "Save Diagnostics");
    EXPECT_EQ(prompts.last_message().text, "Diagnostics saved to " + typed + ".log");

    const QString nowhere = dir.filePath("missing/dir/x.log");
    prompts.choose(nowhere);
    view.save_pressed();
    EXPECT_EQ(prompts.last_message().text, "Unable to open " + nowhere + " for write");
}

TEST_F(Diagnostics, ClearAsksWipesAndStartsReadingAgain) {
    add(make_entry(1, 2, "one"));
    DiagnosticsView view(context(), nullptr, 5ms);
    ASSERT_TRUE(wait_until([&] { return view.list()->topLevelItemCount() == 1; }));

    prompts.answer_no();
    view.clear_pressed();
    EXPECT_EQ(prompts.shown.back().title, "Clear");
    EXPECT_EQ(prompts.shown.back().text,
              "This will permanently wipe the diagnostic log on the sensor. Are you sure you "
              "want to do this?");
    EXPECT_EQ(requests_of(cmd::wipe_log), 0u);
    EXPECT_EQ(view.list()->topLevelItemCount(), 1);

    sensor.force_status(cmd::wipe_log, 3);
    prompts.answer_yes();
    view.clear_pressed();
    EXPECT_EQ(prompts.last_message().text, "Unable to clear log");
    EXPECT_EQ(view.list()->topLevelItemCount(), 1);
    sensor.clear_forced_status(cmd::wipe_log);

    prompts.answer_yes();
    view.clear_pressed();
    EXPECT_EQ(view.list()->topLevelItemCount(), 0);
    EXPECT_EQ(requests_of(cmd::wipe_log), 2u);
    add(make_entry(2, 2, "after the wipe"));
    ASSERT_TRUE(wait_until([&] { return view.list()->topLevelItemCount() == 1; }));
    EXPECT_EQ(requests_of(cmd::start_log_read), 3u);
}

TEST_F(Diagnostics, ToggleLedSendsItsCommand) {
    DiagnosticsView view(context(), nullptr, 5ms);
    view.led_button()->click();
    std::vector<link::SensorReport> toggles;
    for (const auto& r : sensor.requests())
        if (r.command() == cmd::toggle_led)
            toggles.push_back(r);
    ASSERT_EQ(toggles.size(), 1u);
    EXPECT_EQ(toggles[0].length(), 1);
    EXPECT_EQ(toggles[0].payload()[0], 0);
    EXPECT_TRUE(prompts.messages().empty());
}

// The dialog runs modally; `act` drives it once it is open.
template <class Dialog>
void when_open(std::function<void(Dialog&)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        wait_until([] { return QApplication::activeModalWidget() != nullptr; }, 3000);
        if (auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget()))
            act(*d);
    });
}

TEST_F(Diagnostics, RestartsDialogListsTheSensorsRestarts) {
    sensor.force_status(cmd::start_log_read, 1);
    DiagnosticsView view(context(), nullptr, 5ms);
    QStringList first;
    int rows = -1;
    when_open<RestartsDialog>([&](RestartsDialog& d) {
        rows = d.list()->topLevelItemCount();
        for (int c = 0; c < 5; ++c)
            first << d.list()->topLevelItem(0)->text(c);
        EXPECT_EQ(d.windowTitle(), "Sensor Firmware Restart Log (last 10 restarts)");
        d.reject();
    });
    view.restarts_button()->click();
    EXPECT_EQ(rows, 3);
    ASSERT_EQ(first.size(), 5);
    EXPECT_EQ(first[0], "3");
    EXPECT_EQ(first[2], "4 (External Reset)");
    EXPECT_EQ(first[3], "12.1V");
    EXPECT_EQ(first[4], "yes");
}

TEST_F(Diagnostics, TasksDialogFiltersAndAllBoxes) {
    TasksDialog d(sensor_link, nullptr);
    ASSERT_TRUE(d.loaded());
    QTableWidget* t = d.table();
    ASSERT_EQ(t->rowCount(), 18);  // the "All" row, then tasks 0..16
    EXPECT_EQ(t->item(17, 0)->text(), "16");
    EXPECT_EQ(t->item(1, 1)->text(), "Idle");
    EXPECT_EQ(t->item(1, 2)->text(), "20001000");
    EXPECT_EQ(t->item(1, 3)->text(), "200017FF");
    EXPECT_EQ(t->item(1, 4)->text(), "20001680");
    EXPECT_EQ(t->item(1, 5)->text(), "384/2048");
    EXPECT_EQ(t->item(1, 6)->text(), "Active");
    EXPECT_TRUE(d.all_box(0)->isChecked());
    EXPECT_TRUE(d.all_box(1)->isChecked());
    EXPECT_FALSE(d.all_box(2)->isChecked());

    d.filter_box(4, 0)->click();  // one task without errors: "All" goes off
    EXPECT_FALSE(d.all_box(0)->isChecked());
    d.filter_box(4, 0)->click();
    EXPECT_TRUE(d.all_box(0)->isChecked());
    d.all_box(2)->click();  // debug for every task
    for (std::size_t n = 0; n < task_count; ++n)
        EXPECT_TRUE(d.filter_box(n, 2)->isChecked());
    d.all_box(1)->click();  // info for none
    for (std::size_t n = 0; n < task_count; ++n)
        EXPECT_FALSE(d.filter_box(n, 1)->isChecked());

    d.save_button()->click();
    EXPECT_EQ(prompts.last_message().title, "Save");
    EXPECT_EQ(prompts.last_message().text, "Settings saved");
    const auto request = sensor.requests().back();
    ASSERT_EQ(request.command(), cmd::write_log_filter);
    ASSERT_EQ(request.length(), 26);
    EXPECT_EQ(request.payload()[0], 0);
    for (std::size_t n = 0; n < task_count; ++n)
        EXPECT_EQ(request.payload()[1 + n], 5) << n;
    for (int i = 18; i < 26; ++i)
        EXPECT_EQ(request.payload()[i], 0);

    sensor.force_status(cmd::write_log_filter, 2);
    d.save_button()->click();
    EXPECT_EQ(prompts.last_message().text, "Failed to save settings");

    sensor.force_status(cmd::read_task, 2);
    d.load_button()->click();
    EXPECT_EQ(prompts.last_message().title, "Load");
    EXPECT_EQ(prompts.last_message().text, "Failed to load settings");

    TasksDialog failed(sensor_link, nullptr);
    EXPECT_FALSE(failed.loaded());
    EXPECT_EQ(prompts.last_message().title, "Task Details");
    EXPECT_EQ(prompts.last_message().text, "Error communicating with sampler");
}

}  // namespace
}  // namespace quelmar::maintenance
