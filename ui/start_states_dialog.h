#pragma once
// "State Machine Start States": the seven start states of the chemistry configuration, each
// with a box that sets it and its state number.

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "protocol/run_commands.h"
#include "protocol/chemistry.h"

namespace quelmar::link {
class SensorLink;
}

namespace quelmar::ui {

using protocol::start_state_rows;

constexpr int start_states_from_menu = 0;
constexpr int start_states_from_autostart = 1;

class StartStatesDialog : public QDialog {
    Q_OBJECT
public:
    // Reads the record and the number of loaded states; check loaded() before showing it.
    StartStatesDialog(link::SensorLink& link, int opened_from, QWidget* parent);

    bool loaded() const { return loaded_; }
    // 1 when autostart is on in the dialog's copy, else 0.
    int autostart_result() const;

    QCheckBox* row_box(std::size_t row) const { return boxes_[row]; }
    QLineEdit* row_field(std::size_t row) const { return fields_[row]; }
    QPushButton* save_button() const { return save_; }
    QPushButton* cancel_button() const { return cancel_; }
    bool row_marked_wrong(std::size_t row) const;

private:
    void save_pressed();
    void row_changed(std::size_t row);
    void show_values();

    link::SensorLink& link_;
    protocol::ChemistryConfig config_;
    bool loaded_ = false;
    std::uint8_t highest_valid_ = protocol::state_none;
    std::array<QCheckBox*, start_state_rows> boxes_{};
    std::array<QLineEdit*, start_state_rows> fields_{};
    QPushButton* save_;
    QPushButton* cancel_;
};

// Opens the dialog modally (or shows why it cannot open) and gives its autostart result.
int run_start_states_dialog(QWidget* parent, link::SensorLink& link, int opened_from);

}  // namespace quelmar::ui
