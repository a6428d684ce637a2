#include "config/chemistry_page.h"

#include <algorithm>
#include <cstring>

namespace quelmar::config {

ChemistryPageWidget::ChemistryPageWidget(const ChemistryPage& page, QWidget* parent)
    : QWidget(parent),
      page_(page),
      configure_(new QCheckBox(QString::fromStdString(configure_caption(page.chemistry)), this)) {
    connect(configure_, &QCheckBox::clicked, this, [this] { reapply_enabling(); });
}

void ChemistryPageWidget::store_configuration(ChemistryConfig& buffer) {
    config_ = stored_page_config(config_, page_, interval_text().toStdString(), multiplexer_code());
    buffer = config_;
}

void ChemistryPageWidget::load_configuration(bool checked, const ChemistryConfig& config) {
    config_ = config;
    configure_->setChecked(checked);
    show_configuration(config_);
    reapply_enabling();
}

void ChemistryPageWidget::store_parameters(std::span<std::uint8_t> buffer) {
    std::fill(record_.begin(), record_.end(), 0);
    read_record(record());
    std::memcpy(buffer.data(), record_.data(), std::min(buffer.size(), page_.record_size));
}

void ChemistryPageWidget::load_parameters(std::span<const std::uint8_t> buffer) {
    std::fill(record_.begin(), record_.end(), 0);
    std::memcpy(record_.data(), buffer.data(), std::min(buffer.size(), page_.record_size));
    show_record(record());
    reapply_enabling();
}

void ChemistryPageWidget::default_configuration(bool checked, ChemistryConfig* buffer) {
    config_ = default_chemistry_config(page_);
    if (buffer)
        *buffer = config_;
    configure_->setChecked(checked);
    show_configuration(config_);
    reapply_enabling();
}

void ChemistryPageWidget::default_parameters(std::span<std::uint8_t> buffer) {
    std::fill(record_.begin(), record_.end(), 0);
    default_record(record());
    if (!buffer.empty())
        std::memcpy(buffer.data(), record_.data(), std::min(buffer.size(), page_.record_size));
    show_record(record());
    reapply_enabling();
}

void ChemistryPageWidget::reapply_enabling() {
    const bool on = configure_->isChecked();
    apply_enabling(on);
    emit save_allowed(on);
}

QComboBox* make_choice_list(std::span<const Choice> choices, QWidget* parent) {
    auto* list = new QComboBox(parent);
    fill_choices(list, choices);
    return list;
}

QLineEdit* make_number_edit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    // Room for the widest "%.5f" of a float (the largest is 45 characters), so a value the
    // sensor holds is shown whole and saved back unchanged.
    edit->setMaxLength(64);
    return edit;
}

std::string text_of(const QLineEdit* edit) {
    return edit->text().toStdString();
}

}  // namespace quelmar::config
