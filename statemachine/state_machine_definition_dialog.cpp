#include "statemachine/state_machine_definition_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/prompts.h"
#include "statemachine/state_form.h"
#include "statemachine/state_summary.h"
#include "statemachine/state_text.h"

namespace quelmar::statemachine {

namespace {
constexpr int first_shrunk_column = 10;
constexpr int last_shrunk_column = 16;
const char* const summary_title = "Save State Machine Summary";
}  // namespace

StateMachineDefinitionDialog::StateMachineDefinitionDialog(const StateMachine& machine,
                                                           QWidget* parent)
    : QDialog(parent), machine_(machine) {
    setWindowTitle(QString::fromStdString(listing_title(machine, ListingMode::definition)));
    mode_ = new QComboBox(this);
    mode_->setObjectName("mode");
    mode_->addItems({"Definition", "Dry Run"});
    start_label_ = new QLabel("Start Dry Run At State:", this);
    start_ = new QLineEdit("0", this);
    start_->setObjectName("start");
    timeout_check_ = new QCheckBox("Simulate Pump Timeout On State:", this);
    timeout_check_->setObjectName("simulate_timeout");
    timeout_ = new QLineEdit("0", this);
    timeout_->setObjectName("timeout_state");
    depth_triggers_ = new QCheckBox("Simulate Depth Triggers", this);
    depth_triggers_->setEnabled(false);
    shrink_ = new QCheckBox("Shrink Counter && Trigger Columns", this);
    shrink_->setObjectName("shrink");
    go_ = new QPushButton("Go", this);
    go_->setObjectName("go");
    save_ = new QPushButton("Save...", this);
    save_->setObjectName("save");
    table_ = new QTableWidget(0, static_cast<int>(column_count), this);
    table_->setObjectName("table");
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    QStringList titles;
    for (const auto& c : state_columns())
        titles << c.title;
    table_->setHorizontalHeaderLabels(titles);
    const int char_width = fontMetrics().averageCharWidth();
    for (std::size_t c = 0; c < column_count; ++c)
        table_->setColumnWidth(static_cast<int>(c), state_columns()[c].width_chars * char_width);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel("Mode", this));
    controls->addWidget(mode_);
    controls->addWidget(start_label_);
    controls->addWidget(start_);
    controls->addWidget(timeout_check_);
    controls->addWidget(timeout_);
    controls->addWidget(depth_triggers_);
    controls->addWidget(shrink_);
    controls->addStretch();
    controls->addWidget(go_);
    controls->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(table_);
    resize(1200, 600);

    connect(mode_, &QComboBox::currentIndexChanged, this, [this] { mode_changed(); });
    connect(start_, &QLineEdit::textChanged, this, [this] { check_numbers(); });
    connect(timeout_, &QLineEdit::textChanged, this, [this] { check_numbers(); });
    connect(timeout_check_, &QCheckBox::toggled, this, [this] { check_numbers(); });
    connect(shrink_, &QCheckBox::toggled, this, [this] { shrink_toggled(); });
    connect(go_, &QPushButton::clicked, this, [this] { go_pressed(); });
    connect(save_, &QPushButton::clicked, this, [this] { save_pressed(); });
    mode_changed();
}

bool StateMachineDefinitionDialog::number_in_range(QLineEdit* edit) const {
    return read_number_field(edit->text().toStdString()) <= machine_.last_state_index;
}

void StateMachineDefinitionDialog::check_numbers() {
    const bool dry = mode_->currentIndex() == static_cast<int>(ListingMode::dry_run);
    start_label_->setEnabled(dry);
    start_->setEnabled(dry);
    timeout_check_->setEnabled(dry);
    timeout_->setEnabled(dry && timeout_check_->isChecked());
    bool ok = true;
    for (QLineEdit* edit : {start_, timeout_}) {
        const bool in_range = number_in_range(edit);
        edit->setStyleSheet(in_range ? QString() : QString("color: rgb(255, 0, 0);"));
        if (!in_range)
            ok = false;
    }
    go_->setEnabled(dry && ok);
}

void StateMachineDefinitionDialog::mode_changed() {
    clear_table();
    check_numbers();
    if (mode_->currentIndex() == static_cast<int>(ListingMode::definition))
        go_pressed();
}

void StateMachineDefinitionDialog::shrink_toggled() {
    const int width = shrink_->isChecked() ? 0 : 24 * fontMetrics().averageCharWidth();
    for (int c = first_shrunk_column; c <= last_shrunk_column; ++c)
        table_->setColumnWidth(c, width);
}

void StateMachineDefinitionDialog::clear_table() {
    listing_ = Listing{};
    table_->setRowCount(0);
}

void StateMachineDefinitionDialog::show_rows() {
    table_->setRowCount(static_cast<int>(listing_.rows.size()));
    for (std::size_t r = 0; r < listing_.rows.size(); ++r)
        for (std::size_t c = 0; c < column_count; ++c)
            table_->setItem(static_cast<int>(r), static_cast<int>(c),
                            new QTableWidgetItem(QString::fromStdString(listing_.rows[r][c])));
}

void StateMachineDefinitionDialog::go_pressed() {
    const auto mode = mode_->currentIndex() == static_cast<int>(ListingMode::dry_run)
                          ? ListingMode::dry_run
                          : ListingMode::definition;
    std::uint32_t start = 0;
    std::uint32_t timeout = no_timeout_state;
    if (mode == ListingMode::dry_run) {
        start = clamp_state_number(read_number_field(start_->text().toStdString()), machine_);
        if (timeout_check_->isChecked())
            timeout =
                clamp_state_number(read_number_field(timeout_->text().toStdString()), machine_);
    }
    setWindowTitle(QString::fromStdString(listing_title(machine_, mode)));
    clear_table();
    listing_ = build_listing(machine_, mode, start, timeout);
    show_rows();
    if (mode == ListingMode::dry_run)
        ui::show_message(this, "State Machine Dry Run",
                          QString::fromStdString(dry_run_end_message(machine_, listing_)));
}

void StateMachineDefinitionDialog::save_pressed() {
    const QString path = ui::choose_save_target(this, "State Machine Summary File",
                                                "CSV Files (*.csv);;All Files (*.*)", "csv");
    if (path.isEmpty())
        return;
    // The rows as the table shows them.
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < table_->rowCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < table_->columnCount(); ++c) {
            const QTableWidgetItem* item = table_->item(r, c);
            row.push_back(item ? item->text().toStdString() : std::string());
        }
        rows.push_back(std::move(row));
    }
    const SummaryResult result = write_state_summary(path.toStdString(), rows);
    const std::string text = summary_result_text(result, path.toStdString());
    if (!text.empty())
        ui::show_message(
            this, summary_title, QString::fromStdString(text),
            result == SummaryResult::saved ? ui::PromptIcon::information : ui::PromptIcon::error);
}

}  // namespace quelmar::statemachine
