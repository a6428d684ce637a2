#include "maintenance/tasks_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include "common/text.h"
#include "ui/prompts.h"

namespace quelmar::maintenance {

namespace {
constexpr const char* filter_titles[] = {"Error", "Info", "Debug"};

// A check box centred in its cell.
QWidget* centred(QCheckBox* box, QWidget* parent) {
    auto* cell = new QWidget(parent);
    auto* layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box, 0, Qt::AlignCenter);
    return cell;
}
}  // namespace

TasksDialog::TasksDialog(link::SensorLink& link, QWidget* parent)
    : QDialog(parent),
      link_(link),
      table_(new QTableWidget(tasks_first_row + int(task_count), tasks_filter_column + 3, this)),
      load_(new QPushButton("Load", this)),
      save_(new QPushButton("Save", this)),
      close_(new QPushButton("Close", this)) {
    setWindowTitle("Tasks");
    table_->setHorizontalHeaderLabels({"Task ID", "Task Name", "Stack Start", "Stack End",
                                       "Stack Top", "Stack Usage", "Task State", "Error", "Info",
                                       "Debug"});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    for (std::size_t n = 0; n < task_count; ++n)
        for (std::size_t f = 0; f < 3; ++f) {
            auto* box = new QCheckBox(this);
            boxes_[n][f] = box;
            table_->setCellWidget(tasks_first_row + int(n), tasks_filter_column + int(f),
                                  centred(box, table_));
            connect(box, &QCheckBox::clicked, this, [this] { update_all_boxes(); });
        }
    // The row above the tasks holds an "All" box over each filter column.
    table_->setItem(0, 1, new QTableWidgetItem("All"));
    for (std::size_t f = 0; f < 3; ++f) {
        all_[f] = new QCheckBox(this);
        all_[f]->setToolTip(
            QString("Set or clear the %1 filter of every task").arg(filter_titles[f]));
        table_->setCellWidget(0, tasks_filter_column + int(f), centred(all_[f], table_));
        connect(all_[f], &QCheckBox::clicked, this, [this, f] { all_clicked(f); });
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(load_);
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    // The three check box columns on the right are the task's log filters.
    auto* filters_title = new QLabel("Log Filters", this);
    filters_title->setAlignment(Qt::AlignRight);
    layout->addWidget(filters_title);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    resize(900, 620);

    connect(load_, &QPushButton::clicked, this, &TasksDialog::load_pressed);
    connect(save_, &QPushButton::clicked, this, &TasksDialog::save_pressed);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    loaded_ = load() == task_count;
    if (!loaded_)
        ui::show_message(this, "Task Details", "Error communicating with sampler",
                         ui::PromptIcon::error);
}

std::size_t TasksDialog::load() {
    std::size_t n = 0;
    for (; n < task_count; ++n) {
        const int row = tasks_first_row + int(n);
        table_->setItem(row, 0, new QTableWidgetItem(QString::number(n)));
        TaskRecord t;
        if (read_task(link_, static_cast<std::uint8_t>(n), t) != protocol::status::ok)
            break;
        const std::string texts[] = {
            task_name(t),
            common::format_text("%X", static_cast<unsigned>(t.stack_start)),
            common::format_text("%X", static_cast<unsigned>(t.stack_end)),
            common::format_text("%X", static_cast<unsigned>(t.stack_top)),
            stack_usage_text(t),
            task_state_text(t)};
        for (int c = 0; c < 6; ++c)
            table_->setItem(row, c + 1, new QTableWidgetItem(QString::fromStdString(texts[c])));
        for (std::size_t f = 0; f < 3; ++f)
            boxes_[n][f]->setChecked(t.filters & log_filter_bits[f]);
    }
    update_all_boxes();
    table_->resizeColumnsToContents();
    return n;
}

void TasksDialog::load_pressed() {
    if (load() != task_count)
        ui::show_message(this, "Load", "Failed to load settings", ui::PromptIcon::error);
}

std::array<std::uint8_t, task_count> TasksDialog::filters() const {
    std::array<std::uint8_t, task_count> out{};
    for (std::size_t n = 0; n < task_count; ++n)
        for (std::size_t f = 0; f < 3; ++f)
            if (boxes_[n][f]->isChecked())
                out[n] |= log_filter_bits[f];
    return out;
}

void TasksDialog::update_all_boxes() {
    const auto all = all_filters_set(filters());
    for (std::size_t f = 0; f < 3; ++f)
        all_[f]->setChecked(all[f]);
}

void TasksDialog::all_clicked(std::size_t filter) {
    const bool on = all_[filter]->isChecked();
    for (std::size_t n = 0; n < task_count; ++n)
        boxes_[n][filter]->setChecked(on);
}

void TasksDialog::save_pressed() {
    if (write_task_filters(link_, filters()) == protocol::status::ok)
        ui::show_message(this, "Save", "Settings saved");
    else
        ui::show_message(this, "Save", "Failed to save settings", ui::PromptIcon::error);
}

void run_tasks_dialog(QWidget* parent, link::SensorLink& link) {
    TasksDialog dialog(link, parent);
    if (dialog.loaded())
        dialog.exec();
}

}  // namespace quelmar::maintenance
