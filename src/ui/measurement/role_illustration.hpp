// The small pictures of the "Measure" dialog, Image1(0)..Image1(3): what a scale-bar line and
// the R1, R2 and R3 lines look like on a spot pattern, drawn by the program.
#pragma once

#include <QWidget>

#include "measurement/pattern_vectors.hpp"

class QPainter;

namespace spot {

class RoleIllustration : public QWidget {
  Q_OBJECT
public:
  /// Size in pixels; it fits between the entry box and the buttons of the dialog.
  static constexpr int kWidth = 184;
  static constexpr int kHeight = 92;
  /// The drawing starts this far from the left edge, clear of the role options' captions;
  /// the strip is transparent.
  static constexpr int kInset = 14;

  explicit RoleIllustration(LineRole role, QWidget* parent = nullptr);

  LineRole role() const { return role_; }
  QSize sizeHint() const override { return {kWidth, kHeight}; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void paintScaleBar(QPainter& painter) const;
  void paintVectors(QPainter& painter) const;

  LineRole role_;
};

} // namespace spot
