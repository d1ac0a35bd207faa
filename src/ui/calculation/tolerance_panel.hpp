// The tolerance panel Frame11: the six tolerance boxes with a slider above each.
#pragma once

#include <QGroupBox>
#include <QSlider>
#include <array>

#include "ui/common/box_array.hpp"

namespace spot {

class TolerancePanel : public QGroupBox {
  Q_OBJECT
public:
  TolerancePanel(BoxArray& boxes, QWidget* parent = nullptr);

  /// Slider1..Slider6, by 1-based number.
  QSlider* slider(int number) const { return sliders_[static_cast<std::size_t>(number - 1)]; }
  /// The slider of a tolerance box.
  QSlider* sliderOf(Box toleranceBox) const;

  /// Moves a box's slider without counting as the user's movement.
  void showPosition(Box toleranceBox, int position);

signals:
  /// The user moved the slider of a tolerance box.
  void sliderMoved(spot::Box toleranceBox, int position);

private:
  std::array<QSlider*, 6> sliders_{};
};

} // namespace spot
