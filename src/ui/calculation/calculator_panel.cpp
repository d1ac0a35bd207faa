// The plane calculator.
#include "ui/calculation/calculator_panel.hpp"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "calculator/calculator_boxes.hpp"
#include "calculator/plane_triplet.hpp"
#include "core/number_format.hpp"
#include "indexing/run_search.hpp"
#include "solutions/four_index.hpp"
#include "solutions/lattice_symmetry.hpp"
#include "ui/common/qt_text.hpp"

namespace spot {

CalculatorPanel::CalculatorPanel(BoxArray& boxes, Prompts& prompts, QWidget* parent)
    : QFrame(parent), boxes_(boxes), prompts_(prompts) {
  setObjectName(QStringLiteral("Frame14"));

  closeLabel_ = new ClickableLabel(QStringLiteral("Close☆"), tr("Close the calculator"), this);
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
      QLineEdit* edit = boxes_.box(kCalculatorIndexBoxes[r][c]);
      edit->setFixedWidth(40);
      edit->setAlignment(Qt::AlignCenter);
      grid->addWidget(edit, 1 + r, 1 + c);
    }
    grid->addWidget(new QLabel(QString::fromLatin1(angleCaptions[r]), frame), 1 + r, 5,
                    Qt::AlignRight);
    QLineEdit* angle = boxes_.box(kCalculatorAngleBoxes[static_cast<std::size_t>(r)]);
    // An angle in full: up to 15 significant digits, "125.264389682754".
    angle->setFixedWidth(BoxWidthFor(*angle, QStringLiteral("000.000000000000")));
    grid->addWidget(angle, 1 + r, 6);
    grid->addWidget(new QLabel(QStringLiteral("deg."), frame), 1 + r, 7);
  }
  grid->setColumnMinimumWidth(4, 8);

  auto* zoneRow = new QHBoxLayout;
  zoneRow->addWidget(new QLabel(QStringLiteral("zone axis"), frame));
  for (spot::Box b : kCalculatorZoneBoxes) {
    QLineEdit* edit = boxes_.box(b);
    edit->setFixedWidth(52);
    edit->setAlignment(Qt::AlignCenter);
    zoneRow->addWidget(edit);
  }
  fourIndexLabel_ = new QLabel(frame);
  fourIndexLabel_->setObjectName(QStringLiteral("ZoneAxis4Label"));
  fourIndexLabel_->setToolTip(tr("The zone axis in four indices [u v t w] of a hexagonal cell"));
  zoneRow->addWidget(fourIndexLabel_);
  zoneRow->addStretch(1);
  grid->addLayout(zoneRow, 4, 0, 1, 8);

  auto* spacings = new QGridLayout;
  for (int i = 0; i < 3; ++i) {
    auto* label = new QLabel(FromUtf8(SpacingCaption(i, std::nullopt)), frame);
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

QString CalculatorPanel::planeLabel(int plane) const {
  // The texts exactly as typed, between full-width parentheses.
  const auto& row = kCalculatorIndexBoxes[plane];
  return QStringLiteral("（") + boxes_.text(row[0]) + QLatin1Char(' ') + boxes_.text(row[1]) +
         QLatin1Char(' ') + boxes_.text(row[2]) + QStringLiteral("）");
}

void CalculatorPanel::calculate() {
  const BoxTexts texts = boxes_.texts();
  if (const std::optional<spot::Box> bad = FirstNonNumericIndexBox(texts)) {
    prompts_.showMessage(FromUtf8(kMessagePhaseBoxes));
    boxes_.focusAndSelect(*bad);
    return;
  }
  const std::array<PlaneVector, 3> planes = ReadCalculatorPlanes(texts);
  const PlaneTripletCalculation result =
      CalculatePlaneTriplet(ReadLatticeParameters(texts), planes[0], planes[1], planes[2]);
  showCalculation(result);
  showFourIndexAxis(result, ReadLatticeParameters(texts));
  if (!result.fault) {
    emit sketchLabelsChanged(planeLabel(0), planeLabel(1), planeLabel(2), zoneAxisLabel());
    return;
  }
  emit sketchLabelsReset();
  prompts_.showMessage(FromUtf8(FaultMessage(*result.fault)));
  boxes_.focusAndSelect(FaultBox(*result.fault));
}

void CalculatorPanel::showCalculation(const PlaneTripletCalculation& result) {
  // What could not be calculated shows as not calculated, never as an earlier plane's values.
  const auto shown = [](const std::optional<double>& value) {
    return value ? FromUtf8(FormatGeneral(*value)) : FromUtf8(kNotCalculatedText);
  };
  for (std::size_t i = 0; i < 3; ++i) {
    boxes_.setText(kCalculatorZoneBoxes[i],
                   shown(result.zoneAxis ? std::optional((*result.zoneAxis)[i]) : std::nullopt));
    boxes_.setText(kCalculatorAngleBoxes[i], shown(result.angles[i]));
    spacingLabels_[i]->setText(FromUtf8(SpacingCaption(static_cast<int>(i), result.spacings[i])));
  }
}

void CalculatorPanel::showFourIndexAxis(const PlaneTripletCalculation& result,
                                        const LatticeParameters& cell) {
  QString text;
  if (result.zoneAxis && IsHexagonalCell(cell)) {
    const auto& axis = *result.zoneAxis;
    // Whole numbers only: indices typed with decimals have no four-index form worth showing.
    const bool whole = std::all_of(axis.begin(), axis.end(), [](double x) {
      return std::fabs(x) < 1e15 && x == std::round(x);
    });
    if (whole) {
      const FourIndexDirection d = FourIndexDirectionOf(
          {std::llround(axis[0]), std::llround(axis[1]), std::llround(axis[2])});
      text = QStringLiteral("= [%1 %2 %3 %4]").arg(d.u).arg(d.v).arg(d.t).arg(d.w);
    }
  }
  fourIndexLabel_->setText(text);
}

QString CalculatorPanel::zoneAxisLabel() const {
  return QStringLiteral("Z=[") + boxes_.text(spot::Box::CalcZoneU) + QLatin1Char(' ') +
         boxes_.text(spot::Box::CalcZoneV) + QLatin1Char(' ') + boxes_.text(spot::Box::CalcZoneW) +
         QStringLiteral("]");
}

void CalculatorPanel::clean() {
  for (const auto& row : kCalculatorIndexBoxes)
    for (spot::Box b : row)
      boxes_.setText(b, QString());
  clearOutputs();
  emit sketchLabelsReset();
}

void CalculatorPanel::clearOutputs() {
  showCalculation(PlaneTripletCalculation{});
  fourIndexLabel_->clear();
}

} // namespace spot
