#include "config/report_dialog.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>
#include <chrono>

#include "config/settings_dialog.h"
#include "ui/prompts.h"
#include "ui/save_target.h"

namespace quelmar::config {

ReportDialog::ReportDialog(link::SensorLink& link, std::int64_t pc_time_utc, QWidget* parent)
    : QDialog(parent),
      report_(build_configuration_report(link, pc_time_utc)),
      list_(new QListWidget(this)),
      save_(new QPushButton("Save...", this)),
      cancel_(new QPushButton("Cancel", this)) {
    setWindowTitle("Sensor Configuration Log");
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    QFont fixed("Courier New");
    fixed.setStyleHint(QFont::Monospace);
    list_->setFont(fixed);
    for (const auto& line : report_.lines)
        list_->addItem(QString::fromStdString(line));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(button_row({save_, cancel_}));
    resize(760, 560);

    connect(list_, &QWidget::customContextMenuRequested, this, &ReportDialog::context_menu);
    connect(save_, &QPushButton::clicked, this, &ReportDialog::save_pressed);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void ReportDialog::context_menu(const QPoint& at) {
    if (list_->selectedItems().isEmpty())
        return;
    QMenu menu(this);
    menu.addAction("Copy", this, &ReportDialog::copy_selected);
    menu.exec(list_->viewport()->mapToGlobal(at));
}

void ReportDialog::copy_selected() {
    std::vector<std::string> lines;
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->isSelected())
            lines.push_back(report_.lines[std::size_t(i)]);
    if (lines.empty())
        return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(report_text_crlf(lines)));
}

void ReportDialog::save_pressed() {
    const QString title = "Save Sensor Report File";
    const QString filter = "Text Files (*.txt);;All Files (*.*)";
    QString type;
    const QString chosen = ui::choose_save_file(
        this, title, filter, QString::fromStdString(report_file_name(report_.file_base)), &type);
    if (chosen.isEmpty())
        return;
    const QString target =
        QString::fromStdString(ui::save_target(chosen.toStdString(), type.toStdString(), "txt"));
    if (target != chosen && QFileInfo::exists(target) &&
        !ui::ask_yes_no(
            this, title,
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(target)))
        return;
    if (!write_report_file(target.toStdString(), report_.lines))
        ui::show_message(this, "Save", "Couldn't write to file", ui::PromptIcon::error);
}

void run_report_dialog(QWidget* parent, link::SensorLink& link) {
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    ReportDialog dialog(link, now, parent);
    dialog.exec();
}

}  // namespace quelmar::config
