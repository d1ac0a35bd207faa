// The "Tools" frame Frame5 beside the picture: Open, Zoom in, Zoom out, Initial, Measure/Move
// and Clean, each acting on the picture view.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "ui/measurement/display_mapping_control.hpp"
#include "ui/measurement/picture_view.hpp"

namespace spot {

class PictureTools : public QGroupBox {
  Q_OBJECT
public:
  explicit PictureTools(PictureView& view, QWidget* parent = nullptr);

  QPushButton* openButton() const { return openButton_; }       ///< Command2
  QPushButton* zoomInButton() const { return zoomInButton_; }   ///< Command3
  QPushButton* zoomOutButton() const { return zoomOutButton_; } ///< Command7
  QPushButton* initialButton() const { return initialButton_; } ///< Command8
  QPushButton* measureButton() const { return measureButton_; } ///< Command9
  QPushButton* cleanButton() const { return cleanButton_; }     ///< Command14
  QPushButton* findSpotsButton() const { return findSpotsButton_; }
  QPushButton* measurePatternButton() const { return measurePatternButton_; }
  /// What the spot search found, or why it found nothing.
  QLabel* spotsLabel() const { return spotsLabel_; }
  /// How pictures deeper than 8 bits are shown.
  DisplayMappingControl* displayControl() const { return displayControl_; }
  /// Shows or hides the predicted spots of the chosen solution.
  QCheckBox* overlayCheckBox() const { return overlayCheckBox_; }
  /// The chosen solution and how well the picture agrees with it.
  QLabel* overlayLabel() const { return overlayLabel_; }

private:
  void showViewState();

  PictureView& view_;
  QPushButton* openButton_;
  QPushButton* zoomInButton_;
  QPushButton* zoomOutButton_;
  QPushButton* initialButton_;
  QPushButton* measureButton_;
  QPushButton* cleanButton_;
  QPushButton* findSpotsButton_;
  QPushButton* measurePatternButton_;
  QLabel* spotsLabel_;
  DisplayMappingControl* displayControl_;
  QCheckBox* overlayCheckBox_;
  QLabel* overlayLabel_;
};

} // namespace spot
