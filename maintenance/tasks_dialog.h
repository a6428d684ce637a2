#pragma once
// "Tasks": the firmware's seventeen tasks with their stack use and state, and the log filters
// of each (Error, Info, Debug) with an "All" box above each filter column.

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QTableWidget>
#include <array>

#include "link/sensor_link.h"
#include "maintenance/tasks_table.h"

namespace quelmar::maintenance {

constexpr int tasks_filter_column = 7;  // the first of the three filter columns
constexpr int tasks_first_row = 1;      // row 0 holds the "All" boxes

class TasksDialog : public QDialog {
    Q_OBJECT
  public:
    // Reads the tasks; check loaded() before showing it.
    TasksDialog(link::SensorLink& link, QWidget* parent);

    bool loaded() const { return loaded_; }
    QTableWidget* table() const { return table_; }
    // `filter` 0 Error, 1 Info, 2 Debug.
    QCheckBox* filter_box(std::size_t task, std::size_t filter) const {
        return boxes_[task][filter];
    }
    QCheckBox* all_box(std::size_t filter) const { return all_[filter]; }
    QPushButton* load_button() const { return load_; }
    QPushButton* save_button() const { return save_; }

    void load_pressed();
    void save_pressed();

  private:
    std::size_t load();
    std::array<std::uint8_t, task_count> filters() const;
    void update_all_boxes();
    void all_clicked(std::size_t filter);

    link::SensorLink& link_;
    bool loaded_ = false;
    QTableWidget* table_;
    std::array<std::array<QCheckBox*, 3>, task_count> boxes_{};
    std::array<QCheckBox*, 3> all_{};
    QPushButton* load_;
    QPushButton* save_;
    QPushButton* close_;
};

void run_tasks_dialog(QWidget* parent, link::SensorLink& link);

}  // namespace quelmar::maintenance
