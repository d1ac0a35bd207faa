// The tolerance panel.
#include "ui/calculation/tolerance_panel.hpp"

#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>

#include "core/numeric_text.hpp"
#include "indexing/tolerance_filter.hpp"

namespace spot {

TolerancePanel::TolerancePanel(BoxArray& boxes, QWidget* parent) : QGroupBox(parent) {
  setObjectName(QStringLiteral("Frame11"));
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(2);
  grid->addWidget(new QLabel(QStringLiteral("Adjust"), this), 1, 0);
  grid->addWidget(new QLabel(QStringLiteral("Tolerance"), this), 2, 0);

  const char* headings[] = {"d1", "d2", "d3", "<R1,R2>", "<R2,R3>", "<R1,R3>"};
  for (std::size_t i = 0; i < kToleranceBoxes.size(); ++i) {
    const Box which = kToleranceBoxes[i];
    const int column = 1 + 2 * static_cast<int>(i);
    auto* heading = new QLabel(QString::fromLatin1(headings[i]), this);
    heading->setAlignment(Qt::AlignCenter);
    grid->addWidget(heading, 0, column, 1, 2);

    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QStringLiteral("Slider%1").arg(i + 1));
    slider->setRange(0, kSliderMaximum);
    slider->setSingleStep(1);
    slider->setPageStep(5);
    slider->setMinimumWidth(70);
    slider->setValue(SliderPositionFor(which, NumericPrefix(boxes.text(which).toStdString())));
    connect(slider, &QSlider::valueChanged, this,
            [this, which](int position) { emit sliderMoved(which, position); });
    grid->addWidget(slider, 1, column, 1, 2);
    sliders_[i] = slider;

    QLineEdit* edit = boxes.box(which);
    edit->setMaximumWidth(64);
    grid->addWidget(edit, 2, column);
    grid->addWidget(
        new QLabel(IsSpacingToleranceBox(which) ? QStringLiteral("nm") : QStringLiteral("deg."),
                   this),
        2, column + 1);
  }
}

QSlider* TolerancePanel::sliderOf(Box toleranceBox) const {
  const int number = SliderNumberOf(toleranceBox);
  return number > 0 ? slider(number) : nullptr;
}

void TolerancePanel::showPosition(Box toleranceBox, int position) {
  QSlider* s = sliderOf(toleranceBox);
  if (!s) return;
  const QSignalBlocker quiet(s);
  s->setValue(position);
}

} // namespace spot
