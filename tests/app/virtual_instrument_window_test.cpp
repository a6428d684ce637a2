// A new user's first minutes with the virtual instrument: connect, Start, watch the processed
// views fill, mount the card and process its file offline.

#include <gtest/gtest.h>

#include <QAction>
#include <QTableWidget>
#include <QTreeWidget>
#include <filesystem>

#include "app/connect_view.h"
#include "app/main_window.h"
#include "common/text.h"
#include "live/processed_output_graph_view.h"
#include "live/processed_output_text_view.h"
#include "processing/process_command.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "ui/shell_state.h"
#include "virtual_sensor/instrument_sensor.h"

namespace quelmar::app {
namespace {

namespace fs = std::filesystem;
using test_support::wait_until;

TEST(VirtualInstrumentWindow, StartFillsTheProcessedViewsAndTheCardProcessesToTheSameResults) {
    test_support::ensure_application();
    ui::ScriptedPrompts prompts;
    const fs::path card = fs::temp_directory_path() / "quelmar-window-card";
    fs::remove_all(card);
    fs::create_directories(card);

    MainWindow window;
    window.set_virtual_instrument({virtual_sensor::InstrumentChemistry::nitrate, card.string(), 1000});
    QStringList opened;
    window.set_folder_opener([&](const QString& folder) { opened << folder; });
    window.attach_virtual_sensor();
    auto* sensor = window.virtual_sensor();
    ASSERT_NE(sensor, nullptr);
    auto* connect = qobject_cast<ConnectView*>(window.current_view());
    ASSERT_NE(connect, nullptr);
    ASSERT_TRUE(wait_until([&] { return connect->list()->topLevelItemCount() > 0; }));
    int row = -1;
    for (int i = 0; i < connect->list()->topLevelItemCount(); ++i)
        if (connect->list()->topLevelItem(i)->text(0) == "Virtual Sensor") row = i;
    ASSERT_GE(row, 0);
    connect->select_row(row);
    connect->connect_button()->click();
    ASSERT_TRUE(wait_until([&] { return ui::is_connected(window.shell_state()); }));

    // The access keys of the two processed views differ.
    ASSERT_NE(window.menu_action("&Processed Output (graph)"), nullptr);
    ASSERT_NE(window.menu_action("P&rocessed Output (text)"), nullptr);

    window.start_sensor(0);
    ASSERT_TRUE(wait_until([&] { return ui::is_running(window.shell_state()); }));
    window.menu_action("P&rocessed Output (text)")->trigger();
    auto* text = qobject_cast<live::ProcessedOutputTextView*>(window.current_view());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->table()->horizontalHeaderItem(3)->text(), "Nitrate (uM)");
    ASSERT_TRUE(wait_until([&] { return text->table()->rowCount() >= 3; }, 20000));

    window.menu_action("&Processed Output (graph)")->trigger();
    auto* graph = qobject_cast<live::ProcessedOutputGraphView*>(window.current_view());
    ASSERT_NE(graph, nullptr);
    ASSERT_TRUE(wait_until([&] { return graph->points_added() >= 3; }, 20000));

    window.stop_sensor();
    ASSERT_TRUE(wait_until([&] { return !ui::is_running(window.shell_state()); }));
    window.menu_action("&Mount Sensor As Drive")->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toStdString(), card.string());
    EXPECT_EQ(virtual_sensor::instrument_mount_requests(*sensor), 1u);

    // What File / Process Raw Nutrient File makes of the file on the card.
    processing::ProcessRequest request;
    request.files = {(card / "RAW00001.CSV").string()};
    processing::ProcessOutcome outcome;
    processing::run_process_request(request, outcome);
    ASSERT_EQ(outcome.status, processing::process_ok);
    window.menu_action("P&rocessed Output (text)")->trigger();
    text = qobject_cast<live::ProcessedOutputTextView*>(window.current_view());
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(wait_until([&] {
        return std::size_t(text->table()->rowCount()) == outcome.table.row_count();
    }));
    for (std::size_t i = 0; i < outcome.table.row_count(); ++i) {
        const auto row = outcome.table.row(i);
        EXPECT_EQ(text->table()->item(int(i), 2)->text().toStdString(), row[0]) << i;
        EXPECT_EQ(text->table()->item(int(i), 3)->text().toStdString(), row[2]) << i;
    }
    window.disconnect_sensor();
    fs::remove_all(card);
}

}  // namespace
}  // namespace quelmar::app
