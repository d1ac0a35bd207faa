// The plane calculator Frame14 / Frame2: three planes typed by hand (or handed over from a
// result row) give their zone axis, the angles between them and their spacings.
#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <array>

#include "calculator/plane_triplet.hpp"
#include "ui/common/box_array.hpp"
#include "ui/common/clickable_label.hpp"
#include "ui/common/prompts.hpp"

namespace spot {

class CalculatorPanel : public QFrame {
  Q_OBJECT
public:
  CalculatorPanel(BoxArray& boxes, Prompts& prompts, QWidget* parent = nullptr);

  /// "Calculate" (Command5): validates the nine index boxes, calculates, writes the outputs.
  void calculate();
  /// "Clean" (Command15): empties the index boxes and resets every output.
  void clean();
  /// Zone axis, angles and spacings back to "***"; the index boxes stay.
  void clearOutputs();

  /// "= [u v t w]" beside the zone axis for a hexagonal cell, empty otherwise.
  QLabel* fourIndexLabel() const { return fourIndexLabel_; }
  /// Label1(47), Label1(48), Label1(49): "d1=…", "d2=…", "d3=…".
  QLabel* spacingLabel(int plane) const { return spacingLabels_[static_cast<std::size_t>(plane)]; }

signals:
  /// A calculation finished: the sketch shows these planes and zone axis.
  void sketchLabelsChanged(const QString& r1, const QString& r2, const QString& r3,
                           const QString& zoneAxis);
  /// The sketch goes back to its initial captions.
  void sketchLabelsReset();

private:
  /// Writes the zone axis, angles and spacings, "***" where there is no value.
  void showCalculation(const PlaneTripletCalculation& result);
  /// "= [u v t w]" for a hexagonal cell's zone axis.
  void showFourIndexAxis(const PlaneTripletCalculation& result, const LatticeParameters& cell);
  /// "（h k l）" of plane 0..2, and "Z=[u v w]", from the box texts as they stand.
  QString planeLabel(int plane) const;
  QString zoneAxisLabel() const;

  BoxArray& boxes_;
  Prompts& prompts_;
  std::array<QLabel*, 3> spacingLabels_{};
  QLabel* fourIndexLabel_ = nullptr;
  QPushButton* calculateButton_;
  QPushButton* cleanButton_;
  ClickableLabel* closeLabel_;
};

} // namespace spot
