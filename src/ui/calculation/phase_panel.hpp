// The phase entry panel Frame1(0): phase name, lattice type, a, b, c, α, β, γ, index range and
// "Calculate"; the lattice boxes are locked against accidental edits.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <optional>

#include "core/reflection_rule.hpp"
#include "crystal/crystal_phase.hpp"

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

  /// Shows a phase that carries a space group (a user phase): its name and cell in the boxes,
  /// the group's symbol in the lattice-type selector, which stays disabled while the group is
  /// attached. Editing a cell box or choosing a type detaches it.
  void attachPhase(const CrystalPhase& phase);
  /// The phase becomes centring-only: the selector shows its five types again.
  void detachGroup();
  /// The attached phase, or null.
  const CrystalPhase* attachedPhase() const { return attached_ ? &*attached_ : nullptr; }
  /// What a search uses: the attached group, else the selected type (none: nothing found).
  std::optional<ReflectionRule> currentRule() const;

  /// Locked exactly when the name box is disabled.
  bool isLocked() const { return !nameBox_->isEnabled(); }
  void lock();
  void unlock();
  void toggleLock();

signals:
  /// "Lattice database" was clicked.
  void databaseLabelClicked();
  /// A group was attached or detached.
  void attachedPhaseChanged();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  BoxArray& boxes_;
  QLineEdit* nameBox_;
  QComboBox* latticeType_;
  QPushButton* calculateButton_;
  ClickableLabel* lockLabel_;
  ClickableLabel* databaseLabel_;
  std::optional<CrystalPhase> attached_;
  std::array<QString, 6> attachedCellTexts_; ///< what attachPhase wrote into a..γ
  QString replacedTypeText_;                 ///< the selector item the symbol stands in for
  int replacedTypeIndex_ = -1;
};

/// Pixels of a length in twips (1/1440 inch) on the widget's screen.
int TwipsToPixels(const QWidget* widget, int twips);

} // namespace spot
