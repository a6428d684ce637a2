#include "ui/shell_view.h"

#include <QFont>
#include <QVBoxLayout>

namespace quelmar::ui {

ShellView::ShellView(const QString& header, QWidget* parent)
    : QWidget(parent), header_(new QLabel(header, this)), body_(new QHBoxLayout) {
    QFont font = header_->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    header_->setFont(font);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header_, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addLayout(body_, 1);
}

}  // namespace quelmar::ui
