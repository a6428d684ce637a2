#pragma once
// "State Machine Definition": the whole machine as a table, either listed state by state or
// dry-run from a start state, with the table saved as the summary CSV.

#include <QDialog>

#include "statemachine/dry_run.h"
#include "statemachine/state_machine.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace quelmar::statemachine {

class StateMachineDefinitionDialog : public QDialog {
    Q_OBJECT
  public:
    StateMachineDefinitionDialog(const StateMachine& machine, QWidget* parent = nullptr);

    // Builds the table for the mode shown (the "Go" button).
    void go_pressed();
    void save_pressed();

  private:
    void mode_changed();
    void shrink_toggled();
    void check_numbers();
    void clear_table();
    void show_rows();
    bool number_in_range(QLineEdit* edit) const;

    const StateMachine& machine_;
    Listing listing_;
    QComboBox* mode_ = nullptr;
    QLabel* start_label_ = nullptr;
    QLineEdit* start_ = nullptr;
    QCheckBox* timeout_check_ = nullptr;
    QLineEdit* timeout_ = nullptr;
    QCheckBox* depth_triggers_ = nullptr;
    QCheckBox* shrink_ = nullptr;
    QPushButton* go_ = nullptr;
    QPushButton* save_ = nullptr;
    QTableWidget* table_ = nullptr;
};

}  // namespace quelmar::statemachine
