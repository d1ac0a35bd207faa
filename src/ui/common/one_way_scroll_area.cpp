// A scroll area that scrolls one way only.
#include "ui/common/one_way_scroll_area.hpp"

#include <QEvent>
#include <QScrollBar>
#include <algorithm> // for min

namespace spot {

OneWayScrollArea::OneWayScrollArea(Qt::Orientation scrolling, QWidget* content, QWidget* parent)
    : QScrollArea(parent), scrolling_(scrolling) {
  setFrameShape(QFrame::NoFrame);
  // Tab goes through the content, which scrolls into view; the area itself is no stop.
  setFocusPolicy(Qt::NoFocus);
  setWidgetResizable(true);
  setWidget(content);
  const bool vertical = scrolling_ == Qt::Vertical;
  setHorizontalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  // Across the scrolling the area is exactly as large as its content; along it, it takes what
  // the layout offers.
  setSizePolicy(vertical ? QSizePolicy::Fixed : QSizePolicy::Expanding,
                vertical ? QSizePolicy::Expanding : QSizePolicy::Fixed);
  // setWidget() already filters the content's events; the scroll bar's are wanted too.
  (vertical ? static_cast<QWidget*>(verticalScrollBar()) : horizontalScrollBar())
      ->installEventFilter(this);
}

QSize OneWayScrollArea::chrome() const {
  const int frame = 2 * frameWidth();
  if (scrolling_ == Qt::Vertical) {
    const QScrollBar* bar = verticalScrollBar();
    return {frame + (bar->isVisibleTo(this) ? bar->sizeHint().width() : 0), frame};
  }
  const QScrollBar* bar = horizontalScrollBar();
  return {frame, frame + (bar->isVisibleTo(this) ? bar->sizeHint().height() : 0)};
}

QSize OneWayScrollArea::minimumSizeHint() const {
  const QWidget* content = widget();
  if (!content) return QScrollArea::minimumSizeHint();
  const QSize needed = content->minimumSizeHint() + chrome();
  // Along the scrolling, a few lines are enough to scroll through the rest.
  const int few = 4 * fontMetrics().height();
  return scrolling_ == Qt::Vertical ? QSize(needed.width(), std::min(needed.height(), few))
                                    : QSize(std::min(needed.width(), 4 * few), needed.height());
}

QSize OneWayScrollArea::sizeHint() const {
  const QWidget* content = widget();
  if (!content) return QScrollArea::sizeHint();
  // Unlike QScrollArea's own hint, not capped at a few dozen lines: the content wants all of it.
  // Across the scrolling, the content's minimum: its wishes there (a long phase name) must not
  // widen the window.
  const QSize wanted = content->sizeHint().expandedTo(content->minimumSizeHint()) + chrome();
  const QSize least = minimumSizeHint();
  return scrolling_ == Qt::Vertical ? QSize(least.width(), wanted.height())
                                    : QSize(wanted.width(), least.height());
}

bool OneWayScrollArea::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
  case QEvent::Show:
  case QEvent::Hide:
  case QEvent::LayoutRequest:
    // The scroll bar came or went, or the content's needs changed: the layout asks again.
    if (watched != this) updateGeometry();
    break;
  default: break;
  }
  return QScrollArea::eventFilter(watched, event);
}

} // namespace spot
