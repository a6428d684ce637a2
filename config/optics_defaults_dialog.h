#pragma once
// "Configure Optics, Valves & Pump Defaults": the sensor's optics, photomultiplier, DIC
// conductivity and pump/valve defaults, and the live bench test that lights the optics, opens
// valves or runs the pump with the settings on screen while it shows the analogue inputs.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <optional>

#include "config/optics_bench.h"
#include "config/optics_form.h"

namespace quelmar::link {
class SensorLink;
}

namespace quelmar::config {

class OpticsDefaultsDialog : public QDialog {
    Q_OBJECT
  public:
    // Reads the defaults from the sensor; check loaded() before showing it.
    OpticsDefaultsDialog(link::SensorLink& link, QWidget* parent);
    ~OpticsDefaultsDialog() override;

    bool loaded() const { return loaded_; }
    bool test_running() const { return worker_.running(); }
    const OpticsSettings& settings() const { return settings_; }

    // The controls, for tests and screenshots.
    QLineEdit* led_box(std::size_t i) const { return leds_[i]; }
    QCheckBox* photodiode_power_box() const { return photodiode_power_; }
    QComboBox* pmt_instrument_list() const { return pmt_instrument_; }
    QLineEdit* pmt_control_box() const { return pmt_control_; }
    QLineEdit* dic_frequency_box() const { return dic_frequency_; }
    QLineEdit* dic_excitation_box() const { return dic_excitation_; }
    QLineEdit* dic_offset_box() const { return dic_offset_; }
    QCheckBox* dic_rxgain_box() const { return dic_rxgain_; }
    QLineEdit* pump_current_box() const { return pump_current_; }
    QLineEdit* step_period_box() const { return step_period_; }
    QComboBox* microstepping_list() const { return microstepping_; }
    QComboBox* direction_list() const { return direction_; }
    QComboBox* stop_condition_list() const { return stop_condition_; }
    QLineEdit* hall_inject_box() const { return hall_inject_; }
    QLineEdit* hall_withdraw_box() const { return hall_withdraw_; }
    QLineEdit* pump_timeout_box() const { return pump_timeout_; }
    QCheckBox* hall_power_box() const { return hall_power_; }
    QLineEdit* spike_time_box() const { return spike_time_; }
    QPushButton* save_button() const { return save_; }
    QLineEdit* hall_reading_box(std::size_t i) const { return hall_readings_[i]; }
    QLineEdit* channel_box(std::size_t i) const { return channels_[i]; }
    QCheckBox* show_volts_box() const { return show_volts_; }
    QCheckBox* test_valves_box() const { return test_valves_; }
    QCheckBox* valve_box(std::size_t i) const { return valves_[i]; }
    QCheckBox* test_optics_box() const { return test_optics_; }
    QCheckBox* test_pump_box() const { return test_pump_; }
    QCheckBox* pump_continuously_box() const { return pump_continuously_; }
    QPushButton* start_button() const { return start_; }

    void done(int result) override;

  private:
    void build();
    OpticsForm read_form() const;
    void write_form(const OpticsForm& form);
    void store();
    void apply_enabling();
    void set_test_running_look();
    void save_pressed();
    void start_pressed();
    void stop_test(bool closing);
    void stop_condition_changed();
    void show_readings(const BenchReadings& readings);
    void pump_finished();

    link::SensorLink& link_;
    OpticsSettings settings_;
    bool loaded_ = false;
    unsigned test_number_ = 0;
    BenchTestWorker worker_;
    std::optional<BenchReadings> last_readings_;

    std::array<QLineEdit*, led_count> leds_{};
    QCheckBox* photodiode_power_ = nullptr;
    QLabel* pmt_instrument_label_ = nullptr;
    QComboBox* pmt_instrument_ = nullptr;
    QLabel* pmt_control_label_ = nullptr;
    QLineEdit* pmt_control_ = nullptr;
    std::array<QLabel*, 3> dic_labels_{};
    QLineEdit* dic_frequency_ = nullptr;
    QLineEdit* dic_excitation_ = nullptr;
    QLineEdit* dic_offset_ = nullptr;
    QCheckBox* dic_rxgain_ = nullptr;
    QLineEdit* pump_current_ = nullptr;
    QLineEdit* step_period_ = nullptr;
    QComboBox* microstepping_ = nullptr;
    QComboBox* direction_ = nullptr;
    QComboBox* stop_condition_ = nullptr;
    QLineEdit* hall_inject_ = nullptr;
    QLineEdit* hall_withdraw_ = nullptr;
    QLineEdit* pump_timeout_ = nullptr;
    QCheckBox* hall_power_ = nullptr;
    QLineEdit* spike_time_ = nullptr;
    QPushButton* save_ = nullptr;
    std::array<QLineEdit*, 2> hall_readings_{};
    std::array<QLineEdit*, 8> channels_{};
    QCheckBox* show_volts_ = nullptr;
    QCheckBox* test_valves_ = nullptr;
    std::array<QCheckBox*, valve_count> valves_{};
    QCheckBox* test_optics_ = nullptr;
    QCheckBox* test_pump_ = nullptr;
    QCheckBox* pump_continuously_ = nullptr;
    QPushButton* start_ = nullptr;
};

// Opens the dialog modally, or says why it cannot.
void run_optics_defaults_dialog(QWidget* parent, link::SensorLink& link);

}  // namespace quelmar::config
