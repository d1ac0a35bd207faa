// The "Tools" frame.
#include "ui/measurement/picture_tools.hpp"

#include <QFrame>
#include <QVBoxLayout>

namespace spot {

PictureTools::PictureTools(PictureView& view, QWidget* parent)
    : QGroupBox(QStringLiteral("Tools"), parent), view_(view) {
  setObjectName(QStringLiteral("Frame5"));
  auto* layout = new QVBoxLayout(this);
  const auto button = [this, layout](const char* name, const QString& caption, auto action) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    connect(b, &QPushButton::clicked, &view_, action);
    layout->addWidget(b);
    return b;
  };
  openButton_ = button("Command2", QStringLiteral("Open"), &PictureView::open);
  zoomInButton_ = button("Command3", QStringLiteral("Zoom in"), &PictureView::zoomIn);
  zoomOutButton_ = button("Command7", QStringLiteral("Zoom out"), &PictureView::zoomOut);
  initialButton_ = button("Command8", QStringLiteral("Initial"), &PictureView::initial);
  measureButton_ = button("Command9", view.measureToggleCaption(), &PictureView::toggleMeasureMode);
  cleanButton_ = button("Command14", QStringLiteral("Clean"), &PictureView::clean);

  // The spot tools, apart from the original six.
  auto* separator = new QFrame(this);
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);
  layout->addWidget(separator);
  findSpotsButton_ =
      button("FindSpotsButton", QStringLiteral("Find spots"), &PictureView::findSpots);
  findSpotsButton_->setToolTip(
      tr("Find the diffraction spots; line ends then snap to their centres (hold Shift to place "
         "an end freely)"));
  measurePatternButton_ = button("MeasurePatternButton", QStringLiteral("Measure pattern"),
                                 &PictureView::measurePattern);
  measurePatternButton_->setToolTip(
      tr("Write the centre and R1, R2, R3 fitted to all the spots into the boxes, as three "
         "confirmed lines; the scale bar stays yours to measure"));
  spotsLabel_ = new QLabel(this);
  spotsLabel_->setObjectName(QStringLiteral("SpotsLabel"));
  spotsLabel_->setWordWrap(true);
  layout->addWidget(spotsLabel_);
  overlayCheckBox_ = new QCheckBox(QStringLiteral("Show solution on picture"), this);
  overlayCheckBox_->setObjectName(QStringLiteral("OverlayCheckBox"));
  overlayCheckBox_->setChecked(view_.overlayShown());
  overlayCheckBox_->setToolTip(
      tr("Rings where the result row or family chosen on the \"Calculation\" tab puts its "
         "spots: green with a spot found there, dashed orange without; crossed circles are "
         "spots it does not explain"));
  connect(overlayCheckBox_, &QCheckBox::toggled, &view_, &PictureView::setOverlayShown);
  layout->addWidget(overlayCheckBox_);
  overlayLabel_ = new QLabel(this);
  overlayLabel_->setObjectName(QStringLiteral("OverlayLabel"));
  overlayLabel_->setWordWrap(true);
  layout->addWidget(overlayLabel_);

  displayControl_ = new DisplayMappingControl(view, this);
  layout->addWidget(displayControl_);
  layout->addStretch(1);

  connect(&view_, &PictureView::toolsStateChanged, this, &PictureTools::showViewState);
  connect(&view_, &PictureView::spotsChanged, this, &PictureTools::showViewState);
  connect(&view_, &PictureView::overlayChanged, this, &PictureTools::showViewState);
  showViewState();
}

void PictureTools::showViewState() {
  zoomInButton_->setEnabled(view_.zoomEnabled());
  zoomOutButton_->setEnabled(view_.zoomEnabled());
  measureButton_->setText(view_.measureToggleCaption());
  findSpotsButton_->setEnabled(view_.hasPicture() && !view_.findingSpots());
  spotsLabel_->setText(view_.spotsStatus());
  spotsLabel_->setVisible(!view_.spotsStatus().isEmpty());
  // With spots but no lattice the button stays: pressing it says why nothing can be measured.
  measurePatternButton_->setEnabled(!view_.spots().empty() && !view_.findingSpots());
  overlayCheckBox_->setChecked(view_.overlayShown());
  overlayLabel_->setText(view_.overlayStatus());
  overlayLabel_->setVisible(!view_.overlayStatus().isEmpty());
}

} // namespace spot
