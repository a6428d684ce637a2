// The graph beside the processing dialogs' results: it plots what the list holds (the chosen
// column against each row's platform time, cells that are no numbers left out), starts over
// for a new run or another column, follows the list past its 5001 rows, and zooms and resets
// as the live graph does.

#include "processing/result_plot_widget.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>

#include <filesystem>
#include <fstream>

#include "common/text.h"
#include "processing/dic_processing_dialog.h"
#include "processing/example_files.h"
#include "processing/multi_nutrient_processing_dialog.h"
#include "processing/nutrient_processing_dialog.h"
#include "processing/ph_engine.h"
#include "processing/ph_processing_dialog.h"
#include "processing/ta_processing_dialog.h"
#include "tests/support/ui_test_support.h"
#include "ui/prompts.h"
#include "tests/processing/processing_dialog_fixture.h"

namespace quelmar::processing {
namespace {

namespace fs = std::filesystem;

using Points = std::vector<std::pair<std::uint32_t, double>>;

Points plotted(const ResultPlotWidget& w) {
    Points out;
    for (const live::StoredPoint& p : w.graph()->plot().store().points())
        out.emplace_back(p.x, p.y);
    return out;
}

// What the graph should hold for `column`, worked out from the list's cells.
Points expected(const ResultTable& table, std::size_t column) {
    Points out;
    for (const auto& row : table.rows()) {
        if (column >= row.size())
            continue;
        const auto t = cell_time(row[platform_time_column]);
        const auto v = cell_number(row[column]);
        if (t && v)
            out.emplace_back(*t, *v);
    }
    return out;
}

std::vector<std::string> listed(const QComboBox* box) {
    std::vector<std::string> out;
    for (int i = 0; i < box->count(); ++i)
        out.push_back(box->itemText(i).toStdString());
    return out;
}

bool drawn(const live::ProcessedGraphControl* g, const std::string& text) {
    for (const live::PlotText& t : g->drawn_texts())
        if (t.text == text)
            return true;
    return false;
}

class ResultPlot : public ProcessingDialogFixture {
  protected:
    template <class Dialog>
    void plots_its_main_result(const std::string& raw, const std::string& title) {
        prompts.choose(write("raw.csv", raw));
        Dialog d;
        ASSERT_TRUE(d.start());
        d.process_pressed();
        wait(d);
        const ResultPlotWidget* plot = d.result_plot();
        ASSERT_GT(d.results().row_count(), 2u);
        EXPECT_EQ(title, plot->column_box()->currentText().toStdString());
        EXPECT_EQ(title, d.results().titles()[plot->column()]);
        const Points want = expected(d.results(), plot->column());
        EXPECT_GT(want.size(), 2u);
        EXPECT_EQ(want, plotted(*plot)) << title;
        EXPECT_TRUE(drawn(plot->graph(), title));
        // The times are listed neither as values nor twice.
        for (const std::string& t : listed(plot->column_box()))
            EXPECT_EQ(std::string::npos, t.find("Time (")) << t;
    }
};

TEST_F(ResultPlot, EachDialogPlotsItsMainResultAgainstPlatformTime) {
    ExampleOptions o;
    o.cycles = 6;
    plots_its_main_result<NutrientProcessingDialog>(nutrient_example(o), "Nitrate (Medium.uM)");
    plots_its_main_result<PhProcessingDialog>(ph_example(o), "pH");
    plots_its_main_result<TaProcessingDialog>(ta_example(o), "TA (uM)");
    plots_its_main_result<DicProcessingDialog>(dic_example(o), "DIC (umol/kg)");
}

TEST_F(ResultPlot, AnotherColumnReplotsAndANewRunClearsTheOldPoints) {
    ExampleOptions o;
    o.cycles = 5;
    prompts.choose(write("n.csv", nutrient_example(o)));
    NutrientProcessingDialog d;
    ASSERT_TRUE(d.start());
    // Before any run only the main result is offered, and nothing is plotted.
    EXPECT_EQ(1, d.result_plot()->column_box()->count());
    EXPECT_TRUE(d.result_plot()->graph()->plot().store().empty());
    d.process_pressed();
    wait(d);
    ResultPlotWidget* plot = d.result_plot();
    const std::vector<std::string> names = listed(plot->column_box());
    EXPECT_EQ(15u, names.size());  // every column but the two times
    EXPECT_EQ("Depth (m)", names[3]);

    plot->column_box()->setCurrentIndex(3);
    EXPECT_EQ(5u, plot->column());
    const Points depths = expected(d.results(), 5);
    ASSERT_EQ(5u, depths.size());
    EXPECT_EQ(depths, plotted(*plot));
    EXPECT_TRUE(drawn(plot->graph(), "Depth (m)"));

    // A second run of the same file: its points, not twice as many; the chosen column stays.
    d.process_pressed();
    wait(d);
    EXPECT_EQ("Depth (m)", plot->column_box()->currentText().toStdString());
    EXPECT_EQ(depths, plotted(*plot));

    // Another standard gives other concentrations: only the new ones are plotted.
    plot->column_box()->setCurrentIndex(0);
    const Points before = plotted(*plot);
    ASSERT_EQ(expected(d.results(), 2), before);
    d.standard2_concentration->setText("40.000");
    d.process_pressed();
    wait(d);
    const Points after = plotted(*plot);
    EXPECT_EQ(expected(d.results(), 2), after);
    EXPECT_EQ(5u, after.size());
    EXPECT_NE(before, after);
}

TEST_F(ResultPlot, NutrientGraphStartsOnThePathTheSensorReports) {
    ExampleOptions o;
    o.cycles = 3;
    std::string text = nutrient_example(o);
    const std::string key = "OUTPUT_CHANNEL_SELECTION=";
    const std::size_t at = text.find(key);
    ASSERT_NE(std::string::npos, at);
    text.replace(at + key.size(), text.find('\n', at) - at - key.size(), "0");  // Long
    prompts.choose(write("long.csv", text));
    NutrientProcessingDialog d;
    ASSERT_TRUE(d.start());
    d.process_pressed();
    wait(d);
    ResultPlotWidget* plot = d.result_plot();
    EXPECT_EQ("Nitrate (Long.uM)", plot->column_box()->currentText().toStdString());
    EXPECT_EQ(expected(d.results(), 4), plotted(*plot));

    d.output->setCurrentIndex(1);  // Short
    EXPECT_EQ("Nitrate (Short.uM)", plot->column_box()->currentText().toStdString());
    EXPECT_EQ(expected(d.results(), 3), plotted(*plot));

    // Once the user has picked a column, the output choice no longer moves the graph.
    plot->column_box()->setCurrentIndex(plot->column_box()->findText("T (degC)"));
    d.output->setCurrentIndex(0);  // Medium
    EXPECT_EQ("T (degC)", plot->column_box()->currentText().toStdString());
    EXPECT_EQ(7u, plot->column());
}

TEST_F(ResultPlot, MultiFileDialogPlotsEveryFilesRows) {
    ExampleOptions o;
    o.cycles = 3;
    o.sensor_name = "QM-A";
    const QString a = write("a.csv", nutrient_example(o));
    o.sensor_name = "QM-B";
    o.start_time += 86400;
    const QString b = write("b.csv", nutrient_example(o));
    prompts.choose(QStringList{a, b});
    MultiNutrientProcessingDialog d;
    ASSERT_TRUE(d.start());
    wait(d);
    ASSERT_EQ(6u, d.results().row_count());
    EXPECT_EQ("Nutrient (Medium:uM)", d.result_plot()->column_box()->currentText().toStdString());
    const Points want = expected(d.results(), 2);
    ASSERT_EQ(6u, want.size());
    EXPECT_EQ(want, plotted(*d.result_plot()));
    // The sensor name is no number and is not offered.
    for (const std::string& t : listed(d.result_plot()->column_box()))
        EXPECT_NE("Sensor Name", t);
}

std::vector<std::string> ph_row(std::uint32_t t, double ph) {
    return {common::sensor_time_text(t), common::format_text("%.4f", ph), "", "", "", "", "", ""};
}

TEST_F(ResultPlot, FollowsTheListPastItsLastRowAndSkipsCellsThatAreNoNumbers) {
    ResultTable table(ph_columns());
    ResultPlotWidget w(table, Chemistry::ph);
    w.resize(800, 500);
    table.add_row(ph_row(1000, 8.0));
    table.add_row({common::sensor_time_text(1001), "", "1"});
    table.add_row({"", "7.9"});
    table.add_row({common::sensor_time_text(1002), "not a number"});
    w.refresh();
    EXPECT_EQ(Points({{1000, 8.0}}), plotted(w));
    // The r column had a number: it is offered now.
    EXPECT_EQ((std::vector<std::string>{"pH", "r"}), listed(w.column_box()));

    // Rows arriving in batches, past what the list keeps: the graph holds what the list holds.
    for (std::uint32_t i = 0; i < max_result_rows + 30; ++i) {
        table.add_row(ph_row(2000 + i, 7.5 + (i % 100) / 100.0));
        if (i % 997 == 0)
            w.refresh();
    }
    w.refresh();
    ASSERT_EQ(max_result_rows, table.row_count());
    const Points all = plotted(w);
    ASSERT_EQ(max_result_rows, all.size());
    EXPECT_EQ(expected(table, 1), all);
    EXPECT_EQ(2030u, all.front().first);  // the four first rows and 30 more went
    EXPECT_EQ(2030u, w.graph()->plot().store().full_range().xmin);

    // Rows without a value among them: the rows dropped take their own points with them, no
    // more and no fewer.
    for (std::uint32_t i = 0; i < 3000; ++i) {
        if (i % 3 == 0)
            table.add_row({common::sensor_time_text(9000 + i), ""});
        else
            table.add_row(ph_row(9000 + i, 8.2));
        if (i % 500 == 0)
            w.refresh();
    }
    w.refresh();
    EXPECT_EQ(expected(table, 1), plotted(w));
    EXPECT_EQ(max_result_rows - 1000, plotted(w).size());
}

void mouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(w.mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

TEST_F(ResultPlot, ZoomAndResetAsInTheLiveGraph) {
    ResultTable table(ph_columns());
    ResultPlotWidget w(table, Chemistry::ph);
    w.resize(600, 480);
    w.show();
    for (std::uint32_t i = 0; i < 50; ++i)
        table.add_row(ph_row(10000 + 60 * i, 7.8 + (i % 10) / 50.0));
    w.refresh();
    live::ProcessedGraphControl& g = *w.graph();
    const live::PlotArea area = g.geometry().plot;
    ASSERT_TRUE(g.geometry().plotted);

    // A drag across the left half narrows the times.
    const int y = (area.top + area.bottom) / 2;
    const QPoint from(area.left + 5, y), to((area.left + area.right) / 2, y);
    mouse(g, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    mouse(g, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    mouse(g, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(1, g.zoom_level());
    EXPECT_LT(g.plot().current_range().xmax, 10000u + 60 * 49);

    // More rows keep the zoom: the user is looking at it.
    table.add_row(ph_row(20000, 7.9));
    w.refresh();
    EXPECT_EQ(1, g.zoom_level());

    w.reset_button()->click();
    EXPECT_EQ(0, g.zoom_level());
    EXPECT_EQ(20000u, g.plot().current_range().xmax);
}

}  // namespace
}  // namespace quelmar::processing
