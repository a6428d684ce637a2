#include "live/processed_output_text_view.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QMetaObject>
#include <QVBoxLayout>
#include <algorithm>

#include "common/csv_writer.h"
#include "ui/prompts.h"
#include "ui/save_target.h"

namespace quelmar::live {

namespace {
const QString save_title = QStringLiteral("Save Processed Output");
}

ProcessedOutputTextView::ProcessedOutputTextView(const ui::ShellContext& context,
                                                 QWidget* parent,
                                                 std::chrono::milliseconds period)
    : ShellView("PROCESSED OUTPUT", parent),
      context_(context),
      period_(period),
      control_(new ui::SensorControlWidget(context.link, this)),
      save_(new QPushButton("Save", this)),
      clear_(new QPushButton("Clear", this)),
      pause_(new QCheckBox("Pause Display", this)),
      table_(new QTableWidget(0, int(processed_columns), this)) {
    auto* column = new QVBoxLayout;
    column->addWidget(control_);
    column->addWidget(save_);
    column->addWidget(clear_);
    column->addWidget(pause_);
    column->addStretch();
    body()->addLayout(column);
    body()->addWidget(table_, 1);

    save_->setToolTip("Save sensor processed output from list to file on PC");
    clear_->setToolTip("Clear all processed output from sensor");
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setWordWrap(false);

    connect(control_, &ui::SensorControlWidget::start_requested, this,
            &ShellView::start_requested);
    connect(control_, &ui::SensorControlWidget::stop_requested, this, &ShellView::stop_requested);
    connect(control_, &ui::SensorControlWidget::start_states_edited, this,
            &ProcessedOutputTextView::configuration_changed);
    connect(save_, &QPushButton::clicked, this, &ProcessedOutputTextView::save_pressed);
    connect(clear_, &QPushButton::clicked, this, &ProcessedOutputTextView::clear_pressed);
    connect(pause_, &QCheckBox::toggled, this, [this](bool on) { worker_.set_paused(on); });

    const auto config = ui::read_view_configuration(this, context_.link, true);
    chemistry_ = config.chemistry;
    control_->set_configuration(config);
    apply_titles();
    set_shell_state(context.state);
    start_worker();
}

ProcessedOutputTextView::~ProcessedOutputTextView() { worker_.stop(); }

void ProcessedOutputTextView::shutdown() { worker_.stop(); }

void ProcessedOutputTextView::start_worker() {
    if (!context_.link) return;
    // The thread hands each batch over to this window's thread; the table is only ever
    // touched there.
    worker_.start(*context_.link,
                  [this](std::vector<protocol::ProcessedRecord> batch) {
                      if (batch.empty()) return;
                      QMetaObject::invokeMethod(
                          this, [this, batch = std::move(batch)] { append(batch); },
                          Qt::QueuedConnection);
                  },
                  period_);
}

void ProcessedOutputTextView::set_shell_state(unsigned state) {
    ShellView::set_shell_state(state);
    control_->set_shell_state(state);
}

void ProcessedOutputTextView::configuration_changed() {
    bool ok = false;
    const auto config = ui::read_view_configuration(this, context_.link, false, &ok);
    if (!ok) return;
    chemistry_ = config.chemistry;
    apply_titles();
    control_->set_configuration(config);
}

void ProcessedOutputTextView::apply_titles() {
    const auto titles = processed_titles(chemistry_);
    const auto widths = processed_widths(chemistry_);
    QStringList labels;
    for (const auto& t : titles) labels << QString::fromStdString(t);
    table_->setHorizontalHeaderLabels(labels);
    // Widths are given in average character widths; digits are wider than the average, and
    // the cells have their margins.
    const int unit =
        std::max(fontMetrics().averageCharWidth(), fontMetrics().horizontalAdvance('0'));
    for (std::size_t c = 0; c < processed_columns; ++c)
        table_->setColumnWidth(int(c), widths[c] * unit + 12);
}

void ProcessedOutputTextView::append(const std::vector<protocol::ProcessedRecord>& records) {
    table_->setUpdatesEnabled(false);
    for (const auto& r : records) {
        if (std::size_t(table_->rowCount()) > processed_row_limit) table_->removeRow(0);
        const int row = table_->rowCount();
        table_->insertRow(row);
        const ProcessedRow texts = processed_row_texts(r);
        for (std::size_t c = 0; c < processed_columns; ++c)
            table_->setItem(row, int(c), new QTableWidgetItem(QString::fromStdString(texts[c])));
    }
    table_->setUpdatesEnabled(true);
    if (!records.empty()) table_->scrollToBottom();
}

void ProcessedOutputTextView::clear_pressed() {
    if (!ui::ask_yes_no(this, "Clear",
                        "This will permanently wipe the processed output data from the sensor. "
                        "Are you sure you want to do this?"))
        return;
    worker_.stop();
    if (!context_.link || protocol::wipe_processed_output(*context_.link) != protocol::status::ok) {
        ui::show_message(this, "Clear", "Unable to clear outputs", ui::PromptIcon::error);
    } else {
        table_->setRowCount(0);
    }
    start_worker();
}

void ProcessedOutputTextView::save_pressed() {
    const QString title = QStringLiteral("Processed Results Output File");
    QString type;
    const QString chosen = ui::choose_save_file(
        this, title, "CSV Files (*.csv);;All Files (*.*)", last_save_name_, &type);
    if (chosen.isEmpty()) return;
    const QString path = QString::fromStdString(
        ui::save_target(chosen.toStdString(), type.toStdString(), "csv"));
    // The dialog asked about the name as typed; the completed name may be another file.
    if (path != chosen && QFileInfo::exists(path) &&
        !ui::ask_yes_no(this, title,
                        QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path)))
        return;
    last_save_name_ = path;

    common::CsvWriter writer;
    if (!writer.open(path.toStdString())) {
        ui::show_message(this, save_title, QStringLiteral("Unable to open %1 for write").arg(path),
                         ui::PromptIcon::error);
        return;
    }
    writer.write_row(processed_title_list(processed_titles(chemistry_)));
    std::vector<std::string> cells(processed_columns);
    const int rows = table_->rowCount();
    for (int row = 0; row < rows; ++row) {
        for (std::size_t c = 0; c < processed_columns; ++c) {
            const auto* item = table_->item(row, int(c));
            cells[c] = item ? item->text().toStdString() : std::string();
        }
        writer.write_row(cells);
    }
    // A failed write is never reported as saved.
    if (!writer.commit()) {
        ui::show_message(this, save_title, QStringLiteral("Failed to write %1").arg(path),
                         ui::PromptIcon::error);
        return;
    }
    if (rows > 0)
        ui::show_message(this, save_title, QStringLiteral("Processed Output saved to %1").arg(path));
}

}  // namespace quelmar::live
