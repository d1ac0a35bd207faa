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
  spotsLabel_ = new QLabel(this);
  spotsLabel_->setObjectName(QStringLiteral("SpotsLabel"));
  spotsLabel_->setWordWrap(true);
  layout->addWidget(spotsLabel_);

  displayControl_ = new DisplayMappingControl(view, this);
  layout->addWidget(displayControl_);
  layout->addStretch(1);

  connect(&view_, &PictureView::toolsStateChanged, this, &PictureTools::showViewState);
  connect(&view_, &PictureView::spotsChanged, this, &PictureTools::showViewState);
  showViewState();
}

void PictureTools::showViewState() {
  zoomInButton_->setEnabled(view_.zoomEnabled());
  zoomOutButton_->setEnabled(view_.zoomEnabled());
  measureButton_->setText(view_.measureToggleCaption());
  findSpotsButton_->setEnabled(view_.hasPicture() && !view_.findingSpots());
  spotsLabel_->setText(view_.spotsStatus());
  spotsLabel_->setVisible(!view_.spotsStatus().isEmpty());
}

} // namespace spot
