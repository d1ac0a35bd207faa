// The "Simulation" tab and its spot drawing.
#include "ui/online/simulation_panel.hpp"

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QRadialGradient>
#include <QVBoxLayout>
#include <algorithm> // for max, min
#include <cmath>     // for hypot, sqrt
#include <cstdlib>   // for abs
#include <optional>

#include "core/file_writing.hpp"
#include "core/number_format.hpp"
#include "core/numeric_text.hpp"
#include "crystal/crystal_phase.hpp"
#include "indexing/run_search.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/common/box_array.hpp"
#include "ui/common/prompts.hpp"
#include "ui/common/qt_text.hpp"
#include "ui/common/report_places.hpp"
#include "ui/measurement/measurement_state.hpp"

namespace spot {

std::vector<QPointF> SimulatedSpots() {
  // Net points i·a + j·b with |a| = |b| = 1 at 60°, kept while the hexagonal distance
  // max(|i|, |j|, |i + j|) is at most 3.
  constexpr int rings = 3;
  const double rowHeight = std::sqrt(3.0) / 2.0;
  std::vector<QPointF> spots{QPointF(0.0, 0.0)};
  for (int j = -rings; j <= rings; ++j)
    for (int i = -rings; i <= rings; ++i) {
      if ((i == 0 && j == 0) || std::max({std::abs(i), std::abs(j), std::abs(i + j)}) > rings)
        continue;
      spots.emplace_back(i + 0.5 * j, rowHeight * j);
    }
  return spots;
}

SpotPatternDrawing::SpotPatternDrawing(QWidget* parent) : QWidget(parent) {
  setMinimumSize(220, 220);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void SpotPatternDrawing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.fillRect(rect(), QColor(8, 8, 12));

  const double side = std::min(width(), height());
  const QPointF centre(width() / 2.0, height() / 2.0 - side * 0.04);
  const double spacing = side * 0.12; // three rings fill about three quarters of the side
  painter.setPen(Qt::NoPen);
  for (const QPointF& spot : SimulatedSpots()) {
    const double distance = std::hypot(spot.x(), spot.y());
    const bool central = distance == 0.0;
    // Outer reflections are weaker: smaller and dimmer with distance from the centre.
    const double radius = central ? spacing * 0.32 : spacing * (0.2 - 0.025 * distance);
    const int brightness = central ? 255 : std::max(90, static_cast<int>(235 - 40 * distance));
    const QPointF at = centre + spot * spacing;
    QRadialGradient glow(at, radius);
    glow.setColorAt(0.0, QColor(255, 255, 255, brightness));
    glow.setColorAt(central ? 0.6 : 0.45, QColor(230, 235, 255, brightness));
    glow.setColorAt(1.0, QColor(230, 235, 255, 0));
    painter.setBrush(glow);
    painter.drawEllipse(at, radius, radius);
  }

  // The scale bar and its label, lower left.
  const double barLength = spacing * 2.0;
  const QPointF barStart(side * 0.06, height() - side * 0.07);
  painter.setPen(QPen(Qt::white, std::max(2.0, side * 0.012), Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(barStart, barStart + QPointF(barLength, 0.0));
  QFont font = painter.font();
  font.setPixelSize(std::max(10, static_cast<int>(side * 0.045)));
  painter.setFont(font);
  painter.drawText(QRectF(barStart.x(), barStart.y() - font.pixelSize() * 1.8, barLength * 1.6,
                          font.pixelSize() * 1.5),
                   Qt::AlignLeft | Qt::AlignBottom, QString::fromLatin1(kScaleBarLabel));
}

SimulationPanel::SimulationPanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);

  auto* drawingFrame = new QGroupBox(QStringLiteral("Under development"), this);
  drawingFrame->setObjectName(QStringLiteral("Frame13(1)"));
  drawingFrame_ = drawingFrame;
  auto* drawingLayout = new QVBoxLayout(drawingFrame);
  // The zone, g_max, labels and export of the simulated pattern.
  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel(QStringLiteral("Zone axis ["), drawingFrame));
  const char* zoneNames[] = {"SimZoneU", "SimZoneV", "SimZoneW"};
  for (std::size_t i = 0; i < 3; ++i) {
    zone_[i] = new QLineEdit(drawingFrame);
    zone_[i]->setObjectName(QString::fromLatin1(zoneNames[i]));
    zone_[i]->setFixedWidth(40);
    controls->addWidget(zone_[i]);
  }
  controls->addWidget(new QLabel(QStringLiteral("]   g max"), drawingFrame));
  gMax_ = new QLineEdit(QStringLiteral("10"), drawingFrame);
  gMax_->setObjectName(QStringLiteral("SimGMax"));
  gMax_->setFixedWidth(50);
  controls->addWidget(gMax_);
  controls->addWidget(new QLabel(QStringLiteral("1/nm"), drawingFrame));
  labels_ = new QCheckBox(QStringLiteral("Labels"), drawingFrame);
  labels_->setObjectName(QStringLiteral("SimLabels"));
  controls->addWidget(labels_);
  controls->addStretch(1);
  exportPng_ = new QPushButton(QStringLiteral("Export PNG..."), drawingFrame);
  exportPng_->setObjectName(QStringLiteral("SimExportPng"));
  exportSvg_ = new QPushButton(QStringLiteral("Export SVG..."), drawingFrame);
  exportSvg_->setObjectName(QStringLiteral("SimExportSvg"));
  controls->addWidget(exportPng_);
  controls->addWidget(exportSvg_);
  drawingLayout->addLayout(controls);
  stack_ = new QStackedLayout;
  // The controls and the status line take room the pictures give up, so that the window still
  // fits a small screen.
  auto* drawing = new SpotPatternDrawing(drawingFrame);
  drawing->setMinimumSize(160, 160);
  stack_->addWidget(drawing);
  patternView_ = new SimulatedPatternView(drawingFrame);
  patternView_->setMinimumSize(160, 160);
  stack_->addWidget(patternView_);
  drawingLayout->addLayout(stack_, 1);
  status_ = new QLabel(drawingFrame);
  status_->setObjectName(QStringLiteral("SimStatus"));
  status_->setWordWrap(true);
  drawingLayout->addWidget(status_);
  layout->addWidget(drawingFrame, 1);
  exportPng_->setEnabled(false);
  exportSvg_->setEnabled(false);
  for (QLineEdit* box : {zone_[0], zone_[1], zone_[2], gMax_})
    connect(box, &QLineEdit::textChanged, this, &SimulationPanel::refresh);
  connect(labels_, &QCheckBox::toggled, patternView_, &SimulatedPatternView::setLabels);
  connect(exportPng_, &QPushButton::clicked, this,
          [this] { exportChosen(QStringLiteral("PNG picture (*.png)"), QStringLiteral(".png")); });
  connect(exportSvg_, &QPushButton::clicked, this,
          [this] { exportChosen(QStringLiteral("SVG drawing (*.svg)"), QStringLiteral(".svg")); });

  auto* invitation = new QLabel(QStringLiteral("给你一首歌的时间，留下你想说的话吧！"), this);
  invitation->setObjectName(QStringLiteral("Label13"));
  invitation->setWordWrap(true);
  layout->addWidget(invitation);

  auto* forumFrame = new QGroupBox(this);
  forumFrame->setObjectName(QStringLiteral("Frame8"));
  auto* forumLayout = new QHBoxLayout(forumFrame);
  forumButton_ = new QPushButton(QStringLiteral("官方论坛"), forumFrame);
  forumButton_->setObjectName(QStringLiteral("Command12"));
  forumLayout->addWidget(forumButton_);
  forumLayout->addStretch(1);
  layout->addWidget(forumFrame);
  connect(forumButton_, &QPushButton::clicked, this, &SimulationPanel::forumRequested);
}

} // namespace spot

namespace spot {
namespace {

// A whole number in a box, or nullopt.
std::optional<long long> wholeNumber(const QString& text) {
  if (!IsNumeric(ToUtf8(text))) return std::nullopt;
  const double value = NumericPrefix(ToUtf8(text));
  if (value != std::floor(value) || std::fabs(value) > 1000) return std::nullopt;
  return static_cast<long long>(value);
}

} // namespace

void SimulationPanel::connectSources(BoxArray& boxes, PhasePanel& phase, MeasurementState& state,
                                     Prompts& prompts) {
  boxes_ = &boxes;
  phase_ = &phase;
  state_ = &state;
  prompts_ = &prompts;
  // The calculator's zone axis (typed, from a result row or a family) becomes the panel's.
  for (int i = 0; i < 3; ++i)
    connect(boxes.box(static_cast<Box>(BoxNumber(Box::CalcZoneU) + i)), &QLineEdit::textChanged,
            this, [this, i](const QString& text) {
              if (wholeNumber(text)) zone_[static_cast<std::size_t>(i)]->setText(text.trimmed());
            });
  for (int i = BoxNumber(Box::A); i <= BoxNumber(Box::Gamma); ++i)
    connect(boxes.box(static_cast<Box>(i)), &QLineEdit::textChanged, this,
            &SimulationPanel::refresh);
  connect(phase.latticeTypeSelector(), &QComboBox::currentIndexChanged, this,
          &SimulationPanel::refresh);
  connect(&phase, &PhasePanel::attachedPhaseChanged, this, &SimulationPanel::refresh);
  connect(&state, &MeasurementState::linesChanged, this, &SimulationPanel::refresh);
  refresh();
}

void SimulationPanel::refresh() {
  const auto showDrawing = [this](const QString& why) {
    stack_->setCurrentIndex(0);
    drawingFrame_->setTitle(QStringLiteral("Under development"));
    status_->setText(why);
    exportPng_->setEnabled(false);
    exportSvg_->setEnabled(false);
  };
  if (!boxes_ || !phase_) return showDrawing(QString());
  std::array<long long, 3> zone{};
  bool anyZone = false;
  for (std::size_t i = 0; i < 3; ++i) {
    const auto value = wholeNumber(zone_[i]->text());
    if (!value) return showDrawing(QString());
    zone[i] = *value;
    anyZone = anyZone || *value != 0;
  }
  if (!anyZone) return showDrawing(QString());
  const BoxTexts texts = boxes_->texts();
  for (int i = BoxNumber(Box::A); i <= BoxNumber(Box::Gamma); ++i)
    if (!IsNumeric(texts[i])) return showDrawing(QString());
  const std::optional<ReflectionRule> rule = phase_->currentRule();
  if (!rule) return showDrawing(QString());

  SimulationRequest request;
  request.cell = ReadLatticeParameters(texts);
  request.rule = *rule;
  if (const CrystalPhase* attached = phase_->attachedPhase())
    request.unitCellAtoms = UnitCellAtoms(*attached);
  request.zone = {zone[0], zone[1], zone[2]};
  request.gMax = IsNumeric(ToUtf8(gMax_->text())) ? NumericPrefix(ToUtf8(gMax_->text())) : 0;
  if (request.gMax > 100) // a picture of hundreds of thousands of spots helps nobody
    return showDrawing(QStringLiteral("No simulation: g max above 100 1/nm"));
  SimulatedPattern pattern = SimulateZone(request);
  if (pattern.fault)
    return showDrawing(QStringLiteral("No simulation: ") +
                       FromUtf8(SimulationFaultMessage(*pattern.fault)));

  // Turned so that the calculator's first plane (else the x axis) lies along the measured R1.
  double rotation = 0;
  QString turned;
  if (state_ && state_->vectors.Measured1 == 1) {
    const PatternVectors& v = state_->vectors;
    const double target = std::atan2(v.Y1, -v.X1); // start minus end, y down on the picture
    double along = 0;
    const auto h = wholeNumber(FromUtf8(texts[Box::CalcH1]));
    const auto k = wholeNumber(FromUtf8(texts[Box::CalcK1]));
    const auto l = wholeNumber(FromUtf8(texts[Box::CalcL1]));
    for (const SimulatedSpot& s : pattern.spots)
      if (h && k && l &&
          s.hkl == MillerIndex{static_cast<int>(*h), static_cast<int>(*k), static_cast<int>(*l)})
        along = std::atan2(s.y, s.x);
    rotation = target - along;
    turned = QStringLiteral("  turned to the measured R1");
  }
  const std::size_t count = pattern.spots.size();
  patternView_->setPattern(std::move(pattern), rotation);
  stack_->setCurrentIndex(1);
  const QString name = phase_->nameBox()->text().trimmed();
  drawingFrame_->setTitle(
      QStringLiteral("Simulated pattern [%1 %2 %3]  ").arg(zone[0]).arg(zone[1]).arg(zone[2]) +
      name);
  status_->setText(QStringLiteral("%1 spots to %2 1/nm; spot area grows with the intensity")
                       .arg(count)
                       .arg(FromUtf8(FormatGeneral(request.gMax))) +
                   turned);
  exportPng_->setEnabled(true);
  exportSvg_->setEnabled(true);
}

bool SimulationPanel::exportPattern(const QString& path) {
  if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
    const PatternDrawing drawing =
        LayOutPattern(patternView_->pattern(), 800, patternView_->rotation());
    if (const auto failure =
            ReplaceFile(FileSystemPath(path), PatternSvg(drawing, labels_->isChecked()))) {
      if (prompts_)
        prompts_->showMessage(QStringLiteral("The drawing could not be written to ") + path +
                              QStringLiteral(": ") + FromUtf8(failure->reason));
      return false;
    }
    return true;
  }
  if (!patternView_->render(800).save(path, "PNG")) {
    if (prompts_)
      prompts_->showMessage(QStringLiteral("The picture could not be written to ") + path);
    return false;
  }
  return true;
}

void SimulationPanel::exportChosen(const QString& filter, const QString& suffix) {
  if (!prompts_ || !showsSimulation()) return;
  QString path = prompts_->chooseFileToSave(QStringLiteral("Export simulated pattern"),
                                            QStringLiteral("pattern") + suffix, filter);
  if (path.isEmpty()) return;
  if (!path.endsWith(suffix, Qt::CaseInsensitive)) path += suffix;
  exportPattern(path);
}

} // namespace spot
