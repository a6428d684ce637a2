#include "live/raw_output_text_view.h"

#include <QHeaderView>
#include <algorithm>
#include <QMetaObject>
#include <QVBoxLayout>

#include "monitor/status_monitor.h"

namespace quelmar::live {

RawOutputTextView::RawOutputTextView(const ui::ShellContext& context, QWidget* parent,
                                     std::chrono::milliseconds period)
    : ShellView("RAW OUTPUT", parent),
      context_(context),
      control_(new ui::SensorControlWidget(context.link, this)),
      pause_(new QCheckBox("Pause Display", this)),
      table_(new QTableWidget(0, int(raw_table_columns), this)) {
    auto* column = new QVBoxLayout;
    column->addWidget(control_);
    column->addWidget(pause_);
    column->addStretch();
    body()->addLayout(column);
    body()->addWidget(table_, 1);

    QStringList titles;
    for (const char* t : raw_table_titles) titles << QString::fromUtf8(t);
    table_->setHorizontalHeaderLabels(titles);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setWordWrap(false);
    // Widths are given in average character widths; digits are wider than the average, and
    // the cells have their margins.
    const int unit = std::max(fontMetrics().averageCharWidth(), fontMetrics().horizontalAdvance('0'));
    for (std::size_t c = 0; c < raw_table_columns; ++c)
        table_->setColumnWidth(int(c), raw_table_widths[c] * unit + 12);

    connect(control_, &ui::SensorControlWidget::start_requested, this,
            &ShellView::start_requested);
    connect(control_, &ui::SensorControlWidget::stop_requested, this, &ShellView::stop_requested);
    connect(control_, &ui::SensorControlWidget::start_states_edited, this,
            &RawOutputTextView::configuration_changed);
    connect(pause_, &QCheckBox::toggled, this, [this](bool on) { worker_.set_paused(on); });

    control_->set_configuration(ui::read_view_configuration(this, context_.link, true));
    set_shell_state(context.state);

    if (context_.monitor) {
        monitor::StatusMonitor* monitor = context_.monitor;
        // The worker hands each step over to this window's thread; the table is only ever
        // touched there.
        worker_.start([monitor] { return monitor->running(); }, monitor->history(),
                      [this](FeedStep step) {
                          QMetaObject::invokeMethod(
                              this, [this, step = std::move(step)] { apply(step); },
                              Qt::QueuedConnection);
                      },
                      period);
    }
}

RawOutputTextView::~RawOutputTextView() { worker_.stop(); }

void RawOutputTextView::shutdown() { worker_.stop(); }

void RawOutputTextView::set_shell_state(unsigned state) {
    ShellView::set_shell_state(state);
    control_->set_shell_state(state);
}

void RawOutputTextView::configuration_changed() {
    bool ok = false;
    const auto config = ui::read_view_configuration(this, context_.link, false, &ok);
    if (ok) control_->set_configuration(config);
}

void RawOutputTextView::append_row(const protocol::ReadingsBytes& entry) {
    if (static_cast<std::size_t>(table_->rowCount()) > raw_table_row_limit) table_->removeRow(0);
    const int row = table_->rowCount();
    table_->insertRow(row);
    const RawRow texts = raw_row_texts(entry);
    for (std::size_t c = 0; c < raw_table_columns; ++c)
        table_->setItem(row, int(c), new QTableWidgetItem(QString::fromStdString(texts[c])));
}

void RawOutputTextView::apply(const FeedStep& step) {
    if (step.clear) table_->setRowCount(0);
    table_->setUpdatesEnabled(false);
    for (const auto& entry : step.rows) append_row(entry);
    table_->setUpdatesEnabled(true);
    if (step.follow && table_->rowCount() > 0) table_->scrollToBottom();
}

}  // namespace quelmar::live
