// A label that acts as a command, for the captions that act as commands ("Lattice parameters▲",
// "Lattice database", "★", "Close☆", the counter): a click, Enter or Space on it reports a click.
#pragma once

#include <QLabel>

namespace spot {

class ClickableLabel : public QLabel {
  Q_OBJECT
public:
  /// `accessibleName` says what the command does, for screen readers and tests; the caption
  /// alone ("★") often does not.
  ClickableLabel(const QString& text, const QString& accessibleName, QWidget* parent = nullptr);

signals:
  void clicked();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  bool pressed_ = false;
};

} // namespace spot
