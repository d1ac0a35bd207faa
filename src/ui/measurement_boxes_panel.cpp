// The "Picture measurement" panel.
#include "ui/measurement_boxes_panel.hpp"

#include <QGridLayout>
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
  const auto place = [&](Box which, int row, int column, const QString& caption) {
    QLineEdit* edit = boxes.box(which);
    edit->setMinimumWidth(64);
    edit->setToolTip(caption);
    grid->addWidget(edit, row, column);
  };

  grid->addWidget(label(QStringLiteral("Scale bar")), 0, 0);
  place(Box::ScaleBarValue, 0, 1, QStringLiteral("Scale bar value (1/nm)"));
  grid->addWidget(label(QStringLiteral("1/nm")), 0, 2);
  place(Box::ScaleBarLength, 0, 3, QStringLiteral("Scale bar length (px)"));
  grid->addWidget(label(QStringLiteral("px")), 0, 4);

  grid->addWidget(label(QStringLiteral("Length (px)"), Qt::AlignHCenter), 1, 1);
  grid->addWidget(label(QStringLiteral("Number"), Qt::AlignHCenter), 1, 3);
  grid->addWidget(label(QStringLiteral("Angle (deg.)"), Qt::AlignHCenter), 1, 6);

  const char* vectors[] = {"R1", "R2", "R3"};
  const Box lengths[] = {Box::Length1, Box::Length2, Box::Length3};
  const Box numbers[] = {Box::Number1, Box::Number2, Box::Number3};
  const Box angles[] = {Box::Angle12, Box::Angle23, Box::Angle13};
  const char* pairs[] = {"<R1,R2>", "<R2,R3>", "<R1,R3>"};
  for (int i = 0; i < 3; ++i) {
    const QString name = QString::fromLatin1(vectors[i]);
    grid->addWidget(label(name), 2 + i, 0);
    place(lengths[i], 2 + i, 1, QStringLiteral("Length of %1 (px)").arg(name));
    place(numbers[i], 2 + i, 3, QStringLiteral("Number of spot spacings along %1").arg(name));
    grid->addWidget(label(QString::fromLatin1(pairs[i]), Qt::AlignRight), 2 + i, 5);
    place(angles[i], 2 + i, 6, QStringLiteral("Angle %1 (deg.)").arg(QString::fromLatin1(pairs[i])));
  }
  grid->setColumnStretch(7, 1);
}

} // namespace spot
