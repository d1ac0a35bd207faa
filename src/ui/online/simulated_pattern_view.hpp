// The simulated zone pattern as a picture: spots whose area grows with intensity, optional
// (h k l) labels, a scale bar in 1/nm; painted in the "Simulation" tab and written as PNG or SVG.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "simulation/zone_pattern.hpp"

namespace spot {

/// Where everything goes in a square drawing of `sidePx`, y down.
struct PatternDrawing {
  struct Spot {
    double x = 0, y = 0; ///< px
    double radius = 0;   ///< px; the area is proportional to the intensity
    bool absent = false; ///< forbidden or cancelled: drawn as a ring
    std::string label;   ///< "1 1 -1"
  };
  double side = 0;
  double centreX = 0, centreY = 0;
  double centralRadius = 0;
  std::vector<Spot> spots;
  double barLengthPx = 0, barX = 0, barY = 0;
  std::string barLabel; ///< "5 1/nm"
};

/// Lays out `pattern` in a square of `sidePx`: the outermost spot near the edge, the picture turned
/// by `rotationRad` (counter-clockwise on the screen), the scale bar a round number of 1/nm.
PatternDrawing LayOutPattern(const SimulatedPattern& pattern, double sidePx, double rotationRad);

/// The drawing as an SVG document (labels when asked).
std::string PatternSvg(const PatternDrawing& drawing, bool labels);

class SimulatedPatternView : public QWidget {
  Q_OBJECT
public:
  explicit SimulatedPatternView(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {320, 320}; }

  void setPattern(SimulatedPattern pattern, double rotationRad);
  void setLabels(bool shown);
  bool labels() const { return labels_; }
  const SimulatedPattern& pattern() const { return pattern_; }
  double rotation() const { return rotation_; }
  /// The pattern drawn into an image of `sidePx` square, as the view paints it.
  QImage render(int sidePx) const;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  SimulatedPattern pattern_;
  double rotation_ = 0;
  bool labels_ = false;
};

/// Paints `drawing` with QPainter (the view and the PNG export share it).
void PaintPatternDrawing(class QPainter& painter, const PatternDrawing& drawing, bool labels);

} // namespace spot
