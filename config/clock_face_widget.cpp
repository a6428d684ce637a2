#include "config/clock_face_widget.h"

#include <QFontMetrics>
#include <QPainter>

namespace quelmar::config {

namespace {
QFont face_font() {
    QFont f("Arial");
    f.setPixelSize(38);
    f.setWeight(QFont::Normal);
    return f;
}
}  // namespace

ClockFaceWidget::ClockFaceWidget(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(false);
}

void ClockFaceWidget::set_text(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    update();
}

QSize ClockFaceWidget::sizeHint() const {
    const QFontMetrics m(face_font());
    return {m.horizontalAdvance(QStringLiteral("00/00/0000 00:00:00")) + 24, m.height() + 16};
}

void ClockFaceWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    p.setFont(face_font());
    p.setPen(isEnabled() ? QColor(0, 0, 0) : QColor(150, 150, 150));
    p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text_);
}

}  // namespace quelmar::config
