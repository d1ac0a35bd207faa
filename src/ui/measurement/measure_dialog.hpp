// The "Measure" dialog Form2: asks what a finished line was (scale bar, R1, R2 or R3) and the
// number that goes with it, then writes the "Picture measurement" boxes and the angles.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "measurement/pattern_vectors.hpp"
#include "ui/common/box_array.hpp"
#include "ui/measurement/measurement_state.hpp"
#include "ui/measurement/picture_view.hpp"
#include "ui/measurement/role_illustration.hpp"

namespace spot {

/// Modeless. It reads the last finished line from the shared measurement state, which also keeps
/// the pattern vectors (they outlive the dialog), and writes the boxes.
class MeasureDialog : public QDialog {
  Q_OBJECT
public:
  /// The dialog's layout is in twips; it is drawn at 15 twips per pixel.
  static constexpr int kTwipsPerPixel = 15;

  /// Reads the last finished line from `state`, places itself off it on `view`, and writes
  /// the picture-measurement boxes of `boxes`.
  MeasureDialog(PictureView& view, MeasurementState& state, BoxArray& boxes,
                QWidget* parent = nullptr);

  /// After a finished line: shows the dialog, first setting it up for the scale-bar role with
  /// an empty entry when it was closed, and moving it off the line when it would cover it. A
  /// dialog already open keeps its role, entry, captions and place.
  void showForLine();
  /// Hides and closes the dialog (background click, tab change, drop on the picture, shut-down).
  void closeDialog();
  /// Open between showForLine and closeDialog.
  bool isOpen() const { return open_; }

  /// Option1(i): the role of the line; other numbers change nothing.
  void chooseRole(int index);
  /// "OK" (Command1): writes the role's boxes and the angles, then closes.
  void confirm();
  /// "Cancel" (Command2): hides the newest line, then closes. No box changes.
  void cancel();

  LineRole role() const { return role_; }
  /// The length shown in the caption, two decimals; 0 while closed.
  double roundedLengthPx() const { return roundedLengthPx_; }

  QRadioButton* roleOption(int index) const { return options_.at(static_cast<std::size_t>(index)); }
  QLineEdit* entryBox() const { return entry_; }           ///< Text1
  QLabel* lengthCaption() const { return lengthCaption_; } ///< Label2
  QLabel* entryCaption() const { return entryCaption_; }   ///< Label1
  RoleIllustration* illustration(int index) const {
    return illustrations_.at(static_cast<std::size_t>(index));
  }
  QPushButton* okButton() const { return okButton_; }         ///< Command1
  QPushButton* cancelButton() const { return cancelButton_; } ///< Command2

  /// Twips to pixels at kTwipsPerPixel, rounded to the nearest pixel.
  static QRect FromTwips(int left, int top, int width, int height);

protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

private:
  void setUp();
  void showRole(LineRole role);
  void placeLabel(QLabel* label, QRect place);
  void placeOffLine();

  PictureView& view_;
  MeasurementState& state_;
  BoxArray& boxes_;
  LineRole role_ = LineRole::ScaleBar;
  double roundedLengthPx_ = 0;
  bool open_ = false;
  bool placed_ = false;

  std::array<RoleIllustration*, kLineRoleCount> illustrations_{};
  std::array<QRadioButton*, kLineRoleCount> options_{};
  QLineEdit* entry_;
  QLabel* lengthCaption_;
  QLabel* entryCaption_;
  QPushButton* okButton_;
  QPushButton* cancelButton_;
};

} // namespace spot
