// A label that reports a click, for the captions that act as commands ("Lattice parameters▲",
// "★", "Close☆", the counter).
#pragma once

#include <QLabel>

namespace spot {

class ClickableLabel : public QLabel {
  Q_OBJECT
public:
  explicit ClickableLabel(const QString& text, QWidget* parent = nullptr);

signals:
  void clicked();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  bool pressed_ = false;
};

} // namespace spot
