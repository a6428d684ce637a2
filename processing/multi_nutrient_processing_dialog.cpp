#include "processing/multi_nutrient_processing_dialog.h"

#include <QPushButton>

#include <memory>

#include "ui/prompts.h"
#include "processing/nutrient_engine.h"

namespace quelmar::processing {

MultiNutrientProcessingDialog::MultiNutrientProcessingDialog(QWidget* parent)
    : RawProcessingDialog(Chemistry::nutrient, parent) {
    setWindowTitle(QStringLiteral("Dialog"));
    hide_process_button();
    parameters_area()->hide();
}

std::vector<ResultColumn> MultiNutrientProcessingDialog::result_columns() const {
    return multi_nutrient_columns();
}

bool MultiNutrientProcessingDialog::start() {
    set_result_columns(result_columns());
    const QStringList chosen = ui::choose_open_files(this, QStringLiteral("Raw Output File"),
                                                      QStringLiteral("Raw Output Files (*.csv)"));
    if (chosen.isEmpty())
        return false;
    std::vector<std::string> paths;
    for (const QString& p : chosen)
        paths.push_back(p.toStdString());
    auto outcome = std::make_shared<MultiFileOutcome>();
    auto provenance = std::make_shared<ResultProvenance>();
    run_in_background(
        [this, paths, outcome, provenance](const PassControl& control) {
            // The headers of the files processed, gathered as the batch reads them.
            *outcome = run_multi_batch(paths, table_, log_, control, *provenance);
        },
        [this, outcome, provenance] {
            provenance_ = std::move(*provenance);
            provenance_ = result_provenance();
            save_allowed_ = outcome->completed > 0;
            if (outcome->cancelled)
                log_.add("Processing cancelled: the results list holds the rows made before it");
            for (std::size_t i = 0; i < outcome->read_errors.size(); ++i)
                ui::show_message(this, QString::fromUtf8(texts().read_error_caption),
                                  QString::fromUtf8(io_error_text), ui::PromptIcon::error);
        });
    return true;
}

}  // namespace quelmar::processing
