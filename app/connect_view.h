#pragma once
// "QUELMAR CONNECT": the sensors that are plugged in, and connecting to one of them. A sensor
// whose bootloader runs is first told to start its firmware; when the firmware arrives on the
// bus the view connects to it by itself.

#include <QPushButton>
#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/shell_view.h"
#include "link/discovery.h"
#include "protocol/sensor_listing.h"

namespace quelmar::app {

constexpr std::uint32_t connect_timeout_ms = 3000;
constexpr std::uint32_t factory_timeout_ms = 5000;

class ConnectView : public ui::ShellView {
    Q_OBJECT
public:
    // `link` is the main window's link: it is closed while the list is built, and it is handed
    // over open when the view asks to connect.
    ConnectView(link::SensorLink& link, QWidget* parent);

    void device_changed(const link::DeviceChange& change) override;

    QTreeWidget* list() const { return list_; }
    QPushButton* connect_button() const { return connect_; }
    QPushButton* factory_button() const { return factory_; }
    QPushButton* upgrade_button() const { return upgrade_; }
    bool awaiting_firmware() const { return awaiting_firmware_; }

    // Enumerates and probes the sensors again.
    void rebuild_list();
    // Selects the row `row` (-1: none) as a click would; a double click also connects.
    void select_row(int row, bool double_click = false);
    void connect_pressed();
    void factory_pressed();
    // Writes a firmware image to the selected sensor, whose bootloader runs.
    void upgrade_pressed();

signals:
    // The link is open to `entry`; the main window takes it over.
    void connect_requested(const quelmar::link::DeviceEntry& entry);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run_on_selected(const char* title, std::uint32_t timeout_ms,
                         const std::function<void(std::uint32_t mode)>& run);
    bool selected_connectable() const;
    void clear_selection();
    void item_clicked(QTreeWidgetItem* item);
    void item_double_clicked(QTreeWidgetItem* item);

    link::SensorLink& link_;
    QTreeWidget* list_;
    QPushButton* connect_;
    QPushButton* factory_;
    QPushButton* upgrade_;
    link::DeviceList devices_;
    std::vector<protocol::SensorRow> rows_;
    std::optional<std::size_t> selected_;  // index into devices_
    std::string selected_name_;            // to find the same sensor after a rebuild
    bool awaiting_firmware_ = false;
    bool upgrading_ = false;  // the upgrade or factory settings dialog has the link
};

// The row to select again after a rebuild: the last one with the remembered name.
std::optional<std::size_t> row_named(const std::vector<protocol::SensorRow>& rows,
                                     const std::string& name);

}  // namespace quelmar::app
