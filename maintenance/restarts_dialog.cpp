#include "maintenance/restarts_dialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "maintenance/restarts_log.h"

namespace quelmar::maintenance {

RestartsDialog::RestartsDialog(link::SensorLink& link, QWidget* parent)
    : QDialog(parent), list_(new QTreeWidget(this)), close_(new QPushButton("Close", this)) {
    setWindowTitle("Sensor Firmware Restart Log (last 10 restarts)");
    QStringList titles;
    for (const char* t : restart_titles)
        titles << t;
    list_->setHeaderLabels(titles);
    list_->setRootIsDecorated(false);
    const int unit =
        std::max(fontMetrics().averageCharWidth(), fontMetrics().horizontalAdvance('0'));
    int width = 0;
    for (std::size_t c = 0; c < restart_columns; ++c) {
        list_->setColumnWidth(int(c), restart_widths[c] * unit + 12);
        width += restart_widths[c] * unit + 12;
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    resize(width + 40, 320);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    for (const RestartRecord& r : read_restart_log(link)) {
        const RestartRow texts = restart_row(r);
        auto* item = new QTreeWidgetItem(list_);
        for (std::size_t c = 0; c < restart_columns; ++c)
            item->setText(int(c), QString::fromStdString(texts[c]));
    }
}

void run_restarts_dialog(QWidget* parent, link::SensorLink& link) {
    RestartsDialog dialog(link, parent);
    dialog.exec();
}

}  // namespace quelmar::maintenance
