// What a processing dialog records about how its results were made, for the NetCDF save:
// the chemistry, the raw output file, its header key lines (exact, as the header scan read
// them) and the parameter fields as they stood when Process read them (a field the user
// edited differs from the header, and it is the field that was processed). Taken at
// Process, it reads no file: nothing at Save waits on the disk but the save itself.

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "processing/multi_nutrient_processing_dialog.h"
#include "processing/raw_processing_dialog.h"

namespace quelmar::processing {

namespace {

QString field_text(QWidget* field) {
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        return edit->text();
    if (auto* box = qobject_cast<QComboBox*>(field))
        return box->currentText();
    if (auto* check = qobject_cast<QCheckBox*>(field))
        return check->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    return {};
}

std::string chemistry_text(Chemistry chemistry, const std::vector<std::string>& titles) {
    switch (chemistry) {
        case Chemistry::nutrient: {
            // The nutrient's name heads its concentration columns: "Nitrate (Medium.uM)".
            if (titles.size() > 2) {
                const auto open = titles[2].find(" (");
                if (open != std::string::npos)
                    return titles[2].substr(0, open);
            }
            return "Nutrient";
        }
        case Chemistry::ph:
            return "pH";
        case Chemistry::ta:
            return "TA";
        case Chemistry::dic:
            return "DIC";
    }
    return {};
}

}  // namespace

std::vector<std::string> shown_parameter_fields(QWidget* area) {
    std::vector<std::string> lines;
    if (!area)
        return lines;
    for (QFormLayout* form : area->findChildren<QFormLayout*>()) {
        // Inlets repeat their labels: the group names which inlet a field is of.
        QString group;
        if (auto* box = qobject_cast<QGroupBox*>(form->parentWidget()))
            group = box->title() + QStringLiteral(": ");
        for (int row = 0; row < form->rowCount(); ++row) {
            QLayoutItem* label = form->itemAt(row, QFormLayout::LabelRole);
            QLayoutItem* field = form->itemAt(row, QFormLayout::FieldRole);
            auto* text = label ? qobject_cast<QLabel*>(label->widget()) : nullptr;
            if (!text || !field || !field->widget())
                continue;
            lines.push_back((group + text->text() + QStringLiteral("=") +
                             field_text(field->widget()))
                                .toStdString());
        }
    }
    return lines;
}

ResultProvenance RawProcessingDialog::result_provenance() {
    ResultProvenance p;
    p.chemistry = chemistry_text(chemistry_, table_.titles());
    p.command = windowTitle().toStdString();
    if (file_.is_open()) {
        p.raw_files = {file_.path()};
        p.parameters = header_keys_;
    }
    p.fields = shown_parameter_fields(parameters_area_);
    return p;
}

ResultProvenance MultiNutrientProcessingDialog::result_provenance() {
    // The batch's files and headers are recorded by the worker at its end (start()).
    ResultProvenance p = provenance_;
    // The dialog's own title says nothing ("Dialog"); the history names the work instead.
    p.command = "Multi-file nutrient processing";
    return p;
}

}  // namespace quelmar::processing
