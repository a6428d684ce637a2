#include "app/main_window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMenuBar>
#include <QTimer>
#include <QMetaObject>
#include <QStatusBar>
#include <QUrl>
#include <mutex>

#include "app/connect_view.h"
#include "config/chemistry_dialog.h"
#include "config/clock_dialog.h"
#include "config/report_dialog.h"
#include "config/schedule_dialog.h"
#include "config/identity_dialog.h"
#include "config/platform_defaults_dialog.h"
#include "config/rs232_dialog.h"
#include "config/rs485_dialog.h"
#include "config/thermistor_dialog.h"
#include "config/optics_defaults_dialog.h"
#include "ui/prompts.h"
#include "protocol/run_commands.h"
#include "ui/start_states_dialog.h"
#include "live/raw_output_graph_view.h"
#include "live/raw_output_text_view.h"
#include "maintenance/diagnostics_view.h"
#include "maintenance/compatibility_view.h"
#include "live/processed_output_graph_view.h"
#include "live/processed_output_text_view.h"
#include "processing/processing_dialog.h"
#include "simulator/platform_simulator_window.h"
#include "protocol/device_commands.h"
#include "statemachine/state_machine_editor_dialog.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::app {

// Device changes are announced on whichever thread noticed them. The relay hands them to the
// window's thread and is cut off before the window goes, so that a late announcement never
// reaches a window being destroyed.
struct MainWindow::EventRelay {
    std::mutex mutex;
    MainWindow* window = nullptr;
    void post(const link::DeviceChange& change) {
        std::lock_guard lock(mutex);
        if (!window) return;
        MainWindow* w = window;
        QMetaObject::invokeMethod(w, [w, change] { w->device_changed(change); },
                                  Qt::QueuedConnection);
    }
};

QIcon program_icon() {
    // One scalable drawing serves every size the desktop asks for.
    return QIcon(QStringLiteral(":/quelmar.svg"));
}

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), relay_(std::make_shared<EventRelay>()) {
    setWindowIcon(program_icon());
    // Roughly the 541 x 322 dialog units of the window's layout.
    resize(1082, 644);
    static const int part_widths[] = {200, 150, 150, 150};
    for (int i = 0; i < ui::status_part_count; ++i) {
        parts_[i] = new QLabel(this);
        parts_[i]->setAlignment(Qt::AlignCenter);
        if (i < 4) {
            parts_[i]->setFixedWidth(part_widths[i]);
            statusBar()->addWidget(parts_[i]);
        } else {
            statusBar()->addWidget(parts_[i], 1);
        }
    }
    build_menus();
    relay_->window = this;
    std::weak_ptr<EventRelay> weak = relay_;
    listener_id_ = link::add_device_listener([weak](const link::DeviceChange& change) {
        if (auto relay = weak.lock()) relay->post(change);
    });
    show_not_connected();
    update_menus();
    show_view(ViewKind::connect);
}

MainWindow::~MainWindow() {
    {
        std::lock_guard lock(relay_->mutex);
        relay_->window = nullptr;
    }
    link::remove_device_listener(listener_id_);
    drop_view();
    end_link();
}

// The whole menu bar. Each feature adds its items here, in the menu it belongs to; a feature
// that does not exist yet has no item.
void MainWindow::build_menus() {
    using G = ui::MenuGroup;
    file_menu_ = menuBar()->addMenu("&File");
    add_item(file_menu_, "&Disconnect", G::connected, [this] { disconnect_sensor(); });
    add_item(file_menu_, "&Mount Sensor As Drive", G::configuration, [this] { mount_pressed(); });
    add_item(file_menu_, "&Log Sensor Configuration...", G::connected,
             [this] { config::run_report_dialog(this, link_); });
    file_menu_->addSeparator();
    // Offline processing of raw output files needs no sensor.
    add_item(file_menu_, "Process Raw &Nutrient File...", G::always,
             [this] { processing::run_nutrient_processing_dialog(this); });
    add_item(file_menu_, "Process Raw N&utrient File (Multi)...", G::always,
             [this] { processing::run_multi_nutrient_processing_dialog(this); });
    add_item(file_menu_, "Process Raw p&H File...", G::always,
             [this] { processing::run_ph_processing_dialog(this); });
    add_item(file_menu_, "Process Raw &TA File...", G::always,
             [this] { processing::run_ta_processing_dialog(this); });
    add_item(file_menu_, "Process Raw DI&C File...", G::always,
             [this] { processing::run_dic_processing_dialog(this); });
    file_menu_->addSeparator();
    // A host platform on a PC serial port; it needs no sensor on the USB link.
    add_item(file_menu_, "Platform &Simulator...", G::always,
             [this] { simulator::show_platform_simulator(this); });
    attach_action_ = add_item(file_menu_, "Attach &Virtual Sensor", G::always,
                              [this] { attach_virtual_sensor(); });
    detach_action_ = add_item(file_menu_, "Detach V&irtual Sensor", G::always,
                              [this] { detach_virtual_sensor(); });
    file_menu_->addSeparator();
    add_item(file_menu_, "E&xit", G::always, [this] { close(); });

    view_menu_ = menuBar()->addMenu("&View");
    add_item(view_menu_, "Raw Output (&graph)", G::connected,
             [this] { show_view(ViewKind::raw_graph); });
    add_item(view_menu_, "Raw Output (&text)", G::connected,
             [this] { show_view(ViewKind::raw_text); });
    add_item(view_menu_, "&Processed Output (graph)", G::connected,
             [this] { show_view(ViewKind::processed_graph); });
    // P is taken by the graph item just above.
    add_item(view_menu_, "P&rocessed Output (text)", G::connected,
             [this] { show_view(ViewKind::processed_text); });
    add_item(view_menu_, "&Diagnostics", G::connected,
             [this] { show_view(ViewKind::diagnostics); });
    add_item(view_menu_, "&Compatibility", G::connected, [this] { show_view(ViewKind::compatibility); });

    configure_menu_ = menuBar()->addMenu("&Configure");
    add_item(configure_menu_, "&State Machine...", G::configuration,
             [this] { statemachine::run_state_machine_editor(this, link_); });
    add_item(configure_menu_, "S&tart States...", G::configuration,
             [this] { start_states_pressed(); });
    add_item(configure_menu_, "C&hemistry...", G::configuration, [this] {
        // The views label their channels and draw their overlays after the chemistry; they
        // read it again whatever became of the dialog.
        config::run_chemistry_dialog(this, link_);
        configuration_changed();
    });
    add_item(configure_menu_, "&Optics, Valves && Pump...", G::configuration,
             [this] { config::run_optics_defaults_dialog(this, link_); });
    configure_menu_->addSeparator();
    add_item(configure_menu_, "RS&232...", G::configuration,
             [this] { config::run_rs232_dialog(this, link_); });
    add_item(configure_menu_, "RS48&5...", G::configuration,
             [this] { config::run_rs485_dialog(this, link_); });
    add_item(configure_menu_, "Platform &Defaults...", G::configuration,
             [this] { config::run_platform_defaults_dialog(this, link_); });
    add_item(configure_menu_, "The&rmistors...", G::configuration, [this] {
        config::run_thermistor_dialog(this, link_);
        // The view's temperatures come from the thermistor settings just edited.
        QMetaObject::invokeMethod(this, [this] { configuration_changed(); },
                                  Qt::QueuedConnection);
    });
    add_item(configure_menu_, "Sensor &Identification...", G::configuration, [this] {
        config::run_identity_dialog(this, link_);
        refresh_caption();
    });
    add_item(configure_menu_, "Real Time &Clock...", G::configuration,
             [this] { config::run_clock_dialog(this, link_); });
    add_item(configure_menu_, "&Measurement Schedule...", G::configuration,
             [this] { config::run_schedule_dialog(this, link_); });

    help_menu_ = menuBar()->addMenu("&Help");
    add_item(help_menu_, "&About...", G::always, [this] { about_pressed(); });
    add_item(help_menu_, "Sensor &Port Pins...", G::always,
             [this] { ui::show_message(this, "Sensor Port Pins", ui::sensor_port_pins_text); });
}

QAction* MainWindow::add_item(QMenu* menu, const QString& text, ui::MenuGroup group,
                              std::function<void()> action) {
    QAction* a = menu->addAction(text);
    connect(a, &QAction::triggered, this, [action = std::move(action)] { action(); });
    items_.emplace_back(a, group);
    return a;
}

QAction* MainWindow::menu_action(const QString& text) const {
    for (const auto& [action, group] : items_)
        if (action->text() == text) return action;
    return nullptr;
}

void MainWindow::update_menus() {
    for (const auto& [action, group] : items_)
        action->setEnabled(ui::menu_item_enabled(group, state_));
    const bool attached = virtual_sensor_ && virtual_sensor_->attached();
    attach_action_->setEnabled(!attached);
    detach_action_->setEnabled(attached);
}

QString MainWindow::status_text(int part) const {
    return part >= 0 && part < ui::status_part_count ? parts_[part]->text() : QString();
}

void MainWindow::set_part(int part, const std::string& text) {
    parts_[part]->setText(QString::fromStdString(text));
}

void MainWindow::show_not_connected() {
    setWindowTitle(ui::not_connected_caption);
    set_part(0, ui::not_connected_part_text);
    for (int i = 1; i < ui::status_part_count; ++i) set_part(i, {});
}

bool MainWindow::refresh_caption() {
    protocol::DeviceIdentity identity;
    protocol::DeviceKind kind;
    if (protocol::read_identity(link_, identity) != protocol::status::ok ||
        protocol::read_kind(link_, kind) != protocol::status::ok)
        return false;
    const std::string name = identity.name_text();
    setWindowTitle(QString::fromStdString(
        ui::connected_caption(name, link::device_type_name(kind.device_type))));
    set_part(0, ui::connected_part_text(name));
    for (int i = 1; i < ui::status_part_count; ++i) set_part(i, {});
    return true;
}

void MainWindow::send_shell_state() {
    if (view_) view_->set_shell_state(state_);
}

void MainWindow::configuration_changed() {
    if (view_) view_->configuration_changed();
}

// The view ends its work at once and leaves the window; it is deleted once control is back in
// the event loop, as the request being handled may have come from inside it.
void MainWindow::drop_view() {
    if (!view_) return;
    ui::ShellView* old = view_;
    view_ = nullptr;
    if (centralWidget() == old) takeCentralWidget();
    old->shutdown();
    old->hide();
    old->deleteLater();
}

// A modal dialog opened from the view may still be running (the sensor was unplugged while
// it was open): the view is replaced only once that dialog has closed, so that nothing is
// deleted under it.
void MainWindow::show_view_when_free(ViewKind kind) {
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(100, this, [this, kind] {
            if (!ui::is_connected(state_)) show_view_when_free(kind);
        });
        return;
    }
    show_view(kind);
}

void MainWindow::show_view(ViewKind kind) {
    // Views of features the program does not have yet are not offered; asking for one, or
    // for a live view while not connected, keeps the current view.
    const bool available =
        kind == ViewKind::connect || kind == ViewKind::raw_graph || kind == ViewKind::raw_text ||
        kind == ViewKind::diagnostics || kind == ViewKind::compatibility ||
        kind == ViewKind::processed_graph || kind == ViewKind::processed_text;
    if (!available || (kind != ViewKind::connect && !ui::is_connected(state_))) return;
    drop_view();
    const ui::ShellContext context{&link_, &monitor_, state_};
    ui::ShellView* view = nullptr;
    switch (kind) {
        case ViewKind::connect: {
            auto* connect_view = new ConnectView(link_, this);
            connect(
                connect_view, &ConnectView::connect_requested, this,
                [this](const link::DeviceEntry& entry) { connect_device(entry); },
                Qt::QueuedConnection);
            view = connect_view;
            break;
        }
        case ViewKind::raw_graph: view = new live::RawOutputGraphView(context, this); break;
        case ViewKind::raw_text: view = new live::RawOutputTextView(context, this); break;
        case ViewKind::diagnostics: view = new maintenance::DiagnosticsView(context, this); break;
        case ViewKind::compatibility: view = new maintenance::CompatibilityView(context, this); break;
        case ViewKind::processed_graph:
            view = new live::ProcessedOutputGraphView(context, this);
            break;
        case ViewKind::processed_text: view = new live::ProcessedOutputTextView(context, this); break;
        default: return;
    }
    view_ = view;
    view_kind_ = kind;
    connect(view, &ui::ShellView::start_requested, this, &MainWindow::start_sensor,
            Qt::QueuedConnection);
    connect(view, &ui::ShellView::stop_requested, this, &MainWindow::stop_sensor,
            Qt::QueuedConnection);
    view->set_shell_state(state_);
    setCentralWidget(view);
    view->show();
}

void MainWindow::connect_device(const link::DeviceEntry& entry) {
    if (ui::is_connected(state_) || !link::sensor_link_is_open(link_)) return;
    state_ = ui::shell::connected;
    connected_path_ = entry.path;
    refresh_caption();
    const std::uint64_t connection = ++connection_;
    monitor_.start(link_, [this, connection](const monitor::MonitorReport& report) {
        // The monitor thread never touches a widget: the report is handled on this thread.
        QMetaObject::invokeMethod(
            this, [this, report, connection] { monitor_report(report, connection); },
            Qt::QueuedConnection);
    });
    update_menus();
    show_view(ViewKind::raw_graph);
}

// The monitor may be waiting on a sensor that no longer answers: told to stop, it makes no
// further exchange, and closing the link ends the one it is in at once, so the wait for it is
// short instead of one time-out per exchange left in its cycle.
void MainWindow::end_link() {
    monitor_.request_stop();
    link::sensor_link_close(link_);
    monitor_.stop();
}

void MainWindow::end_connection() {
    end_link();
    ++connection_;
    state_ = 0;
    connected_path_.clear();
    update_menus();
    show_not_connected();
}

void MainWindow::disconnect_sensor() {
    if (!ui::is_connected(state_)) return;
    drop_view();
    end_connection();
    show_view(ViewKind::connect);
}

void MainWindow::device_changed(const link::DeviceChange& change) {
    if (ui::is_connected(state_)) {
        if (change.event == link::device_event_removal &&
            link::same_interface_path(change.path, connected_path_)) {
            if (view_) view_->shutdown();
            end_connection();
            send_shell_state();
            ui::show_message(this, "Device Change", "Sensor Disconnected", ui::PromptIcon::warning);
            show_view_when_free(ViewKind::connect);
        }
        update_menus();
        return;
    }
    if (view_) view_->device_changed(change);
    update_menus();
}

void MainWindow::monitor_report(const monitor::MonitorReport& report, std::uint64_t connection) {
    if (!ui::is_connected(state_) || connection != connection_) return;
    if (!report.comms_ok) {
        set_part(1, ui::comms_error_text);
        set_part(4, {});
        return;
    }
    set_part(1, ui::comms_ok_text);
    set_part(4, ui::supply_part_text(report.status));
    if (!report.mode) return;
    const std::uint8_t mode = *report.mode;
    set_part(2, ui::sensor_mode_text(mode));
    set_part(3, ui::file_part_text(mode, report.file_name));
    if (mode == monitor::sensor_mode_idle)
        state_ &= ~ui::shell::running;
    else
        state_ |= ui::shell::running;
    update_menus();
    send_shell_state();
}

void MainWindow::start_sensor(int start_state) {
    if (!ui::is_connected(state_)) return;
    const protocol::StartOutcome outcome =
        protocol::start_run(link_, static_cast<std::uint8_t>(start_state));
    if (outcome == protocol::StartOutcome::started) {
        state_ |= ui::shell::running;
        monitor_.clear_history();
    } else {
        ui::show_message(this, "Start",
                         QString::fromStdString(protocol::start_outcome_message(outcome)),
                         ui::PromptIcon::error);
    }
    update_menus();
    send_shell_state();
}

void MainWindow::stop_sensor() {
    if (!ui::is_connected(state_)) return;
    if (protocol::stop_state_machine(link_) != protocol::status::ok)
        ui::show_message(this, "Stop", protocol::stop_failed_message, ui::PromptIcon::error);
    else
        state_ &= ~ui::shell::running;
    update_menus();
    send_shell_state();
}

void MainWindow::mount_pressed() {
    if (protocol::mount_as_drive(link_) != protocol::status::ok) {
        ui::show_message(this, "Mount Sensor As Drive", "Request failed.", ui::PromptIcon::error);
        return;
    }
    // The virtual sensor's card is a folder on this computer: show it as a drive would show.
    if (virtual_sensor_ && connected_path_ == virtual_sensor_->path()) {
        const std::string dir = virtual_sensor::instrument_snapshot(*virtual_sensor_).card_dir;
        if (dir.empty()) return;
        const QString folder = QString::fromStdString(dir);
        if (folder_opener_)
            folder_opener_(folder);
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
}

void MainWindow::about_pressed() {
    std::string type, firmware;
    if (ui::is_connected(state_)) {
        protocol::DeviceKind kind;
        if (protocol::read_kind(link_, kind) == protocol::status::ok)
            type = link::device_type_name(kind.device_type);
        protocol::SoftwareVersion version;
        if (protocol::read_software_version(link_, version) == protocol::status::ok)
            firmware = version.version_text();
    }
    ui::show_message(this, "About",
                 QString::fromStdString(ui::about_text(type, firmware)) +
                     "\n\nStillmarsh Ocean Instruments\nhttps://stillmarsh.example");
}

void MainWindow::start_states_pressed() {
    ui::run_start_states_dialog(this, link_, ui::start_states_from_menu);
    // Queued, as the view expects it once the dialog has gone.
    QMetaObject::invokeMethod(this, [this] { configuration_changed(); }, Qt::QueuedConnection);
}

void MainWindow::attach_virtual_sensor() {
    if (!virtual_sensor_) {
        virtual_sensor_ = std::make_unique<virtual_sensor::VirtualSensor>();
        virtual_sensor::configure_instrument(*virtual_sensor_, instrument_);
    }
    virtual_sensor_->attach();
    update_menus();
}

void MainWindow::detach_virtual_sensor() {
    if (virtual_sensor_) virtual_sensor_->detach();
    update_menus();
}

}  // namespace quelmar::app
