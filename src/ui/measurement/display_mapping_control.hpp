// The "Display" box of the picture tools: how a picture deeper than 8 bits is shown (linear or
// logarithmic between a low and a high limit), with "Auto" for the percentile defaults.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "ui/measurement/picture_view.hpp"

namespace spot {

class DisplayMappingControl : public QGroupBox {
  Q_OBJECT
public:
  explicit DisplayMappingControl(PictureView& view, QWidget* parent = nullptr);

  QComboBox* scaleBox() const { return scaleBox_; }       ///< "DisplayScale": Linear, Logarithmic
  QLineEdit* lowEdit() const { return lowEdit_; }         ///< "DisplayLow"
  QLineEdit* highEdit() const { return highEdit_; }       ///< "DisplayHigh"
  QPushButton* autoButton() const { return autoButton_; } ///< "DisplayAuto"

private:
  void showMapping();
  void apply();

  PictureView& view_;
  QComboBox* scaleBox_;
  QLineEdit* lowEdit_;
  QLineEdit* highEdit_;
  QPushButton* autoButton_;
  bool applying_ = false; ///< a message box of a refused limit must not apply again
};

} // namespace spot
