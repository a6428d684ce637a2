#pragma once
// "Go to state...": asks for a state number; OK stays disabled while the number is past the
// last state.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace quelmar::statemachine {

class GoToStateDialog : public QDialog {
    Q_OBJECT
  public:
    GoToStateDialog(std::uint32_t last_state_index, QWidget* parent = nullptr);
    std::uint32_t state() const;
    QLineEdit* number_edit() const { return number_; }
    QPushButton* ok_button() const { return ok_; }

  private:
    void number_changed();

    std::uint32_t last_state_index_;
    QLineEdit* number_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace quelmar::statemachine
