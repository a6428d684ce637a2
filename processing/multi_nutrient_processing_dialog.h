#pragma once
// The multi-file nutrient dialog: one or many nutrient raw output files, each with the
// parameters of its own header, their rows in one list tagged with the sensor name. It has
// no parameter controls and no Process button: the batch runs as soon as the files are
// chosen.

#include <QStringList>

#include "processing/raw_processing_dialog.h"

namespace quelmar::processing {

class MultiNutrientProcessingDialog : public RawProcessingDialog {
    Q_OBJECT
  public:
    explicit MultiNutrientProcessingDialog(QWidget* parent = nullptr);
    // Asks for the files and starts the batch; false when the choice was cancelled.
    bool start() override;

  protected:
    HeaderScan scan_header(RawSource&) override { return {}; }
    bool header_chemistry_accepted() const override { return false; }
    void show_parameters() override {}
    std::string read_parameters() override { return {}; }
    Pass make_pass() override { return {}; }
    std::vector<ResultColumn> result_columns() const override;
    ResultProvenance result_provenance() override;
};

}  // namespace quelmar::processing
