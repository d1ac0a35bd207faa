// What the picture measurement needs of the main window: its numbered boxes, the phase name and
// lattice type, the phase panel's caption, the calculator's spacing captions and the results.
#pragma once

#include <QString>

#include "core/boxes.hpp"

namespace spot {

/// The main window's controls that the picture view, the "Measure" dialog and the slots menu
/// read and write. The main window implements it over its own widgets.
class MeasurementHost {
public:
  virtual ~MeasurementHost() = default;

  /// Text1(0)..Text1(38).
  virtual QString boxText(Box which) const = 0;
  /// Sets a box as typing would, so its change handlers (the tolerance filter) run.
  virtual void setBoxText(Box which, const QString& text) = 0;

  /// Text6, the phase name.
  virtual QString phaseName() const = 0;
  /// Sets the phase name as typing would (the box re-fits its width).
  virtual void setPhaseName(const QString& name) = 0;

  /// Position of the lattice-type selector Combo1, -1 when no item is selected.
  virtual int latticeTypePosition() const = 0;
  virtual void setLatticeTypePosition(int position) = 0;

  /// Caption of the phase entry panel Frame1(0).
  virtual void setPhasePanelCaption(const QString& caption) = 0;

  /// Label1(47), Label1(48), Label1(49) of the plane calculator, plane 0..2.
  virtual void setSpacingCaption(int plane, const QString& caption) = 0;

  /// Empties the results list ListView1 (keeping its report layout) and sets the count Label22
  /// to "0".
  virtual void clearResults() = 0;
  /// The measured-value summary Label5.
  virtual void setSummaryText(const QString& text) = 0;

  /// All 39 box texts, UTF-8.
  BoxTexts boxTexts() const {
    BoxTexts texts;
    for (int i = 0; i < kBoxCount; ++i)
      texts[i] = boxText(static_cast<Box>(i)).toStdString();
    return texts;
  }
};

} // namespace spot
