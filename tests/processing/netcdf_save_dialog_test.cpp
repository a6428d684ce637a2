// Saving a processing dialog's results as NetCDF: the file type or the name's extension
// chooses the format, and the file records the raw files and the fields as processed.

#include <gtest/gtest.h>
#include <netcdf.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

#include <filesystem>
#include <fstream>

#include "processing/dic_processing_dialog.h"
#include "processing/example_files.h"
#include "processing/multi_nutrient_processing_dialog.h"
#include "processing/ph_processing_dialog.h"
#include "processing/ta_processing_dialog.h"
#include "ui/prompts.h"
#include "tests/processing/processing_dialog_fixture.h"

namespace quelmar::processing {
namespace {

namespace fs = std::filesystem;

std::string global_text(const fs::path& path, const char* name) {
    int id = -1;
    if (nc_open(path.c_str(), NC_NOWRITE, &id) != NC_NOERR)
        return "<not NetCDF>";
    std::size_t len = 0;
    std::string s;
    if (nc_inq_attlen(id, NC_GLOBAL, name, &len) == NC_NOERR) {
        s.resize(len);
        nc_get_att_text(id, NC_GLOBAL, name, s.data());
    }
    nc_close(id);
    return s;
}

using NetcdfSaveDialog = ProcessingDialogFixture;

TEST_F(NetcdfSaveDialog, TheChosenTypeCompletesTheNameAndTheExtensionDecides) {
    prompts.choose(write("ta.csv", ta_example({})));
    TaProcessingDialog d;
    ASSERT_TRUE(d.start());
    d.process_pressed();
    wait(d);
    ASSERT_TRUE(d.save_button()->isEnabled());

    // A name without an extension takes the NetCDF type's.
    prompts.choose_as(QString::fromStdString((dir_ / "typed").string()), "NetCDF Files (*.nc)");
    d.save_pressed();
    EXPECT_EQ(prompts.shown.back().kind, ui::PromptRecord::Kind::message);
    const fs::path typed = dir_ / "typed.nc";
    EXPECT_EQ(prompts.last_message().text.toStdString(), "Processed Output saved to " + typed.string());
    EXPECT_EQ(global_text(typed, "Conventions"), "CF-1.8");
    EXPECT_EQ(global_text(typed, "raw_files"), "ta.csv");
    EXPECT_EQ(global_text(typed, "chemistry"), "TA");

    // The filter offers both; a name ending in .nc is NetCDF whatever type was left chosen.
    const auto save_prompt = std::find_if(prompts.shown.rbegin(), prompts.shown.rend(), [](auto& r) {
        return r.kind == ui::PromptRecord::Kind::save_file;
    });
    ASSERT_NE(save_prompt, prompts.shown.rend());
    EXPECT_EQ(save_prompt->text.toStdString(), "CSV Files (*.csv);;NetCDF Files (*.nc)");
    prompts.choose(QString::fromStdString((dir_ / "named.NC").string()));
    d.save_pressed();
    EXPECT_EQ(global_text(dir_ / "named.NC", "Conventions"), "CF-1.8");

    // And a name without one under the first type stays CSV.
    prompts.choose(QString::fromStdString((dir_ / "plain").string()));
    d.save_pressed();
    std::ifstream csv(dir_ / "plain.csv");
    std::string first;
    std::getline(csv, first);
    EXPECT_EQ(first, "Time (platform),TA (uM),Absorbance LED1,Absorbance LED2,Temperature (C)");
}

TEST_F(NetcdfSaveDialog, RecordsTheFieldsAsProcessed) {
    prompts.choose(write("dic.csv", dic_example({})));
    DicProcessingDialog d;
    ASSERT_TRUE(d.start());
    d.inlets[0].crm_value->setText("2031.25");  // edited by hand: no longer the header's
    d.process_pressed();
    wait(d);
    // Edited again after the run, and not processed: Save records what was.
    d.inlets[0].crm_value->setText("1999");
    ASSERT_TRUE(d.save_button()->isEnabled());
    prompts.choose(QString::fromStdString((dir_ / "dic.nc").string()));
    d.save_pressed();
    const std::string fields = global_text(dir_ / "dic.nc", "processing_dialog_fields");
    EXPECT_NE(fields.find("Inlet 1 Processing Parameters: CRM Value (µmol/kg)=2031.25"),
              std::string::npos)
        << fields;
    EXPECT_NE(global_text(dir_ / "dic.nc", "processing_parameters").find("CRM_VALUE=2030.5"),
              std::string::npos);
}

TEST_F(NetcdfSaveDialog, PhRecordsTheKeyLinesItsScanTookAfterTheHeader) {
    // The pH scan takes a key wherever it is: the one after the data is what was used.
    prompts.choose(write("ph.csv", ph_example({}) + "%QUELMAR.CHEMISTRY.SAMPLE_INTERVAL=100\n"));
    PhProcessingDialog d;
    ASSERT_TRUE(d.start());
    d.process_pressed();
    wait(d);
    prompts.choose(QString::fromStdString((dir_ / "ph.nc").string()));
    d.save_pressed();
    const std::string params = global_text(dir_ / "ph.nc", "processing_parameters");
    EXPECT_EQ(params.substr(params.rfind('\n') + 1), "CHEMISTRY.SAMPLE_INTERVAL=100") << params;
}

TEST_F(NetcdfSaveDialog, MultiFileDialogRecordsTheFilesProcessed) {
    ExampleOptions o;
    o.cycles = 2;
    const QString a = write("a.csv", nutrient_example(o));
    const QString b = write("b.csv", nutrient_example(o));
    const QString ta = write("ta.csv", ta_example(o));  // refused: not a nutrient
    prompts.choose(QStringList{a, QString::fromStdString((dir_ / "missing.csv").string()), ta, b});
    MultiNutrientProcessingDialog d;
    ASSERT_TRUE(d.start());
    wait(d);
    ASSERT_TRUE(d.save_button()->isEnabled());
    prompts.choose(QString::fromStdString((dir_ / "multi.nc").string()));
    d.save_pressed();
    EXPECT_EQ(global_text(dir_ / "multi.nc", "raw_files"), "a.csv\nb.csv");
    const std::string params = global_text(dir_ / "multi.nc", "processing_parameters");
    EXPECT_EQ(params.find("[ta.csv]"), std::string::npos) << params;
    EXPECT_EQ(params.find("[missing.csv]"), std::string::npos) << params;
}

}  // namespace
}  // namespace quelmar::processing
