#include "simulator/platform_simulator_window.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMetaObject>
#include <QVBoxLayout>

#include "common/text.h"
#include "simulator/serial_port_qt.h"
#include "ui/prompts.h"

namespace quelmar::simulator {

namespace {

long long integer_of(const QLineEdit* field) {
    bool ok = false;
    const long long v = field->text().trimmed().toLongLong(&ok);
    return ok ? v : 0;
}

std::int32_t int32_of(const QLineEdit* field) {
    return static_cast<std::int32_t>(std::clamp<long long>(integer_of(field), INT32_MIN, INT32_MAX));
}

double decimal_of(const QLineEdit* field) {
    bool ok = false;
    const double v = field->text().trimmed().toDouble(&ok);
    return ok ? v : 0.0;
}

}  // namespace

PlatformSimulatorWindow::PlatformSimulatorWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle("Platform Simulator");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    auto* platform_group = new QGroupBox("Platform");
    auto* form = new QGridLayout(platform_group);
    int row = 0;
    auto place = [&](const char* label, QWidget* field, int column = 0) {
        auto* l = new QLabel(label);
        l->setBuddy(field);
        form->addWidget(l, row, column * 2);
        form->addWidget(field, row, column * 2 + 1);
        labelled_.push_back({field, l});
        if (column == 1) ++row;
    };
    auto line = [](const QString& text) {
        auto* e = new QLineEdit(text);
        e->setMaximumWidth(110);
        return e;
    };
    type_ = new QComboBox;
    for (const char* n : platform_type_names) type_->addItem(n);
    direction_ = new QComboBox;
    for (const char* n : direction_names) direction_->addItem(n);
    dive_ = line("1");
    min_depth_ = line("0");
    max_depth_ = line("100");
    dive_rate_ = line("10");
    climb_rate_ = line("10");
    salinity_ = line("35.00");
    temperature_ = line("10.000");
    p1_ = line("0");
    p2_ = line("0");
    p3_ = line("0");
    update_interval_ = line("5");
    sample_interval_ = line("10");
    sampling_ = new QCheckBox("Enable Sampling");

    place("Platform Type", type_);
    place("Update Interval (s)", update_interval_, 1);
    place("Dive Number", dive_);
    place("Direction", direction_, 1);
    place("Min Depth (m)", min_depth_);
    place("Max Depth (m)", max_depth_, 1);
    place("Dive Rate (cm/s)", dive_rate_);
    place("Climb Rate (cm/s)", climb_rate_, 1);
    place("Salinity (PSU)", salinity_);
    place("Temperature (°C)", temperature_, 1);
    place("P1", p1_);
    place("P2", p2_, 1);
    place("P3", p3_);
    ++row;
    form->addWidget(sampling_, row, 0, 1, 2);
    place("Sample Interval (s)", sample_interval_, 1);
    top->addWidget(platform_group);

    serial_group_ = new QGroupBox;
    auto* serial_form = new QFormLayout(serial_group_);
    port_ = new QComboBox;
    port_->setEditable(true);  // a USB adapter's or a pseudo-terminal's path may be typed
    port_->addItems(system_serial_ports());
    port_->setMinimumWidth(160);
    port_->lineEdit()->setPlaceholderText("/dev/ttyUSB0");
    override_ = new QCheckBox("Override Settings");
    baud_ = new QComboBox;
    for (auto b : baud_rates) baud_->addItem(QString::number(b));
    data_bits_ = new QComboBox;
    for (auto d : data_bits_choices) data_bits_->addItem(QString::number(d));
    stop_bits_ = new QComboBox;
    for (const char* s : stop_bits_names) stop_bits_->addItem(s);
    parity_ = new QComboBox;
    for (const char* p : parity_names) parity_->addItem(p);
    slave_ = new QLineEdit("0");
    auto serial_row = [&](const char* label, QWidget* field) {
        auto* l = new QLabel(label);
        l->setBuddy(field);
        serial_form->addRow(l, field);
        labelled_.push_back({field, l});
    };
    serial_row("Serial Port", port_);
    serial_form->addRow(override_);
    serial_row("Baud Rate", baud_);
    serial_row("Data Bits", data_bits_);
    serial_row("Stop Bits", stop_bits_);
    serial_row("Parity", parity_);
    serial_row("Slave Address", slave_);
    top->addWidget(serial_group_);

    auto* buttons = new QVBoxLayout;
    start_ = new QPushButton("Start");
    stop_ = new QPushButton("Stop");
    download_ = new QPushButton("Download");
    buttons->addWidget(start_);
    buttons->addWidget(stop_);
    buttons->addWidget(download_);
    buttons->addStretch();
    top->addLayout(buttons);

    results_ = new QTreeWidget;
    results_->setRootIsDecorated(false);
    results_->setColumnCount(static_cast<int>(result_columns));
    QStringList titles;
    for (const char* t : result_column_titles) titles << QString::fromUtf8(t);
    results_->setHeaderLabels(titles);
    // Each column as wide as its share of characters, and never narrower than its title or a
    // date and time.
    const QFontMetrics metrics(results_->font());
    const int char_width = metrics.averageCharWidth();
    for (std::size_t c = 0; c < result_columns; ++c) {
        int width = std::max(result_column_widths[c] * char_width,
                             metrics.horizontalAdvance(titles[static_cast<int>(c)]));
        if (c == 1) width = std::max(width, metrics.horizontalAdvance("00/00/0000 00:00:00"));
        results_->setColumnWidth(static_cast<int>(c), width + 16);
    }
    layout->addWidget(results_, 1);
    status_ = new QStatusBar;
    status_->setSizeGripEnabled(false);
    layout->addWidget(status_);

    connect(type_, &QComboBox::currentIndexChanged, this, [this] { type_changed(); });
    connect(direction_, &QComboBox::currentIndexChanged, this, [this] { direction_changed(); });
    connect(sampling_, &QCheckBox::toggled, this, [this] { update_availability(); });
    connect(override_, &QCheckBox::toggled, this, [this] { update_availability(); });
    connect(start_, &QPushButton::clicked, this, [this] { start_pressed(); });
    connect(stop_, &QPushButton::clicked, this, [this] { stop_pressed(); });
    connect(download_, &QPushButton::clicked, this, [this] { download_pressed(); });
    type_changed();
    resize(1100, 600);
}

PlatformSimulatorWindow::~PlatformSimulatorWindow() { simulation_.stop(); }

QString PlatformSimulatorWindow::status_text() const { return status_->currentMessage(); }

PlatformSettings PlatformSimulatorWindow::read_settings() {
    PlatformSettings s;
    s.type = static_cast<PlatformType>(type_->currentIndex());
    s.dive_number = clamp_dive_number(integer_of(dive_));
    s.min_depth_m = int32_of(min_depth_);
    s.max_depth_m = int32_of(max_depth_);
    s.dive_rate_cm_s = int32_of(dive_rate_);
    s.climb_rate_cm_s = int32_of(climb_rate_);
    s.direction = static_cast<Direction>(direction_->currentIndex());
    s.salinity = decimal_of(salinity_);
    s.temperature = decimal_of(temperature_);
    s.p1 = int32_of(p1_);
    s.p2 = int32_of(p2_);
    s.p3 = int32_of(p3_);
    s.update_interval_s = clamp_interval(integer_of(update_interval_));
    s.sampling = sampling_->isChecked();
    s.sample_interval_s = clamp_interval(integer_of(sample_interval_));
    // The fields show what is used.
    dive_->setText(QString::number(s.dive_number));
    update_interval_->setText(QString::number(s.update_interval_s));
    sample_interval_->setText(QString::number(s.sample_interval_s));
    salinity_->setText(QString::fromStdString(common::format_text("%.2f", s.salinity)));
    temperature_->setText(QString::fromStdString(common::format_text("%.3f", s.temperature)));
    return s;
}

SerialChoice PlatformSimulatorWindow::read_serial() {
    SerialChoice c;
    c.line.path = port_->currentText().trimmed().toStdString();
    c.override_settings = override_->isChecked();
    c.line.baud_rate = baud_rates[static_cast<std::size_t>(std::max(0, baud_->currentIndex()))];
    c.line.data_bits = data_bits_choices[static_cast<std::size_t>(std::max(0, data_bits_->currentIndex()))];
    c.line.stop_bits = static_cast<std::uint8_t>(stop_bits_->currentIndex() + 1);
    c.line.parity = static_cast<std::uint8_t>(std::max(0, parity_->currentIndex()));
    c.slave_address = clamp_slave_address(integer_of(slave_));
    slave_->setText(QString::number(c.slave_address));
    return c;
}

void PlatformSimulatorWindow::show_serial(const SerialChoice& c) {
    for (std::size_t i = 0; i < baud_rates.size(); ++i)
        if (baud_rates[i] == c.line.baud_rate) baud_->setCurrentIndex(static_cast<int>(i));
    for (std::size_t i = 0; i < data_bits_choices.size(); ++i)
        if (data_bits_choices[i] == c.line.data_bits) data_bits_->setCurrentIndex(static_cast<int>(i));
    stop_bits_->setCurrentIndex(c.line.stop_bits == 2 ? 1 : 0);
    parity_->setCurrentIndex(c.line.parity);
    slave_->setText(QString::number(c.slave_address));
}

void PlatformSimulatorWindow::type_changed() {
    PlatformSettings s = read_settings();
    SerialChoice serial = read_serial();
    apply_platform_type(static_cast<PlatformType>(type_->currentIndex()), s, serial);
    {
        const QSignalBlocker block(direction_);
        direction_->setCurrentIndex(static_cast<int>(s.direction));
    }
    {
        const QSignalBlocker block(sampling_);
        sampling_->setChecked(s.sampling);
    }
    show_serial(serial);
    serial_group_->setTitle(serial_group_title(s.type));
    update_availability();
}

void PlatformSimulatorWindow::direction_changed() {
    PlatformSettings s = read_settings();
    apply_direction(static_cast<Direction>(direction_->currentIndex()), s);
    min_depth_->setText(QString::number(s.min_depth_m));
    update_availability();
}

void PlatformSimulatorWindow::update_availability() {
    PlatformSettings s;
    s.type = static_cast<PlatformType>(type_->currentIndex());
    s.direction = static_cast<Direction>(direction_->currentIndex());
    s.sampling = sampling_->isChecked();
    const FieldAvailability a = field_availability(s, override_->isChecked());
    const bool idle = !running_;
    auto set = [&](QWidget* w, bool on) {
        w->setEnabled(idle && on);
        for (auto& [field, label] : labelled_)
            if (field == w) label->setEnabled(idle && on);
    };
    set(type_, true);
    set(update_interval_, a.update_interval);
    set(port_, a.serial_port);
    set(override_, a.override_settings);
    set(dive_, a.dive_number);
    set(p1_, a.p_values);
    set(p2_, a.p_values);
    set(p3_, a.p_values);
    set(direction_, a.direction);
    set(min_depth_, a.min_depth);
    set(max_depth_, a.max_depth_and_rates);
    set(dive_rate_, a.max_depth_and_rates);
    set(climb_rate_, a.max_depth_and_rates);
    set(salinity_, a.salinity_temperature);
    set(temperature_, a.salinity_temperature);
    set(sampling_, a.enable_sampling);
    set(sample_interval_, a.sample_interval);
    set(baud_, a.line_settings);
    set(data_bits_, a.line_settings);
    set(stop_bits_, a.line_settings);
    set(parity_, a.line_settings);
    set(slave_, a.slave_address);
    start_->setEnabled(idle && a.start);
    download_->setEnabled(idle && a.download);
    stop_->setEnabled(running_);
}

SimulationEvents PlatformSimulatorWindow::queued_events() {
    // Called on the protocol threads: everything is handed to this window's thread. Queued
    // calls to a window that is gone are dropped by Qt.
    SimulationEvents e;
    e.status = [this](const std::string& text) {
        QMetaObject::invokeMethod(
            this, [this, t = QString::fromStdString(text)] { status_->showMessage(t); },
            Qt::QueuedConnection);
    };
    e.row = [this](const ResultRow& row) {
        QMetaObject::invokeMethod(this, [this, row] { add_row(row); }, Qt::QueuedConnection);
    };
    e.clear_rows = [this] {
        QMetaObject::invokeMethod(this, [this] { results_->clear(); }, Qt::QueuedConnection);
    };
    return e;
}

void PlatformSimulatorWindow::add_row(const ResultRow& row) {
    // The list keeps the latest rows: the oldest goes before a row past the cap.
    while (results_->topLevelItemCount() >= static_cast<int>(max_result_rows))
        delete results_->takeTopLevelItem(0);
    auto* item = new QTreeWidgetItem;
    for (std::size_t c = 0; c < result_columns; ++c)
        item->setText(static_cast<int>(c), QString::fromStdString(row.cells[c]));
    results_->addTopLevelItem(item);
    results_->scrollToItem(item);
}

void PlatformSimulatorWindow::begin(SimulationKind kind) {
    const PlatformSettings s = read_settings();
    const SerialChoice choice = read_serial();
    SerialSettings line;
    line.path = choice.line.path;
    if (choice.override_settings) line = choice.line;
    else {
        // Without an override the platform's own defaults apply.
        SerialChoice defaults;
        PlatformSettings scratch;
        apply_platform_type(s.type, scratch, defaults);
        line = defaults.line;
        line.path = choice.line.path;
    }
    QtOpenFailure failure = QtOpenFailure::none;
    SerialPort port = line.path.empty() ? SerialPort{} : open_qt_serial_port(line, &failure);
    if (!port.write) {
        if (failure == QtOpenFailure::cannot_configure)
            ui::show_message(this, "Connect", "Failed to open port(4)", ui::PromptIcon::error);
        else
            ui::show_message(this, "Connect",
                             QString::fromStdString(common::format_text(
                                 "Can't open serial port %s - make sure no other application has it open",
                                 line.path.c_str())),
                             ui::PromptIcon::error);
        return;
    }
    running_ = true;
    update_availability();
    std::function<void()> finished;
    if (kind == SimulationKind::download)
        finished = [this] { QMetaObject::invokeMethod(this, [this] { stop_pressed(); }, Qt::QueuedConnection); };
    simulation_.start(std::move(port), kind, s, queued_events(), std::move(finished), timing_);
}

void PlatformSimulatorWindow::start_pressed() {
    const auto type = static_cast<PlatformType>(type_->currentIndex());
    if (running_ || !field_availability(read_settings(), override_->isChecked()).start) return;
    begin(type == PlatformType::eti ? SimulationKind::eti : SimulationKind::glider);
}

void PlatformSimulatorWindow::download_pressed() {
    if (running_ || !field_availability(read_settings(), override_->isChecked()).download) return;
    begin(SimulationKind::download);
}

void PlatformSimulatorWindow::stop_pressed() {
    if (!running_) return;
    simulation_.stop();
    running_ = false;
    update_availability();
}

void PlatformSimulatorWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        if (!ui::ask_yes_no(this, "Exit", "Stop simulation?")) {
            event->ignore();
            return;
        }
        stop_pressed();
    }
    event->accept();
}

void show_platform_simulator(QWidget* main_window) {
    auto* window = main_window->findChild<PlatformSimulatorWindow*>();
    if (!window) {
        window = new PlatformSimulatorWindow(main_window);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace quelmar::simulator
