#include "statemachine/paste_options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quelmar::statemachine {

PasteOptionsDialog::PasteOptionsDialog(const PasteOptions& previous, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Paste options");
    before_ = new QRadioButton("Insert Before Current State", this);
    after_ = new QRadioButton("Insert After Current State", this);
    overwrite_ = new QRadioButton("Overwrite Current State", this);
    valves_ = new QCheckBox("Paste Valve Settings", this);
    pump_ = new QCheckBox("Paste Pump Settings", this);
    rest_ = new QCheckBox("Paste Everything Else", this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w :
         std::initializer_list<QWidget*>{before_, after_, overwrite_, valves_, pump_, rest_})
        layout->addWidget(w);
    layout->addWidget(buttons);

    switch (previous.where) {
        case PasteWhere::insert_before:
            before_->setChecked(true);
            break;
        case PasteWhere::insert_after:
            after_->setChecked(true);
            break;
        case PasteWhere::overwrite:
            overwrite_->setChecked(true);
            break;
    }
    valves_->setChecked(previous.groups.valves);
    pump_->setChecked(previous.groups.pump);
    rest_->setChecked(previous.groups.everything_else);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QRadioButton* r : {before_, after_, overwrite_})
        connect(r, &QRadioButton::toggled, this, [this] { where_changed(); });
    where_changed();
}

void PasteOptionsDialog::where_changed() {
    const bool groups = overwrite_->isChecked();
    valves_->setEnabled(groups);
    pump_->setEnabled(groups);
    rest_->setEnabled(groups);
}

PasteOptions PasteOptionsDialog::options() const {
    PasteOptions o;
    o.where = before_->isChecked()  ? PasteWhere::insert_before
              : after_->isChecked() ? PasteWhere::insert_after
                                    : PasteWhere::overwrite;
    o.groups = {valves_->isChecked(), pump_->isChecked(), rest_->isChecked()};
    return o;
}

}  // namespace quelmar::statemachine
