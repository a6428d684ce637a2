#include "maintenance/compatibility_view.h"

#include <QBrush>
#include <QColor>
#include <QVBoxLayout>

#include "maintenance/compatibility_report.h"
#include "protocol/device_commands.h"
#include "ui/prompts.h"

namespace quelmar::maintenance {

namespace {
QBrush brush_of(LineColour colour) {
    const Rgb c = colour_rgb(colour);
    return QBrush(QColor(c.r, c.g, c.b));
}

QTreeWidget* make_list(QWidget* parent, const QStringList& titles, std::initializer_list<int> widths) {
    auto* list = new QTreeWidget(parent);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setHeaderLabels(titles);
    // Column widths in dialog base units (the average character width), with the cell margins.
    const int unit = list->fontMetrics().averageCharWidth();
    int c = 0;
    for (int w : widths) list->setColumnWidth(c++, w * unit + 16);
    return list;
}
}  // namespace

CompatibilityView::CompatibilityView(const ui::ShellContext& context, QWidget* parent)
    : ui::ShellView("COMPATIBILITY", parent),
      verdict_(make_list(this, {"Compatibility"}, {80})),
      releases_(make_list(this, {"Firmware Version", "Date", "Changes"}, {16, 12, 64})) {
    auto* column = new QVBoxLayout;
    column->addWidget(verdict_, 1);
    column->addWidget(releases_, 1);
    body()->addLayout(column, 1);

    protocol::SoftwareVersion version;
    if (!context.link || protocol::read_software_version(*context.link, version) != protocol::status::ok) {
        ui::show_message(this, version_unreadable_title, version_unreadable_text, ui::PromptIcon::error);
        return;
    }
    const std::string text = version.version_text();
    for (const auto& line : compatibility_verdict(text)) {
        auto* item = new QTreeWidgetItem(verdict_, {QString::fromStdString(line.text)});
        item->setForeground(0, brush_of(line.colour));
    }
    for (const auto& row : maintenance::release_list(text)) {
        auto* item = new QTreeWidgetItem(releases_, {QString::fromStdString(row.version),
                                                     QString::fromStdString(row.date),
                                                     QString::fromStdString(row.changes)});
        for (int c = 0; c < 3; ++c) item->setForeground(c, brush_of(row.colour));
    }
}

}  // namespace quelmar::maintenance
