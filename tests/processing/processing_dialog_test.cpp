// The processing dialogs end to end with scripted prompts: the file processed through a
// dialog saves the same CSV as the command line, Cancel stops a long pass, and the messages
// for a missing header, another chemistry, a refused channel or interval and a failed save.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "ui/prompts.h"
#include "processing/dic_processing_dialog.h"
#include "processing/example_files.h"
#include "processing/multi_nutrient_processing_dialog.h"
#include "processing/nutrient_processing_dialog.h"
#include "processing/ph_processing_dialog.h"
#include "processing/process_command.h"
#include "processing/processing_log_model_qt.h"
#include "processing/processing_messages.h"
#include "processing/result_table_model_qt.h"
#include "processing/ta_processing_dialog.h"
#include "tests/processing/processing_dialog_fixture.h"

namespace quelmar::processing {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class ProcessingDialog : public ProcessingDialogFixture {
  protected:
    // What quelmar-cli process writes for the same file.
    std::string cli_csv(const std::vector<std::string>& files, bool multi) {
        ProcessRequest r;
        r.files = files;
        r.multi = multi;
        ProcessOutcome out;
        run_process_request(r, out);
        EXPECT_TRUE(out.has_rows);
        const fs::path p = dir_ / "cli.csv";
        EXPECT_TRUE(save_results(out.table, p.string()).ok);
        return read_file(p);
    }
    std::string dialog_save(RawProcessingDialog& d) {
        const fs::path p = dir_ / "dialog.csv";
        prompts.choose(QString::fromStdString(p.string()));
        d.save_pressed();
        EXPECT_EQ("Save Processed Output", prompts.last_message().title.toStdString());
        EXPECT_EQ("Processed Output saved to " + p.string(),
                  prompts.last_message().text.toStdString());
        return read_file(p);
    }
    template <class Dialog>
    void saves_what_the_cli_writes(const std::string& text, std::size_t rows) {
        const QString path = write("raw.csv", text);
        prompts.choose(path);
        const std::size_t shown = prompts.messages().size();
        Dialog d;
        ASSERT_TRUE(d.start());
        EXPECT_EQ(shown, prompts.messages().size());
        EXPECT_FALSE(d.save_button()->isEnabled());
        d.process_pressed();
        wait(d);
        EXPECT_TRUE(d.save_button()->isEnabled());
        EXPECT_EQ(rows, d.results().row_count());
        EXPECT_EQ(static_cast<int>(rows), d.results_view()->model()->rowCount());
        EXPECT_EQ(static_cast<int>(d.processing_log().size()), d.log_view()->model()->rowCount());
        EXPECT_EQ(cli_csv({path.toStdString()}, false), dialog_save(d));
    }
};

TEST_F(ProcessingDialog, EachDialogSavesWhatTheCommandLineWrites) {
    ExampleOptions o;
    o.cycles = 3;
    saves_what_the_cli_writes<NutrientProcessingDialog>(nutrient_example(o), 3);
    saves_what_the_cli_writes<PhProcessingDialog>(ph_example(o), 3);
    saves_what_the_cli_writes<TaProcessingDialog>(ta_example(o), 3);
    saves_what_the_cli_writes<DicProcessingDialog>(dic_example(o), 3);
}

// The example file with one header key's value replaced.
std::string with_key(std::string text, const std::string& key, const std::string& value) {
    const std::string start = "%QUELMAR." + key + "=";
    const std::size_t at = text.find(start);
    EXPECT_NE(std::string::npos, at) << key;
    if (at == std::string::npos)
        return text;
    const std::size_t end = text.find('\n', at);
    return text.replace(at + start.size(), end - at - start.size(), value);
}

TEST_F(ProcessingDialog, UntouchedFieldsComputeWithTheHeaderValuesNotTheirDisplay) {
    // Values that "%g" (TA), "%.5f" (pH) and "%.2f" (DIC CRM) do not show exactly: the
    // dialogs still compute with what the header gave, as the command line does.
    ExampleOptions o;
    o.cycles = 3;
    std::string ta = with_key(ta_example(o), "CHEMISTRY.ACID_MOLARITY", "0.1000123");
    ta = with_key(ta, "CHEMISTRY.e1", "0.0051234567");
    saves_what_the_cli_writes<TaProcessingDialog>(ta, 3);
    std::string ph = with_key(ph_example(o), "CHEMISTRY.DPH_BY_DT", "-0.0158234");
    ph = with_key(ph, "CHEMISTRY.R_ADJUSTMENT_SCALE", "1.0000456");
    ph = with_key(ph, "CHEMISTRY.ABSORBANCE_MIN_434", "0.1000049");
    saves_what_the_cli_writes<PhProcessingDialog>(ph, 3);
    const std::string dic = with_key(dic_example(o), "CHEMISTRY.INLET.0.CRM_VALUE", "2030.456");
    saves_what_the_cli_writes<DicProcessingDialog>(dic, 3);

    // What the fields show, and what they read back untouched and after an edit.
    prompts.choose(write("ta.csv", with_key(ta, "CHEMISTRY.BLANK_MEASUREMENT_STATE_LED2", "255")));
    TaProcessingDialog t;
    ASSERT_TRUE(t.start());
    EXPECT_EQ("0.100012", t.acid_molarity->text().toStdString());
    EXPECT_EQ("255", t.blank_state_led2->text().toStdString());
    TaSettings s = t.settings_from_controls();
    EXPECT_EQ(0.1000123f, s.params.acid_molarity);
    EXPECT_EQ(255, s.params.blank_state_led2);  // typed, 255 would read as 254
    t.acid_molarity->setText("0.1000124");
    t.blank_state_led2->setText("300");
    s = t.settings_from_controls();
    EXPECT_EQ(0.1000124f, s.params.acid_molarity);
    EXPECT_EQ(254, s.params.blank_state_led2);

    prompts.choose(write("dic.csv", dic));
    DicProcessingDialog d;
    ASSERT_TRUE(d.start());
    EXPECT_EQ("2030.46", d.inlets[0].crm_value->text().toStdString());
    EXPECT_EQ(2030.456f, d.settings_from_controls().params.inlets[0].crm_value);
}

TEST_F(ProcessingDialog, MultiFileDialogRunsTheBatchAtOnce) {
    ExampleOptions o;
    o.cycles = 2;
    o.sensor_name = "QM-A";
    const QString a = write("a.csv", nutrient_example(o));
    o.sensor_name = "QM-B";
    o.nutrient_type = protocol::chemistry::phosphate;
    const QString b = write("b.csv", nutrient_example(o));
    const QString ph = write("p.csv", ph_example(o));
    prompts.choose(QStringList{a, ph, b});
    MultiNutrientProcessingDialog d;
    ASSERT_TRUE(d.start());
    EXPECT_EQ("Dialog", d.windowTitle().toStdString());
    EXPECT_TRUE(d.process_button()->isHidden());
    wait(d);
    ASSERT_EQ(4u, d.results().row_count());
    EXPECT_EQ("QM-A", d.results().row(0)[8]);
    EXPECT_EQ("QM-B", d.results().row(3)[8]);
    EXPECT_TRUE(d.save_button()->isEnabled());
    EXPECT_EQ(cli_csv({a.toStdString(), ph.toStdString(), b.toStdString()}, true), dialog_save(d));
}

TEST_F(ProcessingDialog, NutrientTypeSetsTitlesAndRulesFollowTheChoices) {
    ExampleOptions o;
    o.nutrient_type = protocol::chemistry::silicate;
    prompts.choose(write("s.csv", nutrient_example(o)));
    NutrientProcessingDialog d;
    ASSERT_TRUE(d.start());
    EXPECT_EQ("Process Raw Silicate Data", d.windowTitle().toStdString());
    EXPECT_EQ("Silicate (Short.uM)", d.results().titles()[3]);
    EXPECT_EQ("1:4.000", d.optical_correction_dilution->text().toStdString());
    EXPECT_EQ("10.000", d.standard1_concentration->text().toStdString());

    d.nutrient_type->setCurrentIndex(0);  // Nitrate
    EXPECT_EQ("Process Raw Nitrate Data", d.windowTitle().toStdString());
    EXPECT_EQ("Nitrate (Long.uM)", d.results().titles()[4]);
    EXPECT_EQ("1:1.500", d.optical_correction_dilution->text().toStdString());

    d.standard_adjustment->setCurrentIndex(1);  // Standard 2
    d.processing_trigger->setCurrentIndex(2);   // Sample
    EXPECT_FALSE(d.standard1_measurement_state->isEnabled());
    EXPECT_FALSE(d.standard1_concentration->isEnabled());
    EXPECT_TRUE(d.standard2_measurement_state->isEnabled());
    d.processing_trigger->setCurrentIndex(0);  // Standard 1
    EXPECT_TRUE(d.standard1_measurement_state->isEnabled());

    EXPECT_FALSE(d.oc_sample_state->isEnabled());
    d.optical_correction->click();
    EXPECT_TRUE(d.oc_sample_state->isEnabled());
    EXPECT_TRUE(d.optical_correction_dilution->isEnabled());
}

TEST_F(ProcessingDialog, MissingHeaderLeavesTheControlsEmpty) {
    ExampleOptions o;
    o.header = false;
    prompts.choose(write("bare.csv", nutrient_example(o)));
    NutrientProcessingDialog d;
    ASSERT_TRUE(d.start());
    const auto& texts = processing_texts(Chemistry::nutrient);
    ASSERT_EQ(1u, prompts.messages().size());
    EXPECT_EQ(texts.caption, prompts.last_message().title.toStdString());
    EXPECT_EQ(texts.no_parameters, prompts.last_message().text.toStdString());
    EXPECT_EQ(-1, d.nutrient_type->currentIndex());
    EXPECT_TRUE(d.sample_intake_state->text().isEmpty());
    EXPECT_TRUE(d.process_button()->isEnabled());
    // Nothing typed: every state 0, no cycle, no row; the end of the file is still handled.
    d.process_pressed();
    wait(d);
    EXPECT_EQ(0u, d.results().row_count());
    EXPECT_TRUE(d.save_button()->isEnabled());
}

TEST_F(ProcessingDialog, AnotherChemistryClosesTheDialog) {
    ExampleOptions o;
    prompts.choose(write("ph.csv", ph_example(o)));
    TaProcessingDialog d;
    EXPECT_FALSE(d.start());
    EXPECT_EQ("This file has the wrong chemistry type for TA processing.",
              prompts.last_message().text.toStdString());
    prompts.choose_cancel();
    DicProcessingDialog cancelled;
    EXPECT_FALSE(cancelled.start());
}

TEST_F(ProcessingDialog, UnreadableFileShowsTheReadError) {
    // A regular file every read of which fails (this process's memory at address 0).
    prompts.choose(QStringLiteral("/proc/self/mem"));
    PhProcessingDialog d;
    EXPECT_FALSE(d.start());
    EXPECT_EQ("Process Raw pH Output", prompts.last_message().title.toStdString());
    EXPECT_EQ("I/O error reading input file", prompts.last_message().text.toStdString());
    // A FIFO or a device would be read for ever: refused before any read.
    const fs::path fifo = dir_ / "fifo.csv";
    fs::remove(fifo);
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    for (const std::string& path : {fifo.string(), std::string("/dev/zero")}) {
        prompts.choose(QString::fromStdString(path));
        PhProcessingDialog refused;
        EXPECT_FALSE(refused.start());
        EXPECT_EQ("Process Raw pH Data", prompts.last_message().title.toStdString());
        EXPECT_EQ("Unable to open " + path + ": not a regular file",
                  prompts.last_message().text.toStdString());
    }
    fs::remove(fifo);
}

TEST_F(ProcessingDialog, ChannelBeyondTheEightIsRefusedNotReplaced) {
    ExampleOptions o;
    std::string text = nutrient_example(o);
    const std::string key = "MEASUREMENT_CHANNEL_SHORT=2";
    text.replace(text.find(key), key.size(), "MEASUREMENT_CHANNEL_SHORT=9");
    prompts.choose(write("ch9.csv", text));
    NutrientProcessingDialog d;
    ASSERT_TRUE(d.start());
    EXPECT_EQ(-1, d.short_measure->currentIndex());  // not shown as channel 0
    d.process_pressed();
    wait(d);
    EXPECT_FALSE(d.busy());
    EXPECT_EQ(0u, d.results().row_count());
    EXPECT_FALSE(d.save_button()->isEnabled());
    EXPECT_NE(std::string::npos,
              prompts.last_message().text.toStdString().find("Channel 9 given for the Short"));
    // Choosing a channel by hand lets it through.
    d.short_measure->setCurrentIndex(2);
    d.process_pressed();
    wait(d);
    EXPECT_EQ(o.cycles, d.results().row_count());
}

TEST_F(ProcessingDialog, PhIntervalOfZeroIsRefused) {
    ExampleOptions o;
    prompts.choose(write("ph.csv", ph_example(o)));
    PhProcessingDialog d;
    ASSERT_TRUE(d.start());
    EXPECT_EQ("100", d.sample_interval->text().toStdString());
    EXPECT_EQ("-0.01582", d.dph_dt->text().toStdString());
    d.process_pressed();
    wait(d);
    ASSERT_EQ(static_cast<std::size_t>(o.cycles), d.results().row_count());
    // The refusal also takes away the rows of the run before: they are not the results of
    // what the fields now say.
    d.sample_interval->setText("0");
    d.process_pressed();
    wait(d);
    EXPECT_EQ(0u, d.results().row_count());
    EXPECT_EQ(0, d.results_view()->model()->rowCount());
    EXPECT_FALSE(d.save_button()->isEnabled());
    EXPECT_EQ("Process Raw pH Data", prompts.last_message().title.toStdString());
    EXPECT_NE(std::string::npos, prompts.last_message().text.toStdString().find("interval of 0"));
}

// A pass that throws, as one would when a hostile file exhausts memory.
class ThrowingPhDialog : public PhProcessingDialog {
  protected:
    Pass make_pass() override {
        return [](RawSource&, ResultTable& table, ProcessingLog&, const PassControl&) -> PassStats {
            table.add_row({"half", "a", "row"});
            throw std::bad_alloc();
        };
    }
};

TEST_F(ProcessingDialog, AnExceptionInThePassEndsThePassNotTheProgram) {
    ExampleOptions o;
    prompts.choose(write("ph.csv", ph_example(o)));
    ThrowingPhDialog d;
    ASSERT_TRUE(d.start());
    d.process_pressed();
    wait(d);
    EXPECT_FALSE(d.busy());
    EXPECT_EQ("Process Raw pH Data", prompts.last_message().title.toStdString());
    EXPECT_EQ("Processing stopped: std::bad_alloc", prompts.last_message().text.toStdString());
    EXPECT_EQ("Processing stopped: std::bad_alloc",
              d.processing_log().line(d.processing_log().size() - 1));
    EXPECT_FALSE(d.save_button()->isEnabled());
    EXPECT_TRUE(d.process_button()->isEnabled());
}

// A header scan that reads the file over and over until it is cancelled, as the pH scan of a
// huge file would seem to.
class EndlessScanDialog : public PhProcessingDialog {
  protected:
    HeaderScan scan_header(RawSource& file) override {
        char buffer[4096];
        for (;;) {
            const std::ptrdiff_t n = file.read(buffer, sizeof buffer);
            if (n < 0)
                return {false, true};
            if (n == 0)
                file.rewind();
        }
    }
};

TEST_F(ProcessingDialog, HeaderScanRunsOffTheWindowThreadAndCancels) {
    ExampleOptions o;
    prompts.choose(write("ph.csv", ph_example(o)));
    EndlessScanDialog d;
    bool cancel_was_enabled = false;
    // Runs only if the window's thread is free while the scan goes on.
    QTimer::singleShot(0, &d, [&] {
        cancel_was_enabled = d.cancel_button()->isEnabled();
        d.cancel_button()->click();
    });
    const std::size_t shown = prompts.messages().size();
    EXPECT_FALSE(d.start());
    EXPECT_TRUE(cancel_was_enabled);
    EXPECT_FALSE(d.busy());
    EXPECT_EQ(shown, prompts.messages().size());  // a cancel is no read error
}

TEST_F(ProcessingDialog, CancelStopsALongPass) {
    ExampleOptions o;
    o.cycles = 6000;  // about 290 000 lines
    prompts.choose(write("long.csv", nutrient_example(o)));
    NutrientProcessingDialog d;
    ASSERT_TRUE(d.start());
    d.process_pressed();
    EXPECT_TRUE(d.busy());
    EXPECT_TRUE(d.cancel_button()->isEnabled());
    EXPECT_FALSE(d.process_button()->isEnabled());
    d.cancel_button()->click();
    wait(d);
    EXPECT_FALSE(d.busy());
    EXPECT_LT(d.results().row_count(), 6000u);
    EXPECT_FALSE(d.save_button()->isEnabled());
    EXPECT_FALSE(d.cancel_button()->isEnabled());
    EXPECT_EQ(0u,
              d.processing_log().line(d.processing_log().size() - 1).find("Processing cancelled"));
    // A second Process runs to the end and keeps the latest 5001 rows.
    d.process_pressed();
    wait(d);
    EXPECT_EQ(max_result_rows, d.results().row_count());
    EXPECT_TRUE(d.save_button()->isEnabled());
}

TEST_F(ProcessingDialog, FailedSaveIsReportedAndKeepsTheEarlierFile) {
    ExampleOptions o;
    prompts.choose(write("dic.csv", dic_example(o)));
    DicProcessingDialog d;
    ASSERT_TRUE(d.start());
    EXPECT_FALSE(d.inlets[0].intake_state->isEnabled());  // CRM
    EXPECT_TRUE(d.inlets[0].crm_value->isEnabled());
    EXPECT_EQ("2030.50", d.inlets[0].crm_value->text().toStdString());
    EXPECT_TRUE(d.inlets[1].intake_state->isEnabled());  // Sample
    EXPECT_FALSE(d.inlets[1].crm_value->isEnabled());
    EXPECT_FALSE(d.inlets[2].measurement_state->isEnabled());  // Unused
    d.process_pressed();
    wait(d);
    const std::string missing = (dir_ / "no_such_folder" / "out.csv").string();
    prompts.choose(QString::fromStdString(missing));
    d.save_pressed();
    EXPECT_EQ("Save Processed Output", prompts.last_message().title.toStdString());
    EXPECT_EQ("Unable to open " + missing + " for write",
              prompts.last_message().text.toStdString());
    EXPECT_FALSE(fs::exists(missing));

    // A name typed without ".csv" gets it; an existing file of that name is asked about.
    const std::string named = (dir_ / "named").string();
    std::ofstream(named + ".csv") << "earlier\n";
    prompts.choose(QString::fromStdString(named));
    prompts.answer_no();
    d.save_pressed();
    EXPECT_EQ(ui::PromptRecord::Kind::yes_no, prompts.shown.back().kind);
    EXPECT_EQ("earlier\n", read_file(named + ".csv"));
    prompts.choose(QString::fromStdString(named));
    prompts.answer_yes();
    d.save_pressed();
    EXPECT_EQ("Processed Output saved to " + named + ".csv",
              prompts.last_message().text.toStdString());
    EXPECT_EQ(0u, read_file(named + ".csv").find("Time (platform),Meas State"));
}

TEST_F(ProcessingDialog, ModelsFollowTheCoreListsAsTheyGrow) {
    ProcessingLog log(1000000);
    ProcessingLogModel log_model(log);
    for (int i = 0; i < 1000000; ++i)
        log.add("line " + std::to_string(i));
    EXPECT_TRUE(log_model.refresh());
    EXPECT_FALSE(log_model.refresh());
    ASSERT_EQ(1000000, log_model.rowCount());
    EXPECT_EQ("line 999999", log_model.index(999999).data().toString().toStdString());
    QListView view;
    view.setUniformItemSizes(true);
    view.setModel(&log_model);
    view.scrollToBottom();
    log.clear();
    EXPECT_TRUE(log_model.refresh());
    EXPECT_EQ(0, log_model.rowCount());

    ResultTable table({{"A", 10}, {"B", 12}});
    ResultTableModel table_model(table);
    EXPECT_EQ(2, table_model.columnCount());
    EXPECT_EQ("B", table_model.headerData(1, Qt::Horizontal).toString().toStdString());
    for (int i = 0; i < 6000; ++i)
        table.add_row({std::to_string(i), "x"});
    EXPECT_TRUE(table_model.refresh());
    ASSERT_EQ(5001, table_model.rowCount());
    EXPECT_EQ("999", table_model.index(0, 0).data().toString().toStdString());
    EXPECT_EQ("5999", table_model.index(5000, 0).data().toString().toStdString());
    EXPECT_EQ((std::vector<int>{10, 12}), table_model.column_widths());
}

}  // namespace
}  // namespace quelmar::processing
