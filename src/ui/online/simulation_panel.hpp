// The "Simulation" tab: the fixed drawing of a spot pattern under "Under development", the
// invitation Label13 and the forum button "官方论坛" in Frame8.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointF>
#include <QPushButton>
#include <QStackedLayout>
#include <QWidget>
#include <array>
#include <vector>

#include "ui/online/simulated_pattern_view.hpp"

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

class BoxArray;
class MeasurementState;
class PhasePanel;
class Prompts;

class SimulationPanel : public QWidget {
  Q_OBJECT
public:
  explicit SimulationPanel(QWidget* parent = nullptr);

  QPushButton* forumButton() const { return forumButton_; }

  /// Where the simulated pattern comes from: the phase panel (with its space group and atoms
  /// when one is attached), the calculator's zone axis (from a result row, a family or typed),
  /// the measured R1 direction of the picture; `prompts` asks for export files.
  void connectSources(BoxArray& boxes, PhasePanel& phase, MeasurementState& state,
                      Prompts& prompts);
  /// Simulates again from the sources and the panel's own boxes; with no phase or zone the fixed
  /// drawing comes back.
  void refresh();
  /// True while the simulated pattern (not the fixed drawing) is shown.
  bool showsSimulation() const { return stack_->currentIndex() == 1; }
  SimulatedPatternView* patternView() const { return patternView_; }
  QLineEdit* zoneBox(int i) const { return zone_[static_cast<std::size_t>(i)]; }
  QLineEdit* gMaxBox() const { return gMax_; }
  QCheckBox* labelsBox() const { return labels_; }
  QLabel* statusLabel() const { return status_; }
  /// Writes the shown pattern as PNG (800 px square) or SVG; false after a message.
  bool exportPattern(const QString& path);

signals:
  /// "官方论坛" was clicked; the window lets the online panel open the forum.
  void forumRequested();

private:
  void exportChosen(const QString& filter, const QString& suffix);

  QPushButton* forumButton_ = nullptr;
  QGroupBox* drawingFrame_ = nullptr;
  QStackedLayout* stack_ = nullptr;
  SimulatedPatternView* patternView_ = nullptr;
  std::array<QLineEdit*, 3> zone_{};
  QLineEdit* gMax_ = nullptr;
  QCheckBox* labels_ = nullptr;
  QPushButton* exportPng_ = nullptr;
  QPushButton* exportSvg_ = nullptr;
  QLabel* status_ = nullptr;
  BoxArray* boxes_ = nullptr;
  PhasePanel* phase_ = nullptr;
  MeasurementState* state_ = nullptr;
  Prompts* prompts_ = nullptr;
};

} // namespace spot
