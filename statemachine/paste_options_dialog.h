#pragma once
// "Paste options": where the copied state goes and, when it overwrites the current state,
// which of its settings are taken.

#include <QDialog>

#include "statemachine/state_machine.h"

class QCheckBox;
class QRadioButton;

namespace quelmar::statemachine {

class PasteOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    PasteOptionsDialog(const PasteOptions& previous, QWidget* parent = nullptr);
    PasteOptions options() const;

    QRadioButton* insert_before() const { return before_; }
    QRadioButton* insert_after() const { return after_; }
    QRadioButton* overwrite() const { return overwrite_; }
    QCheckBox* valves() const { return valves_; }
    QCheckBox* pump() const { return pump_; }
    QCheckBox* everything_else() const { return rest_; }

  private:
    void where_changed();

    QRadioButton* before_ = nullptr;
    QRadioButton* after_ = nullptr;
    QRadioButton* overwrite_ = nullptr;
    QCheckBox* valves_ = nullptr;
    QCheckBox* pump_ = nullptr;
    QCheckBox* rest_ = nullptr;
};

}  // namespace quelmar::statemachine
