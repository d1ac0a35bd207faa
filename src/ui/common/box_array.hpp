// The numbered boxes Text1(0)..Text1(38) of the main window: one array that every panel places
// and reads, so the window's working data stays in the boxes the user sees.
#pragma once

#include <QLineEdit>
#include <QObject>
#include <array>

#include "core/boxes.hpp"

namespace spot {

class BoxArray : public QObject {
  Q_OBJECT
public:
  /// Creates the 39 boxes with their initial texts; panels lay them out (and so own them).
  explicit BoxArray(QWidget* parent);

  QLineEdit* box(Box which) const { return boxes_[static_cast<std::size_t>(which)]; }
  QString text(Box which) const { return box(which)->text(); }
  BoxTexts texts() const;

  /// Sets a box's text as typing would; the change handlers run even when the text is the same.
  void setText(Box which, const QString& text);

  /// Gives a box the focus with its whole text selected, as after a rejected entry.
  void focusAndSelect(Box which);

signals:
  /// The text of a box changed, typed or set by the program.
  void changed(spot::Box which);

private:
  std::array<QLineEdit*, kBoxCount> boxes_{};
};

/// The width at which `box` shows `sample` whole, in its own font and style.
int BoxWidthFor(const QLineEdit& box, const QString& sample);

} // namespace spot
