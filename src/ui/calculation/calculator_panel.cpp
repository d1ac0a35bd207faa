// The plane calculator.
#include "ui/calculation/calculator_panel.hpp"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "calculator/plane_triplet.hpp"
#include "core/number_format.hpp"
#include "core/numeric_text.hpp"
#include "indexing/run_search.hpp"

namespace spot {
namespace {

// Rows R1, R2, R3; columns h, k, l.
constexpr spot::Box kIndexBoxes[3][3] = {{spot::Box::CalcH1, spot::Box::CalcK1, spot::Box::CalcL1},
                                         {spot::Box::CalcH2, spot::Box::CalcK2, spot::Box::CalcL2},
                                         {spot::Box::CalcH3, spot::Box::CalcK3, spot::Box::CalcL3}};
constexpr spot::Box kAngleBoxes[3] = {spot::Box::CalcAngle12, spot::Box::CalcAngle23,
                                      spot::Box::CalcAngle13};
constexpr spot::Box kZoneBoxes[3] = {spot::Box::CalcZoneU, spot::Box::CalcZoneV,
                                     spot::Box::CalcZoneW};
// The planes of each angle: <R1,R2>, <R2,R3>, <R1,R3>.
constexpr int kAnglePairs[3][2] = {{0, 1}, {1, 2}, {0, 2}};

const QString kUnset = QStringLiteral("***");

QString spacingCaption(int plane) { return QStringLiteral("d%1=").arg(plane + 1); }

} // namespace

CalculatorPanel::CalculatorPanel(BoxArray& boxes, Prompts& prompts, QWidget* parent)
    : QFrame(parent), boxes_(boxes), prompts_(prompts) {
  setObjectName(QStringLiteral("Frame14"));

  closeLabel_ = new ClickableLabel(QStringLiteral("Close☆"), this);
  closeLabel_->setObjectName(QStringLiteral("Label19"));
  connect(closeLabel_, &ClickableLabel::clicked, this, &QWidget::hide);

  auto* frame =
      new QGroupBox(QStringLiteral("Calculation of interfacial angle and zone axis index"), this);
  frame->setObjectName(QStringLiteral("Frame2"));
  auto* grid = new QGridLayout(frame);
  grid->setHorizontalSpacing(4);
  const char* columns[] = {"h", "k", "l"};
  for (int c = 0; c < 3; ++c) {
    auto* heading = new QLabel(QString::fromLatin1(columns[c]), frame);
    heading->setAlignment(Qt::AlignCenter);
    grid->addWidget(heading, 0, 1 + c);
  }
  const char* angleCaptions[] = {"<R1,R2>=", "<R2,R3>=", "<R1,R3>="};
  for (int r = 0; r < 3; ++r) {
    grid->addWidget(new QLabel(QStringLiteral("R%1").arg(r + 1), frame), 1 + r, 0);
    for (int c = 0; c < 3; ++c) {
      QLineEdit* edit = boxes_.box(kIndexBoxes[r][c]);
      edit->setFixedWidth(40);
      edit->setAlignment(Qt::AlignCenter);
      grid->addWidget(edit, 1 + r, 1 + c);
    }
    grid->addWidget(new QLabel(QString::fromLatin1(angleCaptions[r]), frame), 1 + r, 5,
                    Qt::AlignRight);
    QLineEdit* angle = boxes_.box(kAngleBoxes[r]);
    angle->setFixedWidth(96);
    grid->addWidget(angle, 1 + r, 6);
    grid->addWidget(new QLabel(QStringLiteral("deg."), frame), 1 + r, 7);
  }
  grid->setColumnMinimumWidth(4, 8);

  auto* zoneRow = new QHBoxLayout;
  zoneRow->addWidget(new QLabel(QStringLiteral("zone axis"), frame));
  for (spot::Box b : kZoneBoxes) {
    QLineEdit* edit = boxes_.box(b);
    edit->setFixedWidth(52);
    edit->setAlignment(Qt::AlignCenter);
    zoneRow->addWidget(edit);
  }
  zoneRow->addStretch(1);
  grid->addLayout(zoneRow, 4, 0, 1, 8);

  auto* spacings = new QGridLayout;
  for (int i = 0; i < 3; ++i) {
    auto* label = new QLabel(spacingCaption(i) + QStringLiteral(" ***"), frame);
    label->setObjectName(QStringLiteral("Label1(%1)").arg(47 + i));
    label->setMinimumWidth(110);
    spacingLabels_[static_cast<std::size_t>(i)] = label;
    spacings->addWidget(label, i, 0);
    spacings->addWidget(new QLabel(QStringLiteral("nm"), frame), i, 1);
  }
  calculateButton_ = new QPushButton(QStringLiteral("Calculate"), frame);
  calculateButton_->setObjectName(QStringLiteral("Command5"));
  cleanButton_ = new QPushButton(QStringLiteral("Clean"), frame);
  cleanButton_->setObjectName(QStringLiteral("Command15"));
  spacings->setColumnStretch(2, 1);
  spacings->addWidget(calculateButton_, 0, 3);
  spacings->addWidget(cleanButton_, 1, 3);
  grid->addLayout(spacings, 5, 0, 1, 8);
  grid->setColumnStretch(8, 1);
  connect(calculateButton_, &QPushButton::clicked, this, &CalculatorPanel::calculate);
  connect(cleanButton_, &QPushButton::clicked, this, &CalculatorPanel::clean);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(closeLabel_, 0, Qt::AlignRight);
  layout->addWidget(frame);
}

QString CalculatorPanel::planeLabel(spot::Box h, spot::Box k, spot::Box l) const {
  // The texts exactly as typed, between full-width parentheses.
  return QStringLiteral("（") + boxes_.text(h) + QLatin1Char(' ') + boxes_.text(k) +
         QLatin1Char(' ') + boxes_.text(l) + QStringLiteral("）");
}

void CalculatorPanel::resetOutputsFrom(int firstAngle, int firstSpacing) {
  for (int i = firstAngle; i < 3; ++i)
    boxes_.setText(kAngleBoxes[i], kUnset);
  for (int i = firstSpacing; i < 3; ++i)
    spacingLabels_[static_cast<std::size_t>(i)]->setText(spacingCaption(i) +
                                                         QStringLiteral(" ***"));
}

void CalculatorPanel::calculate() {
  // Element order: R1 h, R2 h, R3 h, R1 k, ... so the first bad box is the one named first.
  for (int i = BoxNumber(spot::Box::CalcH1); i <= BoxNumber(spot::Box::CalcL3); ++i) {
    const spot::Box which = static_cast<spot::Box>(i);
    if (!IsNumeric(boxes_.text(which).toStdString())) {
      prompts_.showMessage(QString::fromUtf8(kMessagePhaseBoxes.data(),
                                             static_cast<qsizetype>(kMessagePhaseBoxes.size())));
      boxes_.focusAndSelect(which);
      return;
    }
  }
  std::array<PlaneVector, 3> planes{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      planes[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
          NumericPrefix(boxes_.text(kIndexBoxes[r][c]).toStdString());
  const LatticeParameters cell = ReadLatticeParameters(boxes_.texts());
  const PlaneTripletCalculation result =
      CalculatePlaneTriplet(cell, planes[0], planes[1], planes[2]);

  for (int i = 0; i < 3; ++i)
    boxes_.setText(kZoneBoxes[i], QString::fromStdString(
                                      FormatGeneral(result.zoneAxis[static_cast<std::size_t>(i)])));
  int angles = 0;
  while (angles < 3 && result.angles[static_cast<std::size_t>(angles)]) {
    boxes_.setText(kAngleBoxes[angles], QString::fromStdString(FormatGeneral(
                                            *result.angles[static_cast<std::size_t>(angles)])));
    ++angles;
  }
  int spacings = 0;
  while (spacings < 3 && result.spacings[static_cast<std::size_t>(spacings)]) {
    spacingLabels_[static_cast<std::size_t>(spacings)]->setText(
        spacingCaption(spacings) + QString::fromStdString(FormatSpacing(
                                       *result.spacings[static_cast<std::size_t>(spacings)])));
    ++spacings;
  }

  if (!result.fault) {
    emit sketchLabelsChanged(planeLabel(spot::Box::CalcH1, spot::Box::CalcK1, spot::Box::CalcL1),
                             planeLabel(spot::Box::CalcH2, spot::Box::CalcK2, spot::Box::CalcL2),
                             planeLabel(spot::Box::CalcH3, spot::Box::CalcK3, spot::Box::CalcL3),
                             QStringLiteral("Z=[") + boxes_.text(spot::Box::CalcZoneU) +
                                 QLatin1Char(' ') + boxes_.text(spot::Box::CalcZoneV) +
                                 QLatin1Char(' ') + boxes_.text(spot::Box::CalcZoneW) +
                                 QStringLiteral("]"));
    return;
  }

  // What could not be calculated shows as not calculated, never as an earlier plane's values.
  resetOutputsFrom(angles, spacings);
  emit sketchLabelsReset();

  const auto isZero = [](const PlaneVector& g) { return g[0] == 0 && g[1] == 0 && g[2] == 0; };
  QString message;
  spot::Box focus = spot::Box::A;
  if (!IsRealCell(cell)) {
    message = QStringLiteral(
        "The lattice parameters a, b, c, α, β, γ do not describe a real cell, so the angles and "
        "spacings cannot be calculated. Please enter the phase under \"Lattice parameters▲\".");
  } else if (angles < 3) {
    const int p = kAnglePairs[angles][0];
    const int q = kAnglePairs[angles][1];
    const int zero = isZero(planes[static_cast<std::size_t>(p)])   ? p
                     : isZero(planes[static_cast<std::size_t>(q)]) ? q
                                                                   : -1;
    if (zero >= 0) {
      message =
          QStringLiteral("R%1 is (0 0 0), which is not a lattice plane, so its angles cannot be "
                         "calculated. Please enter the indices of R%1.")
              .arg(zero + 1);
      focus = kIndexBoxes[zero][0];
    } else {
      message =
          QStringLiteral("R%1 and R%2 are parallel planes, so the angle between them cannot be "
                         "calculated. Please check the indices of R%2.")
              .arg(p + 1)
              .arg(q + 1);
      focus = kIndexBoxes[q][0];
    }
  } else {
    message = QStringLiteral("The spacings cannot be calculated with these lattice parameters. "
                             "Please check the boxes a, b, c, α, β, γ.");
  }
  prompts_.showMessage(message);
  boxes_.focusAndSelect(focus);
}

void CalculatorPanel::clean() {
  for (const auto& row : kIndexBoxes)
    for (spot::Box b : row)
      boxes_.setText(b, QString());
  clearOutputs();
  emit sketchLabelsReset();
}

void CalculatorPanel::clearOutputs() {
  for (spot::Box b : kZoneBoxes)
    boxes_.setText(b, kUnset);
  resetOutputsFrom(0, 0);
}

} // namespace spot
