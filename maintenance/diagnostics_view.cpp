#include "maintenance/diagnostics_view.h"

#include <QBrush>
#include <QHeaderView>
#include <QMetaObject>
#include <QVBoxLayout>

#include "common/csv_writer.h"
#include "common/text.h"
#include "maintenance/restarts_dialog.h"
#include "maintenance/tasks_dialog.h"
#include "ui/prompts.h"

namespace quelmar::maintenance {

DiagnosticsView::DiagnosticsView(const ui::ShellContext& context, QWidget* parent,
                                 std::chrono::milliseconds period)
    : ShellView("DIAGNOSTICS", parent),
      context_(context),
      control_(new ui::SensorControlWidget(context.link, this)),
      save_(new QPushButton("Save...", this)),
      clear_(new QPushButton("Clear...", this)),
      tasks_(new QPushButton("Tasks...", this)),
      led_(new QPushButton("Toggle LED", this)),
      restarts_(new QPushButton("Restarts...", this)),
      pause_(new QCheckBox("Pause Display", this)),
      list_(new QTreeWidget(this)),
      period_(period) {
    save_->setToolTip("Save diagnostics to file on PC");
    clear_->setToolTip("Wipe diagnostics from sensor");
    auto* column = new QVBoxLayout;
    column->addWidget(control_);
    for (QWidget* w : {static_cast<QWidget*>(save_), static_cast<QWidget*>(clear_),
                       static_cast<QWidget*>(tasks_), static_cast<QWidget*>(led_),
                       static_cast<QWidget*>(restarts_), static_cast<QWidget*>(pause_)})
        column->addWidget(w);
    column->addStretch();
    body()->addLayout(column);
    body()->addWidget(list_, 1);

    QStringList titles;
    for (const char* t : diagnostics_titles)
        titles << t;
    list_->setHeaderLabels(titles);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    const int unit =
        std::max(fontMetrics().averageCharWidth(), fontMetrics().horizontalAdvance('0'));
    for (std::size_t c = 0; c < diagnostics_columns; ++c)
        list_->setColumnWidth(int(c), diagnostics_widths[c] * unit + 12);

    connect(save_, &QPushButton::clicked, this, &DiagnosticsView::save_pressed);
    connect(clear_, &QPushButton::clicked, this, &DiagnosticsView::clear_pressed);
    connect(tasks_, &QPushButton::clicked, this, &DiagnosticsView::tasks_pressed);
    connect(led_, &QPushButton::clicked, this, &DiagnosticsView::led_pressed);
    connect(restarts_, &QPushButton::clicked, this, &DiagnosticsView::restarts_pressed);
    connect(pause_, &QCheckBox::toggled, this, [this](bool on) { reader_.set_paused(on); });
    connect(control_, &ui::SensorControlWidget::start_requested, this, &ShellView::start_requested);
    connect(control_, &ui::SensorControlWidget::stop_requested, this, &ShellView::stop_requested);
    connect(control_, &ui::SensorControlWidget::start_states_edited, this,
            &DiagnosticsView::configuration_changed);

    if (context_.link)
        control_->set_configuration(ui::read_view_configuration(this, context_.link, true));
    set_shell_state(context.state);
    start_reader();
}

DiagnosticsView::~DiagnosticsView() {
    reader_.stop();
}

void DiagnosticsView::shutdown() {
    reader_.stop();
}

void DiagnosticsView::set_shell_state(unsigned state) {
    ShellView::set_shell_state(state);
    control_->set_shell_state(state);
}

void DiagnosticsView::configuration_changed() {
    bool ok = false;
    const auto config = ui::read_view_configuration(this, context_.link, false, &ok);
    if (ok)
        control_->set_configuration(config);
}

void DiagnosticsView::start_reader() {
    if (!context_.link)
        return;
    const std::uint64_t generation = ++generation_;
    reader_.set_paused(pause_->isChecked());
    // The reader's thread only hands entries over; the list is touched on this window's
    // thread alone, and entries still queued when the view goes are dropped with it.
    reader_.start(
        *context_.link,
        [this, generation](const DiagnosticsLogEntry& entry) {
            QMetaObject::invokeMethod(
                this, [this, generation, entry] { add_entry(generation, entry); },
                Qt::QueuedConnection);
        },
        period_);
}

void DiagnosticsView::add_entry(std::uint64_t generation, const DiagnosticsLogEntry& entry) {
    if (generation != generation_)
        return;
    if (static_cast<std::size_t>(list_->topLevelItemCount()) > diagnostics_row_limit)
        delete list_->takeTopLevelItem(0);
    const DiagnosticsRow texts = diagnostics_row(entry);
    auto* item = new QTreeWidgetItem(list_);
    QBrush brush;
    switch (diagnostics_colour(entry)) {
        case RowColour::blue:
            brush = QBrush(Qt::blue);
            break;
        case RowColour::red:
            brush = QBrush(Qt::red);
            break;
        case RowColour::black:
            brush = QBrush(Qt::black);
            break;
    }
    for (std::size_t c = 0; c < diagnostics_columns; ++c) {
        item->setText(int(c), QString::fromStdString(texts[c]));
        item->setForeground(int(c), brush);
    }
    list_->scrollToItem(item);
}

void DiagnosticsView::save_pressed() {
    const QString path =
        ui::choose_save_target(this, "Diagnostics Log File", "LOG Files (*.log)", "log");
    if (path.isEmpty())
        return;
    const std::string name = path.toStdString();
    common::CsvWriter writer;
    if (!writer.open(name)) {
        ui::show_message(this, "Save Diagnostics",
                         QString::fromStdString(
                             common::format_text("Unable to open %s for write", name.c_str())),
                         ui::PromptIcon::error);
        return;
    }
    std::vector<std::string> cells(diagnostics_titles.begin(), diagnostics_titles.end());
    writer.write_row(cells);
    const int rows = list_->topLevelItemCount();
    for (int r = 0; r < rows; ++r) {
        const QTreeWidgetItem* item = list_->topLevelItem(r);
        for (std::size_t c = 0; c < diagnostics_columns; ++c)
            cells[c] = item->text(int(c)).toStdString().substr(0, common::max_text_length);
        writer.write_row(cells);
    }
    if (!writer.commit()) {
        ui::show_message(
            this, "Save Diagnostics",
            QString::fromStdString(common::format_text("Unable to write %s", name.c_str())),
            ui::PromptIcon::error);
        return;
    }
    // An empty list leaves a file with the titles only and nothing to report.
    if (rows > 0)
        ui::show_message(
            this, "Save Diagnostics",
            QString::fromStdString(common::format_text("Diagnostics saved to %s", name.c_str())));
}

void DiagnosticsView::clear_pressed() {
    if (!context_.link)
        return;
    if (!ui::ask_yes_no(this, "Clear",
                        "This will permanently wipe the diagnostic log on the sensor. Are you sure "
                        "you want to do this?"))
        return;
    reader_.stop();
    ++generation_;  // whatever the old reader still has queued is not shown
    if (wipe_log(*context_.link) != protocol::status::ok)
        ui::show_message(this, "Clear", "Unable to clear log", ui::PromptIcon::error);
    else
        list_->clear();
    start_reader();
}

void DiagnosticsView::led_pressed() {
    // The LED itself is the answer the user looks for.
    if (context_.link)
        (void)toggle_led(*context_.link);
}

void DiagnosticsView::restarts_pressed() {
    if (context_.link)
        run_restarts_dialog(this, *context_.link);
}

void DiagnosticsView::tasks_pressed() {
    if (context_.link)
        run_tasks_dialog(this, *context_.link);
}

}  // namespace quelmar::maintenance
