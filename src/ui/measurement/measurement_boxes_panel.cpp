// The "Picture measurement" panel.
#include "ui/measurement/measurement_boxes_panel.hpp"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace spot {

MeasurementBoxesPanel::MeasurementBoxesPanel(BoxArray& boxes, QWidget* parent)
    : QGroupBox(QStringLiteral("Picture measurement"), parent) {
  setObjectName(QStringLiteral("Frame3(0)"));
  auto* grid = new QGridLayout(this);
  const auto label = [this](const QString& text, Qt::Alignment alignment = Qt::AlignLeft) {
    auto* l = new QLabel(text, this);
    l->setAlignment(alignment | Qt::AlignVCenter);
    return l;
  };
  const auto place = [&](Box which, const QString& caption) {
    QLineEdit* edit = boxes.box(which);
    // Lengths come from the picture with many digits ("141.4213562"); keep them readable.
    const bool length = which == Box::Length1 || which == Box::Length2 || which == Box::Length3 ||
                        which == Box::ScaleBarLength;
    edit->setFixedWidth(length ? 92 : 72);
    edit->setToolTip(caption);
    return edit;
  };

  auto* scaleRow = new QHBoxLayout;
  scaleRow->addWidget(label(QStringLiteral("Scale bar")));
  scaleRow->addWidget(place(Box::ScaleBarValue, QStringLiteral("Scale bar value (1/nm)")));
  scaleRow->addWidget(label(QStringLiteral("1/nm")));
  scaleRow->addSpacing(8);
  scaleRow->addWidget(place(Box::ScaleBarLength, QStringLiteral("Scale bar length (px)")));
  scaleRow->addWidget(label(QStringLiteral("px")));
  scaleRow->addStretch(1);
  grid->addLayout(scaleRow, 0, 0, 1, 6);

  grid->addWidget(label(QStringLiteral("Length (px)"), Qt::AlignHCenter), 1, 1);
  grid->addWidget(label(QStringLiteral("Number"), Qt::AlignHCenter), 1, 2);
  grid->addWidget(label(QStringLiteral("Angle (deg.)"), Qt::AlignHCenter), 1, 4);

  const char* vectors[] = {"R1", "R2", "R3"};
  const Box lengths[] = {Box::Length1, Box::Length2, Box::Length3};
  const Box numbers[] = {Box::Number1, Box::Number2, Box::Number3};
  const Box angles[] = {Box::Angle12, Box::Angle23, Box::Angle13};
  const char* pairs[] = {"<R1,R2>", "<R2,R3>", "<R1,R3>"};
  for (int i = 0; i < 3; ++i) {
    const QString name = QString::fromLatin1(vectors[i]);
    grid->addWidget(label(name), 2 + i, 0);
    grid->addWidget(place(lengths[i], QStringLiteral("Length of %1 (px)").arg(name)), 2 + i, 1);
    grid->addWidget(place(numbers[i], QStringLiteral("Number of spot spacings along %1").arg(name)),
                    2 + i, 2);
    grid->addWidget(label(QString::fromLatin1(pairs[i]), Qt::AlignRight), 2 + i, 3);
    grid->addWidget(
        place(angles[i], QStringLiteral("Angle %1 (deg.)").arg(QString::fromLatin1(pairs[i]))),
        2 + i, 4);
  }
  grid->setColumnStretch(5, 1);
}

} // namespace spot
