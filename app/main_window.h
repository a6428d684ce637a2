#pragma once
// The program's one window: menu bar, five-part status bar and exactly one view. It owns the
// link to the connected sensor, the status monitor and the shell state, performs start and
// stop for the views, and is the one place where a connection ends.

#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/shell_state.h"
#include "ui/shell_view.h"
#include "monitor/status_monitor.h"
#include "link/discovery.h"
#include "link/sensor_link.h"
#include "virtual_sensor/instrument_sensor.h"

namespace quelmar::virtual_sensor {
class VirtualSensor;
}

namespace quelmar::app {

// The program's icon (a droplet on a chip), for the window and the desktop.
QIcon program_icon();

enum class ViewKind { connect, raw_graph, raw_text, processed_graph, processed_text, diagnostics,
                      compatibility };

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    unsigned shell_state() const { return state_; }
    ui::ShellView* current_view() const { return view_; }
    ViewKind current_view_kind() const { return view_kind_; }
    // Status bar part 0..4 as shown.
    QString status_text(int part) const;
    // The menu item with this text (as in the menu, with its '&'), or nullptr.
    QAction* menu_action(const QString& text) const;

    link::SensorLink& sensor_link() { return link_; }
    monitor::StatusMonitor& status_monitor() { return monitor_; }

    // The built-in stand-in sensor, offered in the File menu.
    void attach_virtual_sensor();
    void detach_virtual_sensor();
    virtual_sensor::VirtualSensor* virtual_sensor() const { return virtual_sensor_.get(); }
    // The instrument the virtual sensor is made as (chemistry, card folder, speed); taken when
    // it is first attached. Mount Sensor As Drive on it opens its card folder through
    // `opener` (the desktop's file manager unless replaced, as tests do).
    void set_virtual_instrument(const virtual_sensor::InstrumentOptions& options) { instrument_ = options; }
    void set_folder_opener(std::function<void(const QString&)> opener) { folder_opener_ = std::move(opener); }

    void connect_device(const link::DeviceEntry& entry);
    void disconnect_sensor();
    void start_sensor(int start_state);
    void stop_sensor();
    void show_view(ViewKind kind);
    // A device arrived or left (already on this thread).
    void device_changed(const link::DeviceChange& change);

private:
    void build_menus();
    QAction* add_item(QMenu* menu, const QString& text, ui::MenuGroup group,
                      std::function<void()> action);
    void update_menus();
    void send_shell_state();
    // After a dialog that may have changed the sensor's configuration: the view re-reads it.
    void configuration_changed();
    void show_not_connected();
    bool refresh_caption();
    void set_part(int part, const std::string& text);
    void monitor_report(const monitor::MonitorReport& report, std::uint64_t connection);
    void end_link();
    void end_connection();
    void drop_view();
    void show_view_when_free(ViewKind kind);

    void mount_pressed();
    void about_pressed();
    void start_states_pressed();

    link::SensorLink link_;
    monitor::StatusMonitor monitor_;
    unsigned state_ = 0;
    std::string connected_path_;
    std::uint64_t connection_ = 0;  // counts connections, so a late report of an old one is dropped
    ui::ShellView* view_ = nullptr;
    ViewKind view_kind_ = ViewKind::connect;
    std::array<QLabel*, ui::status_part_count> parts_{};
    std::vector<std::pair<QAction*, ui::MenuGroup>> items_;
    QMenu* file_menu_ = nullptr;
    QMenu* view_menu_ = nullptr;
    QMenu* configure_menu_ = nullptr;
    QMenu* help_menu_ = nullptr;
    QAction* attach_action_ = nullptr;
    QAction* detach_action_ = nullptr;
    std::unique_ptr<virtual_sensor::VirtualSensor> virtual_sensor_;
    virtual_sensor::InstrumentOptions instrument_;
    std::function<void(const QString&)> folder_opener_;
    struct EventRelay;
    std::shared_ptr<EventRelay> relay_;
    int listener_id_ = 0;
};

}  // namespace quelmar::app
