#pragma once
// The clock dialog's large display: one line of text centred in "Arial" 38, black, or grey
// while the display is disabled, over the dialog's button background.

#include <QWidget>

namespace quelmar::config {

class ClockFaceWidget : public QWidget {
    Q_OBJECT
  public:
    explicit ClockFaceWidget(QWidget* parent = nullptr);
    void set_text(const QString& text);
    QString text() const { return text_; }
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};

}  // namespace quelmar::config
