#include "ui/start_states_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>

#include "ui/prompts.h"

namespace quelmar::ui {

namespace {
std::uint64_t typed_number(const QLineEdit* field) {
    bool ok = false;
    const qulonglong v = field->text().trimmed().toULongLong(&ok);
    return ok ? v : 0;
}
}  // namespace

StartStatesDialog::StartStatesDialog(link::SensorLink& link, int opened_from, QWidget* parent)
    : QDialog(parent), link_(link), save_(new QPushButton("Save", this)),
      cancel_(new QPushButton("Cancel", this)) {
    setWindowTitle("State Machine Start States");
    auto* grid = new QGridLayout(this);
    for (std::size_t i = 0; i < protocol::start_state_rows; ++i) {
        boxes_[i] = new QCheckBox(protocol::start_state_labels[i], this);
        fields_[i] = new QLineEdit(this);
        fields_[i]->setMaxLength(10);
        grid->addWidget(boxes_[i], int(i), 0);
        grid->addWidget(fields_[i], int(i), 1);
        connect(boxes_[i], &QCheckBox::toggled, this, [this, i] { row_changed(i); });
        connect(fields_[i], &QLineEdit::textChanged, this, [this, i] { row_changed(i); });
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(cancel_);
    grid->addLayout(buttons, int(protocol::start_state_rows), 0, 1, 2);
    connect(save_, &QPushButton::clicked, this, &StartStatesDialog::save_pressed);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    if (protocol::read_chemistry_config(link_, config_) != protocol::status::ok) return;
    loaded_ = true;
    std::uint16_t count = 0;
    const auto s = protocol::read_state_count(link_, count);
    highest_valid_ = protocol::highest_valid_state(s, count);
    if (opened_from == start_states_from_autostart) protocol::toggle_autostart(config_);
    show_values();
}

int StartStatesDialog::autostart_result() const { return protocol::autostart_on(config_) ? 1 : 0; }

void StartStatesDialog::show_values() {
    const auto values = start_state_values(config_);
    for (std::size_t i = 0; i < protocol::start_state_rows; ++i) {
        const bool set = values[i] != protocol::state_none;
        boxes_[i]->setChecked(set);
        fields_[i]->setText(QString::number(set ? values[i] : 0));
        row_changed(i);
    }
}

bool StartStatesDialog::row_marked_wrong(std::size_t row) const {
    return boxes_[row]->isChecked() &&
           protocol::start_state_out_of_range(typed_number(fields_[row]), highest_valid_);
}

void StartStatesDialog::row_changed(std::size_t row) {
    fields_[row]->setEnabled(boxes_[row]->isChecked());
    fields_[row]->setStyleSheet(row_marked_wrong(row) ? "color: red;" : QString());
}

void StartStatesDialog::save_pressed() {
    std::array<std::uint8_t, protocol::start_state_rows> values{};
    for (std::size_t i = 0; i < protocol::start_state_rows; ++i)
        values[i] = boxes_[i]->isChecked() ? protocol::stored_start_state(typed_number(fields_[i]))
                                           : protocol::state_none;
    protocol::ChemistryConfig edited = config_;
    protocol::set_start_state_values(edited, values);
    if (protocol::write_chemistry_config(link_, edited) != protocol::status::ok) {
        show_message(this, "Save", "Failed to write State Machine Control States from sensor.",
                     PromptIcon::error);
        return;
    }
    config_ = edited;
    accept();
}

int run_start_states_dialog(QWidget* parent, link::SensorLink& link, int opened_from) {
    StartStatesDialog dialog(link, opened_from, parent);
    if (!dialog.loaded()) {
        show_message(parent, "State Machine Control States",
                     "Unable to read State Machine Control States from sensor.", PromptIcon::error);
        return 0;
    }
    dialog.exec();
    return dialog.autostart_result();
}

}  // namespace quelmar::ui
