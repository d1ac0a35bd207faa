// The display mapping's box.
#include "ui/measurement/display_mapping_control.hpp"

#include <QFormLayout>
#include <charconv>

namespace spot {

namespace {

// A limit as short as it reads back: percentiles of float data show as the float they are.
QString LimitText(double value) {
  char text[32];
  const float narrow = static_cast<float>(value);
  const auto written = static_cast<double>(narrow) == value
                           ? std::to_chars(text, text + sizeof text, narrow)
                           : std::to_chars(text, text + sizeof text, value);
  return QString::fromLatin1(text, static_cast<int>(written.ptr - text));
}

} // namespace

DisplayMappingControl::DisplayMappingControl(PictureView& view, QWidget* parent)
    : QGroupBox(QStringLiteral("Display"), parent), view_(view) {
  setObjectName(QStringLiteral("DisplayMapping"));
  setToolTip(QStringLiteral("How a picture deeper than 8 bits is shown; measuring and spot "
                            "finding always read its full values"));
  auto* layout = new QFormLayout(this);
  scaleBox_ = new QComboBox(this);
  scaleBox_->setObjectName(QStringLiteral("DisplayScale"));
  scaleBox_->addItems({QStringLiteral("Linear"), QStringLiteral("Logarithmic")});
  lowEdit_ = new QLineEdit(this);
  lowEdit_->setObjectName(QStringLiteral("DisplayLow"));
  highEdit_ = new QLineEdit(this);
  highEdit_->setObjectName(QStringLiteral("DisplayHigh"));
  autoButton_ = new QPushButton(QStringLiteral("Auto"), this);
  autoButton_->setObjectName(QStringLiteral("DisplayAuto"));
  autoButton_->setToolTip(QStringLiteral("Linear from the 0.5 % to the 99.9 % percentile"));
  layout->addRow(scaleBox_);
  layout->addRow(QStringLiteral("Low"), lowEdit_);
  layout->addRow(QStringLiteral("High"), highEdit_);
  layout->addRow(autoButton_);

  connect(scaleBox_, &QComboBox::activated, this, &DisplayMappingControl::apply);
  connect(lowEdit_, &QLineEdit::editingFinished, this, &DisplayMappingControl::apply);
  connect(highEdit_, &QLineEdit::editingFinished, this, &DisplayMappingControl::apply);
  connect(autoButton_, &QPushButton::clicked, &view_, &PictureView::resetDisplayMapping);
  connect(&view_, &PictureView::displayMappingChanged, this, &DisplayMappingControl::showMapping);
  showMapping();
}

void DisplayMappingControl::showMapping() {
  const bool deep = view_.fullDepth() != nullptr;
  setEnabled(deep);
  const DisplayMapping& m = view_.displayMapping();
  scaleBox_->setCurrentIndex(deep && m.scale == DisplayScale::Logarithmic ? 1 : 0);
  lowEdit_->setText(deep ? LimitText(m.low) : QString());
  highEdit_->setText(deep ? LimitText(m.high) : QString());
}

void DisplayMappingControl::apply() {
  if (applying_ || !view_.fullDepth()) return;
  const DisplayScale scale =
      scaleBox_->currentIndex() == 1 ? DisplayScale::Logarithmic : DisplayScale::Linear;
  const QString low = lowEdit_->text(), high = highEdit_->text();
  const DisplayMapping& m = view_.displayMapping();
  if (scale == m.scale && low == LimitText(m.low) && high == LimitText(m.high)) return;
  applying_ = true;
  // The boxes show the mapping in force again before a refused limit's message, so that the
  // focus the message box takes does not apply the same text twice.
  showMapping();
  if (view_.setDisplayMappingFromText(scale, low, high)) showMapping();
  applying_ = false;
}

} // namespace spot
