#include "statemachine/go_to_state_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "statemachine/state_form.h"

namespace quelmar::statemachine {

GoToStateDialog::GoToStateDialog(std::uint32_t last_state_index, QWidget* parent)
    : QDialog(parent), last_state_index_(last_state_index) {
    setWindowTitle("Go to state...");
    number_ = new QLineEdit("0", this);
    number_->setObjectName("go_to_number");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Go to state:", this));
    layout->addWidget(number_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(number_, &QLineEdit::textChanged, this, [this] { number_changed(); });
    number_changed();
}

std::uint32_t GoToStateDialog::state() const {
    return read_number_field(number_->text().toStdString());
}

void GoToStateDialog::number_changed() {
    const bool ok = state() <= last_state_index_;
    number_->setStyleSheet(ok ? QString() : QString("color: rgb(255, 0, 0);"));
    ok_->setEnabled(ok);
}

}  // namespace quelmar::statemachine
