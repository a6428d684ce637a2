#include "app/connect_view.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/prompts.h"
#include "protocol/device_commands.h"
#include "maintenance/factory_dialog.h"
#include "maintenance/upgrade_dialog.h"

namespace quelmar::app {

std::optional<std::size_t> row_named(const std::vector<protocol::SensorRow>& rows,
                                     const std::string& name) {
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].name == name) found = i;
    return found;
}

ConnectView::ConnectView(link::SensorLink& link, QWidget* parent)
    : ui::ShellView("QUELMAR CONNECT", parent),
      link_(link),
      list_(new QTreeWidget(this)),
      connect_(new QPushButton("Connect", this)),
      factory_(new QPushButton("Factory Settings...", this)),
      upgrade_(new QPushButton("Upgrade Firmware", this)) {
    connect_->setToolTip("Connect To Sensor");
    upgrade_->setToolTip("Upgrade Sensor Firmware");
    factory_->setToolTip("Set Factory Settings (requires password)");
    auto* column = new QVBoxLayout;
    column->addWidget(connect_);
    column->addWidget(upgrade_);
    column->addWidget(factory_);
    column->addStretch();
    body()->addLayout(column);
    body()->addWidget(list_, 1);

    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHeaderLabels({"Name", "Serial Number", "State", "Type"});
    // Column widths in dialog base units (the average character width), with the cell margins.
    const int unit = fontMetrics().averageCharWidth();
    const int widths[] = {15, 10, 15, 35};
    for (int c = 0; c < 4; ++c) list_->setColumnWidth(c, widths[c] * unit + 16);

    connect(connect_, &QPushButton::clicked, this, &ConnectView::connect_pressed);
    connect(factory_, &QPushButton::clicked, this, &ConnectView::factory_pressed);
    connect(upgrade_, &QPushButton::clicked, this, &ConnectView::upgrade_pressed);
    connect(list_, &QTreeWidget::itemClicked, this, &ConnectView::item_clicked);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &ConnectView::item_double_clicked);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
        // Keyboard selection counts as a click, and so does a selection taken away.
        const auto items = list_->selectedItems();
        if (items.isEmpty()) clear_selection();
        else item_clicked(items.front());
    });
    // A click below the last row hits no row: the list by itself would keep its selection.
    list_->viewport()->installEventFilter(this);
    rebuild_list();
    clear_selection();
}

void ConnectView::rebuild_list() {
    link::sensor_link_close(link_);
    devices_ = link::enumerate_devices();
    rows_ = protocol::build_sensor_rows(devices_, link_);
    const QSignalBlocker block(list_);
    list_->clear();
    for (const auto& row : rows_) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QString::fromStdString(row.name));
        item->setText(1, QString::fromStdString(row.serial_number));
        item->setText(2, QString::fromStdString(row.state));
        item->setText(3, QString::fromStdString(row.type));
    }
    selected_.reset();
}

bool ConnectView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (!list_->itemAt(press->position().toPoint())) clear_selection();
    }
    return ui::ShellView::eventFilter(watched, event);
}

bool ConnectView::selected_connectable() const {
    return selected_ && *selected_ < devices_.size() &&
           devices_[*selected_].mode != link::device_mode_unknown;
}

void ConnectView::clear_selection() {
    selected_.reset();
    const QSignalBlocker block(list_);
    list_->clearSelection();
    connect_->setEnabled(false);
    factory_->setEnabled(false);
    upgrade_->setEnabled(false);
}

void ConnectView::select_row(int row, bool double_click) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) {
        clear_selection();
        return;
    }
    selected_ = rows_[row].entry;
    selected_name_ = rows_[row].name;
    {
        const QSignalBlocker block(list_);
        list_->setCurrentItem(list_->topLevelItem(row));
    }
    // An entry whose mode is not known ("Unknown device") cannot be connected, neither by the
    // button nor by a double click.
    connect_->setEnabled(selected_connectable());
    factory_->setEnabled(selected_connectable());
    // Only a bootloader takes a firmware image: this is how a sensor whose firmware does not
    // start is recovered.
    upgrade_->setEnabled(devices_[*selected_].mode == link::device_mode_bootloader);
    if (double_click && selected_connectable())
        QTimer::singleShot(0, this, &ConnectView::connect_pressed);
}

void ConnectView::item_clicked(QTreeWidgetItem* item) {
    select_row(item ? list_->indexOfTopLevelItem(item) : -1);
}

void ConnectView::item_double_clicked(QTreeWidgetItem* item) {
    select_row(item ? list_->indexOfTopLevelItem(item) : -1, true);
}

void ConnectView::connect_pressed() {
    if (!selected_ || *selected_ >= devices_.size()) {
        ui::show_message(this, "Connect", "Nothing selected");
        return;
    }
    // Reached without the button too (a double click, the firmware's arrival): a sensor that
    // did not say what it is is never connected.
    if (!selected_connectable()) return;
    const link::DeviceEntry entry = devices_[*selected_];
    // An earlier bootloader connection may still hold the link.
    link::sensor_link_close(link_);
    const link::LinkResult opened = link::sensor_link_open(link_, entry.path, connect_timeout_ms);
    if (opened != link::LinkResult::ok) {
        const std::string text = opened == link::LinkResult::in_use
                                     ? std::string("Failed to connect: ") + protocol::in_use_text
                                     : std::string("Failed to connect");
        ui::show_message(this, "Connect", QString::fromStdString(text), ui::PromptIcon::error);
        connect_->setEnabled(true);
        factory_->setEnabled(false);
        upgrade_->setEnabled(false);
        return;
    }
    if (entry.mode == link::device_mode_bootloader) {
        if (protocol::start_firmware(link_) != protocol::status::ok) {
            ui::show_message(this, "Connect", "Failed to start firmware", ui::PromptIcon::error);
            connect_->setEnabled(true);
            factory_->setEnabled(true);
            upgrade_->setEnabled(true);
            return;
        }
        // The link stays open until the bootloader leaves the bus and the list is rebuilt.
        clear_selection();
        awaiting_firmware_ = true;
        return;
    }
    emit connect_requested(entry);
}

void ConnectView::upgrade_pressed() {
    run_on_selected(
        "Upgrade Firmware", maintenance::upgrade_link_timeout_ms,
        [this](std::uint32_t mode) { maintenance::run_upgrade_dialog(this, link_, mode); });
}

void ConnectView::device_changed(const link::DeviceChange& change) {
    if (upgrading_) return;
    if (change.event == link::device_event_arrival) {
        rebuild_list();
        const auto again = row_named(rows_, selected_name_);
        if (again) select_row(static_cast<int>(*again));
        else clear_selection();
        if (awaiting_firmware_ && again) {
            // The sensor is back, now running its firmware. Another sensor arriving meanwhile
            // leaves the wait as it is.
            awaiting_firmware_ = false;
            link::sensor_link_close(link_);
            QTimer::singleShot(0, this, &ConnectView::connect_pressed);
        } else {
            connect_->setEnabled(false);
            factory_->setEnabled(false);
            upgrade_->setEnabled(false);
        }
    } else if (change.event == link::device_event_removal) {
        rebuild_list();
        clear_selection();
    }
}

void ConnectView::factory_pressed() {
    run_on_selected("Factory Settings", factory_timeout_ms,
                    [this](std::uint32_t) { maintenance::run_factory_dialog(this, link_); });
}

// The upgrade and the factory settings work on the chosen sensor with a link of their own. Both
// can write an image over it, so no rebuild may close it while their dialog runs (device changes
// wait); the list is read again afterwards, as the sensor restarts after an upgrade and its name
// or serial number may have changed.
void ConnectView::run_on_selected(const char* title, std::uint32_t timeout_ms,
                                  const std::function<void(std::uint32_t mode)>& run) {
    if (!selected_ || *selected_ >= devices_.size()) {
        ui::show_message(this, title, "Nothing selected");
        return;
    }
    const link::DeviceEntry entry = devices_[*selected_];
    link::sensor_link_close(link_);
    if (link::sensor_link_open(link_, entry.path, timeout_ms) != link::LinkResult::ok) {
        ui::show_message(this, title, "Failed to connect to sensor", ui::PromptIcon::error);
        return;
    }
    upgrading_ = true;
    run(entry.mode);
    upgrading_ = false;
    link::sensor_link_close(link_);
    rebuild_list();
    clear_selection();
}

}  // namespace quelmar::app
