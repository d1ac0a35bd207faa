// The phase entry panel Frame1(0): phase name, lattice type, a, b, c, α, β, γ, index range and
// "Calculate"; the lattice boxes are locked against accidental edits.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "ui/common/box_array.hpp"
#include "ui/common/clickable_label.hpp"

namespace spot {

class PhasePanel : public QGroupBox {
  Q_OBJECT
public:
  static constexpr const char* kNamePlaceholder = "Please input the phase name.";
  /// Captions of the panel: after a slot import ("点阵标尺" and a white diamond) and after a
  /// batch left a database record in it.
  static constexpr const char* kImportedCaption = "点阵标尺◇";
  static constexpr const char* kRecordCaption = "Lattice parameters";

  PhasePanel(BoxArray& boxes, QWidget* parent = nullptr);

  QLineEdit* nameBox() const { return nameBox_; }
  QComboBox* latticeTypeSelector() const { return latticeType_; }
  QPushButton* calculateButton() const { return calculateButton_; }

  /// Locked exactly when the name box is disabled.
  bool isLocked() const { return !nameBox_->isEnabled(); }
  void lock();
  void unlock();
  void toggleLock();

signals:
  /// "Lattice database" was clicked.
  void databaseLabelClicked();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  BoxArray& boxes_;
  QLineEdit* nameBox_;
  QComboBox* latticeType_;
  QPushButton* calculateButton_;
  ClickableLabel* lockLabel_;
  ClickableLabel* databaseLabel_;
};

/// Pixels of a length in twips (1/1440 inch) on the widget's screen.
int TwipsToPixels(const QWidget* widget, int twips);

} // namespace spot
