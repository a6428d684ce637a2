#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "live/processed_output_graph_view.h"
#include "live/processed_output_text_view.h"
#include "protocol/chemistry.h"
#include "protocol/commands.h"
#include "tests/support/sensor_fixture.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "ui/shell_state.h"
#include "virtual_sensor/instrument_results.h"

namespace quelmar::live {
namespace {

using test_support::settle;
using test_support::wait_until;
namespace cmd = protocol::cmd;
using namespace std::chrono_literals;

struct ProcessedViews : test_support::SensorFixture {
    ui::ScriptedPrompts prompts;
    QTemporaryDir dir;

    void SetUp() override {
        test_support::ensure_application();
        SensorFixture::SetUp();
    }
    ui::ShellContext context() { return {&sensor_link, nullptr, ui::shell::connected}; }
    void set_chemistry(protocol::ChemistryType type) {
        protocol::ChemistryConfig c;
        c.chemistry = type;
        const auto b = protocol::encode_chemistry_config(c);
        sensor.set_record(cmd::read_chemistry_config, {b.begin(), b.end()});
    }
    static protocol::ProcessedRecord result(std::uint16_t dive, double value,
                                            std::uint32_t platform_time = 1700000000) {
        protocol::ProcessedRecord r;
        r.dive_number = dive;
        r.platform_time = platform_time;
        r.sensor_time = platform_time;
        r.validity = 1;
        r.direction = 2;
        protocol::set_processed_value(r, value);
        return r;
    }
    static QString cell(QTableWidget* t, int row, int column) {
        auto* item = t->item(row, column);
        return item ? item->text() : QString();
    }
    static std::string read_file(const QString& path) {
        std::ifstream in(path.toStdString(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(ProcessedViews, TextViewListsTheSensorsResultsWithUnknownTexts) {
    set_chemistry(protocol::chemistry::nitrate);
    auto odd = result(5, 12.3456);
    odd.validity = 3;
    odd.direction = 0;
    virtual_sensor::add_result(sensor, result(4, 1.5));
    virtual_sensor::add_result(sensor, odd);
    ProcessedOutputTextView view(context(), nullptr, 10ms);
    EXPECT_EQ(view.header_text(), "PROCESSED OUTPUT");
    EXPECT_EQ(view.table()->horizontalHeaderItem(3)->text(), "Nitrate (uM)");
    EXPECT_EQ(view.table()->horizontalHeaderItem(0)->text(), "Dive Number");
    ASSERT_TRUE(wait_until([&] { return view.table()->rowCount() == 2; }));
    EXPECT_EQ(cell(view.table(), 0, 3), "1.500");
    EXPECT_EQ(cell(view.table(), 1, 0), "5");
    EXPECT_EQ(cell(view.table(), 1, 3), "12.346");
    EXPECT_EQ(cell(view.table(), 1, 4), "unknown");
    EXPECT_EQ(cell(view.table(), 1, 6), "unknown");
    EXPECT_EQ(cell(view.table(), 0, 6), "diving");
    // A result made later appears on a later poll, once.
    virtual_sensor::add_result(sensor, result(6, 2.0));
    ASSERT_TRUE(wait_until([&] { return view.table()->rowCount() == 3; }));
    settle(50);
    EXPECT_EQ(view.table()->rowCount(), 3);
    EXPECT_EQ(requests_of(cmd::start_processed_read), 1u);
}

TEST_F(ProcessedViews, DicShowsTheMeasurementStateInTheFirstColumn) {
    set_chemistry(protocol::chemistry::dic);
    virtual_sensor::add_result(sensor, result(17, 2100.0));
    ProcessedOutputTextView view(context(), nullptr, 10ms);
    EXPECT_EQ(view.table()->horizontalHeaderItem(0)->text(), "Meas State");
    EXPECT_EQ(view.table()->horizontalHeaderItem(3)->text(), "DIC (umol/kg)");
    ASSERT_TRUE(wait_until([&] { return view.table()->rowCount() == 1; }));
    EXPECT_EQ(cell(view.table(), 0, 0), "17");
}

TEST_F(ProcessedViews, AFailedOpenLeavesBothViewsEmptyAndReadsNothing) {
    virtual_sensor::add_result(sensor, result(1, 1.0));
    sensor.force_status(cmd::start_processed_read, 5);
    {
        ProcessedOutputTextView text(context(), nullptr, 10ms);
        ProcessedOutputGraphView graph(context(), nullptr, 10ms);
        ASSERT_TRUE(wait_until([&] { return requests_of(cmd::start_processed_read) == 2; }));
        settle(100);
        EXPECT_EQ(text.table()->rowCount(), 0);
        EXPECT_EQ(graph.points_added(), 0u);
        EXPECT_TRUE(graph.graph()->plot().store().empty());
    }
    EXPECT_EQ(requests_of(cmd::read_processed_record), 0u);
}

TEST_F(ProcessedViews, TableKeepsTheNewest1001Rows) {
    ProcessedOutputTextView view(context(), nullptr, 10ms);
    std::vector<protocol::ProcessedRecord> batch;
    for (std::uint16_t d = 1; d <= 1005; ++d) batch.push_back(result(d, d));
    view.append(batch);
    EXPECT_EQ(view.table()->rowCount(), 1001);
    EXPECT_EQ(cell(view.table(), 0, 0), "5");
    EXPECT_EQ(cell(view.table(), 1000, 0), "1005");
}

TEST_F(ProcessedViews, ClearAsksFirstAndWipesOnlyOnYes) {
    virtual_sensor::add_result(sensor, result(1, 1.0));
    ProcessedOutputTextView view(context(), nullptr, 10ms);
    ASSERT_TRUE(wait_until([&] { return view.table()->rowCount() == 1; }));

    prompts.answer_no();
    const auto before = sensor.requests().size();
    view.clear_pressed();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Clear");
    EXPECT_EQ(prompts.shown[0].text,
              "This will permanently wipe the processed output data from the sensor. Are you "
              "sure you want to do this?");
    EXPECT_EQ(requests_of(cmd::wipe_processed), 0u);
    EXPECT_EQ(view.table()->rowCount(), 1);
    // Nothing but the view's own polling went to the sensor.
    for (std::size_t i = before; i < sensor.requests().size(); ++i)
        EXPECT_EQ(sensor.requests()[i].command(), cmd::read_processed_record);

    sensor.force_status(cmd::wipe_processed, 3);
    prompts.answer_yes();
    view.clear_pressed();
    EXPECT_EQ(prompts.last_message().text, "Unable to clear outputs");
    EXPECT_EQ(view.table()->rowCount(), 1);
    EXPECT_TRUE(view.worker().running());

    sensor.clear_forced_status(cmd::wipe_processed);
    prompts.answer_yes();
    view.clear_pressed();
    EXPECT_EQ(view.table()->rowCount(), 0);
    EXPECT_TRUE(virtual_sensor::stored_results(sensor).empty());
    EXPECT_TRUE(view.worker().running());
    // The restarted thread opens the store again.
    ASSERT_TRUE(wait_until([&] { return requests_of(cmd::start_processed_read) == 3; }));
}

TEST_F(ProcessedViews, SavingAnEmptyTableWritesTheHeaderOnlyAndSaysNothing) {
    set_chemistry(protocol::chemistry::ph);
    ProcessedOutputTextView view(context(), nullptr, 10ms);
    const QString path = dir.filePath("empty.csv");
    prompts.choose(path);
    view.save_pressed();
    EXPECT_TRUE(prompts.messages().empty());
    EXPECT_EQ(read_file(path),
              "Dive Number,Sensor Timestamp,Platform Timestamp,pH,Validity,Platform Depth (m),"
              "Platform Direction,Platform Salinity (PSU),Platform Temperature (\u00b0C),"
              "Platform DO (ml/l),r,Thermistor t (degC)\n");
}

TEST_F(ProcessedViews, SavingRowsReportsTheFileAndAFailureIsNeverSaved) {
    virtual_sensor::add_result(sensor, result(3, 7.25, 0));
    ProcessedOutputTextView view(context(), nullptr, 10ms);
    ASSERT_TRUE(wait_until([&] { return view.table()->rowCount() == 1; }));

    // A name typed without extension gets ".csv".
    prompts.choose(dir.filePath("out"));
    view.save_pressed();
    const QString path = dir.filePath("out.csv");
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.last_message().title, "Save Processed Output");
    EXPECT_EQ(prompts.last_message().text, "Processed Output saved to " + path);
    const std::string text = read_file(path);
    EXPECT_NE(text.find("\n3,01/01/1970 00:00:00,01/01/1970 00:00:00,7.250,good,0.000,diving,"),
              std::string::npos)
        << text;

    // The name is offered again; a folder that does not exist cannot be written.
    prompts.shown.clear();
    const QString bad = dir.filePath("missing/out.csv");
    prompts.choose(bad);
    view.save_pressed();
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.last_message().title, "Save Processed Output");
    EXPECT_EQ(prompts.last_message().text, "Unable to open " + bad + " for write");
    EXPECT_FALSE(QFile::exists(bad));

    // A file that cannot be put in place (a folder holds its name) is a failure, not saved.
    prompts.shown.clear();
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.csv"));
    const QString taken = dir.filePath("taken.csv");
    prompts.choose(taken);
    view.save_pressed();
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.last_message().text, "Failed to write " + taken);

    // Cancelling the file choice does nothing.
    prompts.shown.clear();
    prompts.choose_cancel();
    view.save_pressed();
    EXPECT_TRUE(prompts.messages().empty());
}

TEST_F(ProcessedViews, GraphViewPlotsEachResultAtItsPlatformTime) {
    set_chemistry(protocol::chemistry::nitrate);
    virtual_sensor::add_result(sensor, result(1, 10.0, 1700000000));
    virtual_sensor::add_result(sensor, result(2, 20.0, 1700000600));
    ProcessedOutputGraphView view(context(), nullptr, 10ms);
    view.resize(800, 500);
    ASSERT_TRUE(wait_until([&] { return view.points_added() == 2; }));
    const auto& store = view.graph()->plot().store();
    ASSERT_EQ(store.size(), 2u);
    EXPECT_EQ(view.graph()->plot().chemistry(), protocol::chemistry::nitrate);
    settle(50);
    EXPECT_EQ(view.points_added(), 2u);
    view.reset_button()->click();
    EXPECT_EQ(view.graph()->zoom_level(), 0);
}

TEST_F(ProcessedViews, AResultWithoutPlatformTimeDoesNotSqueezeTheOthers) {
    virtual_sensor::add_result(sensor, result(1, 10.0, 1700000000));
    virtual_sensor::add_result(sensor, result(2, 12.0, 0));
    virtual_sensor::add_result(sensor, result(3, 11.0, 1700003600));
    ProcessedOutputGraphView view(context(), nullptr, 10ms);
    view.resize(800, 500);
    ASSERT_TRUE(wait_until([&] { return view.points_added() == 3; }));
    const auto& plot = view.graph()->plot();
    // The point is kept at 1970 and the full range reaches it...
    EXPECT_EQ(plot.store().full_range().xmin, 0u);
    // ...but what is shown is the results with a real time.
    EXPECT_EQ(plot.current_range().xmin, 1700000000u);
    EXPECT_EQ(plot.current_range().xmax, 1700003600u);
    EXPECT_TRUE(view.keeps_time_window());

    // Later results widen the window.
    virtual_sensor::add_result(sensor, result(4, 13.0, 1700007200));
    ASSERT_TRUE(wait_until([&] { return view.points_added() == 4; }));
    EXPECT_EQ(plot.current_range().xmin, 1700000000u);
    EXPECT_EQ(plot.current_range().xmax, 1700007200u);

    // "Reset Graph" shows everything, 1970 included, and stays so.
    view.reset_button()->click();
    EXPECT_EQ(plot.current_range().xmin, 0u);
    virtual_sensor::add_result(sensor, result(5, 13.0, 1700010800));
    ASSERT_TRUE(wait_until([&] { return view.points_added() == 5; }));
    EXPECT_EQ(plot.current_range().xmin, 0u);
}

}  // namespace
}  // namespace quelmar::live
