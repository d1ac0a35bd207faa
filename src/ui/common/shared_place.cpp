// Two panels taking turns in one place.
#include "ui/common/shared_place.hpp"

namespace spot {

SharedPlace::SharedPlace(QWidget* first, QWidget* parent)
    : QWidget(parent), layout_(new QGridLayout(this)), first_(first) {
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->addWidget(first_, 0, 0, Qt::AlignTop);
  setMinimumWidth(first_->sizeHint().width());
}

void SharedPlace::installSecond(QWidget* panel) {
  if (!panel || panel == second_) return;
  QWidget* previous = second_;
  second_ = panel;
  layout_->addWidget(panel, 0, 0);
  panel->hide();
  delete previous; // at once, so that only one panel of that name can be found
}

void SharedPlace::showOnly(QWidget* shown, QWidget* hidden) {
  if (shown) {
    shown->show();
    shown->raise();
  }
  if (hidden) hidden->hide();
}

void SharedPlace::toggleFirst() {
  if (first_->isVisibleTo(this))
    hideFirst();
  else
    showFirst();
}

void SharedPlace::toggleSecond() {
  if (!second_) return;
  if (second_->isVisibleTo(this))
    hideSecond();
  else
    showSecond();
}

} // namespace spot
