// The "Simulation" tab: the fixed drawing of a spot pattern under "Under development", the
// invitation Label13 and the forum button "官方论坛" in Frame8.
#pragma once

#include <QPointF>
#include <QPushButton>
#include <QWidget>
#include <vector>

namespace spot {

/// The 37 spots of the drawing in units of the spot spacing, the central spot first: a
/// hexagonal net out to the third ring (1 + 6 + 12 + 18 spots).
std::vector<QPointF> SimulatedSpots();

/// Shape1 and Shape2: the spots on a dark screen and the scale bar "5  nm/1".
class SpotPatternDrawing : public QWidget {
  Q_OBJECT
public:
  static constexpr const char* kScaleBarLabel = "5  nm/1";

  explicit SpotPatternDrawing(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {300, 300}; }

protected:
  void paintEvent(QPaintEvent* event) override;
};

class SimulationPanel : public QWidget {
  Q_OBJECT
public:
  explicit SimulationPanel(QWidget* parent = nullptr);

  QPushButton* forumButton() const { return forumButton_; }

signals:
  /// "官方论坛" was clicked; the window lets the online panel open the forum.
  void forumRequested();

private:
  QPushButton* forumButton_ = nullptr;
};

} // namespace spot
