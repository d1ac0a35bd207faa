// A label that acts as a command.
#include "ui/common/clickable_label.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace spot {

ClickableLabel::ClickableLabel(const QString& text, const QString& accessibleName, QWidget* parent)
    : QLabel(text, parent) {
  setCursor(Qt::PointingHandCursor);
  // Reached with Tab like a button: without it a keyboard user could never unlock the phase.
  setFocusPolicy(Qt::StrongFocus);
  setAccessibleName(accessibleName);
  setAccessibleDescription(tr("Press Enter or Space to activate"));
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept(); // a press on a command label is not a click on the window background
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (click) emit clicked();
}

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
  case Qt::Key_Return:
  case Qt::Key_Enter:
  case Qt::Key_Space:
    if (event->modifiers() & ~Qt::KeypadModifier) break; // Ctrl+Enter and the like are not ours
    event->accept();
    emit clicked();
    return;
  default: break;
  }
  QLabel::keyPressEvent(event);
}

void ClickableLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  // A label draws no focus of its own; the keyboard user must see where Enter will act.
  QStylePainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.backgroundColor = palette().color(backgroundRole());
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

} // namespace spot
