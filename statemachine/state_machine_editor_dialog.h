#pragma once
// "Edit State Machine": edits the state machine one state at a time, moves it to and from the
// sensor and files, and opens the listing and dry run.

#include <QDialog>
#include <QWidget>
#include <array>

#include "link/sensor_link.h"
#include "statemachine/state_form.h"
#include "statemachine/state_machine.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace quelmar::statemachine {

// Opens the editor modally; it loads the machine from the sensor when the link is open.
void run_state_machine_editor(QWidget* parent, link::SensorLink& link);

// The large "STATE %03d" caption.
class StateLabelWidget : public QWidget {
    Q_OBJECT
  public:
    explicit StateLabelWidget(QWidget* parent = nullptr);
    void set_text(const QString& text);
    QString text() const { return text_; }
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};

class StateMachineEditorDialog : public QDialog {
    Q_OBJECT
  public:
    StateMachineEditorDialog(link::SensorLink& link, bool connected, QWidget* parent = nullptr);

    const StateMachine& machine() const { return machine_; }
    QString status_text() const;
    QString state_label() const;
    const StateDefaults& defaults() const { return defaults_; }

    // The commands, each storing the form into the current state first.
    void previous_pressed();
    void next_pressed();
    void go_to_state();  // asks for the number
    void show_state_number(std::uint32_t state);
    void delete_pressed();
    void insert_after_pressed();
    void insert_before_pressed();
    void copy_pressed();
    void cut_pressed();
    void paste_pressed();  // asks for the paste options
    // Pastes with `options` as the paste options dialog returned them (accepted or not).
    void paste_with(const PasteOptions& options, bool accepted);
    void new_pressed();
    bool load_from_file();
    bool save_to_file();
    void refresh_pressed();
    void save_to_sensor_pressed();
    void summary_pressed();

    QAction* delete_action() const { return delete_action_; }
    QAction* insert_after_action() const { return insert_after_action_; }
    QAction* insert_before_action() const { return insert_before_action_; }
    QAction* copy_action() const { return copy_action_; }
    QAction* cut_action() const { return cut_action_; }
    QAction* paste_action() const { return paste_action_; }
    QAction* new_action() const { return new_action_; }
    QAction* save_file_action() const { return save_file_action_; }
    QAction* load_file_action() const { return load_file_action_; }

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void build_form();
    void build_menus();
    void open_machine();
    void show_current();
    StateForm read_form() const;
    void store_form_now();
    void apply_enabling();
    void form_changed();
    void set_status(const QString& text);
    // Asks whether to save first when there are unsaved edits; true to go ahead.
    bool unsaved_edits_check(const QString& caption);

    link::SensorLink& link_;
    const bool connected_;
    StateMachine machine_;
    StateDefaults defaults_;
    PasteOptions paste_options_;
    StateForm last_form_;
    bool showing_ = false;

    StateLabelWidget* label_ = nullptr;
    QStatusBar* status_ = nullptr;
    QComboBox* mode_ = nullptr;
    std::array<QCheckBox*, 16> valves_{};
    std::array<QComboBox*, 4> leds_{};
    std::array<QLineEdit*, 4> led_currents_{};
    QCheckBox* photodiode_power_ = nullptr;
    QCheckBox* hall_power_ = nullptr;
    QComboBox* aux_switch_ = nullptr;
    QCheckBox* send_sync_ = nullptr;
    QLineEdit* sync_value_ = nullptr;
    QCheckBox* operate_pump_ = nullptr;
    QComboBox* direction_ = nullptr;
    QLineEdit* winding_current_ = nullptr;
    QLineEdit* step_period_ = nullptr;
    QComboBox* microstep_ = nullptr;
    QComboBox* stop_ = nullptr;
    QLineEdit* hall_stop_inject_ = nullptr;
    QLineEdit* hall_stop_withdraw_ = nullptr;
    QLineEdit* stop_time_ = nullptr;
    QLineEdit* step_count_ = nullptr;
    QLineEdit* timeout_next_ = nullptr;
    QRadioButton* wait_seconds_ = nullptr;
    QRadioButton* wait_schedule_ = nullptr;
    QLineEdit* delay_ = nullptr;
    QLineEdit* default_next_ = nullptr;
    struct CounterWidgets {
        QComboBox* action = nullptr;
        QLineEdit* increment = nullptr;
        QLineEdit* maximum = nullptr;
        QLineEdit* next = nullptr;
    };
    std::array<CounterWidgets, counter_count> counters_{};
    QComboBox* diving_ = nullptr;
    QLineEdit* diving_next_ = nullptr;
    QComboBox* climbing_ = nullptr;
    QLineEdit* climbing_next_ = nullptr;

    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* save_sensor_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* summary_ = nullptr;
    QPushButton* schedule_ = nullptr;

    QAction* delete_action_ = nullptr;
    QAction* insert_after_action_ = nullptr;
    QAction* insert_before_action_ = nullptr;
    QAction* copy_action_ = nullptr;
    QAction* cut_action_ = nullptr;
    QAction* paste_action_ = nullptr;
    QAction* new_action_ = nullptr;
    QAction* save_file_action_ = nullptr;
    QAction* load_file_action_ = nullptr;
    QAction* next_action_ = nullptr;
    QAction* previous_action_ = nullptr;
};

}  // namespace quelmar::statemachine
