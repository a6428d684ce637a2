#pragma once
// The "Platform Simulator" window: modeless, it stands in for a host platform on a serial port
// while the rest of the program is used. The protocols run on worker threads in the core; this
// window only reads its fields, starts and stops them, and shows the rows and texts they hand
// over (queued to its own thread).

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QWidget>

#include "simulator/platform_settings.h"
#include "simulator/simulation.h"

namespace quelmar::simulator {

class PlatformSimulatorWindow : public QWidget {
    Q_OBJECT
public:
    explicit PlatformSimulatorWindow(QWidget* parent = nullptr);
    ~PlatformSimulatorWindow() override;

    bool simulation_running() const { return running_; }
    QString status_text() const;
    QTreeWidget* result_list() const { return results_; }
    // The settings as the fields hold them, clamped as Start reads them.
    PlatformSettings read_settings();
    SerialChoice read_serial();
    // The intervals' unit; tests shorten it.
    void set_timing(SimulationTiming timing) { timing_ = timing; }

    void start_pressed();
    void stop_pressed();
    void download_pressed();
    // A row as the protocols hand it over (on this window's thread).
    void add_row(const ResultRow& row);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void type_changed();
    void direction_changed();
    void update_availability();
    void show_serial(const SerialChoice& serial);
    void begin(SimulationKind kind);
    SimulationEvents queued_events();

    QComboBox* type_;
    QLineEdit *dive_, *min_depth_, *max_depth_, *dive_rate_, *climb_rate_;
    QComboBox* direction_;
    QLineEdit *salinity_, *temperature_, *p1_, *p2_, *p3_, *update_interval_, *sample_interval_;
    QCheckBox* sampling_;
    QGroupBox* serial_group_;
    QComboBox *port_, *baud_, *data_bits_, *stop_bits_, *parity_;
    QCheckBox* override_;
    QLineEdit* slave_;
    QPushButton *start_, *stop_, *download_;
    QTreeWidget* results_;
    QStatusBar* status_;
    // Labels follow their fields' availability.
    std::vector<std::pair<QWidget*, QLabel*>> labelled_;

    Simulation simulation_;
    SimulationTiming timing_;
    bool running_ = false;
};

// Opens the window (or raises the one already open) for the main window's menu item.
void show_platform_simulator(QWidget* main_window);

}  // namespace quelmar::simulator
