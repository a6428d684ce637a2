#pragma once
// What every page of the "Configure Chemistry" dialog shares: its configure checkbox, its own
// copies of the chemistry configuration and of its parameter record, and the six operations
// through which the dialog loads, stores and resets them. A page keeps its copies while it
// exists; the dialog's buffers outlive it.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>
#include <span>

#include "config/choice_list_widget.h"
#include "config/chemistry_settings.h"

namespace quelmar::config {

class ChemistryPageWidget : public QWidget {
    Q_OBJECT
  public:
    ChemistryPageWidget(const ChemistryPage& page, QWidget* parent);

    const ChemistryPage& page() const { return page_; }
    QCheckBox* configure_box() const { return configure_; }

    void store_configuration(ChemistryConfig& buffer);
    void load_configuration(bool checked, const ChemistryConfig& config);
    void store_parameters(std::span<std::uint8_t> buffer);
    void load_parameters(std::span<const std::uint8_t> buffer);
    void default_configuration(bool checked, ChemistryConfig* buffer);
    void default_parameters(std::span<std::uint8_t> buffer);

  signals:
    // After every change of the enabling: whether the dialog's Save may be pressed.
    void save_allowed(bool allowed);

  protected:
    // The page's fields: from the controls into its record, and back.
    virtual void read_record(std::span<std::uint8_t> record) = 0;
    virtual void show_record(std::span<const std::uint8_t> record) = 0;
    virtual void default_record(std::span<std::uint8_t> record) = 0;
    // The configuration fields the page shows (none on the nutrient page).
    virtual QString interval_text() const { return {}; }
    virtual std::uint8_t multiplexer_code() const { return 0; }
    virtual void show_configuration(const ChemistryConfig&) {}
    // Enables the inputs; `configure` is the checkbox.
    virtual void apply_enabling(bool configure) = 0;

    void reapply_enabling();
    std::span<std::uint8_t> record() { return std::span(record_).first(page_.record_size); }

    const ChemistryPage page_;
    QCheckBox* configure_;
    ChemistryConfig config_{};
    std::array<std::uint8_t, generic_parameters_size> record_{};  // the largest record
};

// Small helpers the pages build their controls with.
QComboBox* make_choice_list(std::span<const Choice> choices, QWidget* parent);
QLineEdit* make_number_edit(QWidget* parent);
std::string text_of(const QLineEdit* edit);

}  // namespace quelmar::config
