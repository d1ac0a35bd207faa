// One place in a layout that two panels take turns in: the plane calculator and the database
// panel share the lower left of the "Calculation" tab, never both shown.
#pragma once

#include <QGridLayout>
#include <QWidget>

namespace spot {

class SharedPlace : public QWidget {
  Q_OBJECT
public:
  /// `first` keeps its height at the top; the second panel takes what the column has left. The
  /// place keeps the first panel's width whichever is shown.
  explicit SharedPlace(QWidget* first, QWidget* parent = nullptr);

  QWidget* first() const { return first_; }
  QWidget* second() const { return second_; }
  /// Puts a second panel in, hidden, deleting the one it replaces (so only one can be found).
  void installSecond(QWidget* panel);

  /// Shows one panel and hides the other.
  void showFirst() { showOnly(first_, second_); }
  void showSecond() { showOnly(second_, first_); }
  void hideFirst() { first_->hide(); }
  void hideSecond() {
    if (second_) second_->hide();
  }
  /// Hides the panel when shown, else shows it instead of the other.
  void toggleFirst();
  void toggleSecond();

private:
  void showOnly(QWidget* shown, QWidget* hidden);

  QGridLayout* layout_;
  QWidget* first_;
  QWidget* second_ = nullptr;
};

} // namespace spot
