// The "Simulation" tab in the window: the fixed drawing until a phase and a zone are given, then
// the simulated pattern of the phase panel's phase (with its group and atoms) and the
// calculator's zone, turned to the measured R1, labelled on request and exported.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "crystal/cif_import.hpp"
#include "support/cif_samples.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/measurement/measurement_state.hpp"
#include "ui/online/simulation_panel.hpp"
#include "ui/shell/main_window.hpp"

namespace spot {
namespace {

const SimulatedSpot* spotOf(const SimulatedPattern& p, MillerIndex g) {
  for (const SimulatedSpot& s : p.spots)
    if (s.hkl == g) return &s;
  return nullptr;
}

TEST(SimulationTab, DrawsThePhaseInTheZoneAndExportsIt) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  testing::FakeEnvironment fake;
  fake.places.setFolder(folder.path());
  MainWindow window(fake.environment());
  SimulationPanel& panel = *window.simulationPanel();
  const auto title = [&panel] {
    return panel.findChild<QGroupBox*>(QStringLiteral("Frame13(1)"))->title();
  };
  const auto exportable = [&panel] {
    return panel.findChild<QPushButton*>(QStringLiteral("SimExportPng"))->isEnabled() +
           panel.findChild<QPushButton*>(QStringLiteral("SimExportSvg"))->isEnabled();
  };
  // Nothing given: the drawing of old, nothing to export.
  EXPECT_FALSE(panel.showsSimulation());
  EXPECT_EQ(exportable(), 0);
  EXPECT_EQ(title(), QStringLiteral("Under development"));

  // Silicon with its group and atom, and the zone [0 1 1] typed into the calculator.
  window.phasePanel()->attachPhase(
      ImportCifText(spot::testing::kSiliconCif, "si.cif").phases.at(0));
  BoxArray& boxes = window.boxArray();
  boxes.setText(Box::CalcZoneU, QStringLiteral("0"));
  boxes.setText(Box::CalcZoneV, QStringLiteral("1"));
  boxes.setText(Box::CalcZoneW, QStringLiteral("1"));
  ASSERT_TRUE(panel.showsSimulation()) << panel.statusLabel()->text().toStdString();
  EXPECT_EQ(panel.zoneBox(1)->text(), QStringLiteral("1"));
  EXPECT_EQ(exportable(), 2);
  const SimulatedPattern& pattern = panel.patternView()->pattern();
  EXPECT_EQ(spotOf(pattern, {2, 0, 0}), nullptr); // forbidden by the d glide
  ASSERT_NE(spotOf(pattern, {2, 2, -2}), nullptr);
  EXPECT_EQ(spotOf(pattern, {2, 2, -2})->absent, SpotAbsence::Structure);
  EXPECT_DOUBLE_EQ(spotOf(pattern, {1, 1, -1})->intensity, 100);
  EXPECT_EQ(title(), QStringLiteral("Simulated pattern [0 1 1]  Si"));

  // A measured R1 along the picture's +x (start minus end = (-1, 0)) and the calculator's first
  // plane (1 1 -1): that spot is drawn along +x.
  MeasurementState& state = *window.measurementState();
  state.vectors.Measured1 = 1;
  state.vectors.X1 = -1;
  state.vectors.Y1 = 0;
  boxes.setText(Box::CalcH1, QStringLiteral("1"));
  boxes.setText(Box::CalcK1, QStringLiteral("-1"));
  boxes.setText(Box::CalcL1, QStringLiteral("1"));
  panel.refresh();
  EXPECT_EQ(panel.statusLabel()->text(),
            QStringLiteral("%1 spots to 10 1/nm; spot area grows with the intensity  turned to "
                           "the measured R1")
                .arg(panel.patternView()->pattern().spots.size()));
  // A long status line wraps instead of widening the panel to its length.
  const QLabel& status = *panel.statusLabel();
  EXPECT_LT(status.minimumSizeHint().width(),
            status.fontMetrics().horizontalAdvance(status.text()));
  const PatternDrawing drawing =
      LayOutPattern(panel.patternView()->pattern(), 400, panel.patternView()->rotation());
  const auto& spots = panel.patternView()->pattern().spots;
  for (std::size_t i = 0; i < spots.size(); ++i)
    if (spots[i].hkl == MillerIndex{1, -1, 1}) {
      EXPECT_GT(drawing.spots[i].x, drawing.centreX);
      EXPECT_NEAR(drawing.spots[i].y, drawing.centreY, 1e-9);
    }
  // Spot area grows with the intensity (100 the strongest), from a radius of 0.3 of the nearest
  // spacing: even the largest spots stay apart. A dark one keeps a ring a quarter as large.
  double nearest = 400;
  for (const PatternDrawing::Spot& d : drawing.spots)
    nearest = std::min(nearest, std::hypot(d.x - drawing.centreX, d.y - drawing.centreY));
  for (std::size_t i = 0; i < spots.size(); ++i)
    EXPECT_NEAR(drawing.spots[i].radius,
                spots[i].absent != SpotAbsence::None
                    ? 0.3 * nearest / 4
                    : std::max(1.0, 0.3 * nearest * std::sqrt(spots[i].intensity / 100)),
                1e-9);

  // Exports: an 800 px PNG and an SVG with a circle per spot and the labels asked for.
  panel.labelsBox()->setChecked(true);
  const QString png = QDir(folder.path()).filePath(QStringLiteral("p.png"));
  const QString svg = QDir(folder.path()).filePath(QStringLiteral("p.svg"));
  ASSERT_TRUE(panel.exportPattern(png));
  const QImage picture(png);
  EXPECT_EQ(picture.size(), QSize(800, 800));
  // Drawn white on black: the direct beam in the middle, (1 1 -1) where the layout puts it.
  const PatternDrawing big =
      LayOutPattern(panel.patternView()->pattern(), 800, panel.patternView()->rotation());
  const auto grey = [&](double x, double y) { return qGray(picture.pixel(int(x), int(y))); };
  EXPECT_EQ(grey(0, 0), 0);
  EXPECT_EQ(grey(400, 400), 255);
  for (std::size_t i = 0; i < spots.size(); ++i)
    if (spots[i].hkl == MillerIndex{1, -1, 1}) {
      EXPECT_EQ(grey(big.spots[i].x, big.spots[i].y), 255);
    }
  ASSERT_TRUE(panel.exportPattern(svg));
  QFile file(svg);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(file.readAll());
  EXPECT_EQ(text.count(QStringLiteral("<circle")), static_cast<int>(pattern.spots.size()) + 1);
  EXPECT_TRUE(text.contains(QStringLiteral(">1 1 -1</text>")));
  EXPECT_TRUE(text.contains(QStringLiteral(" 1/nm</text>")));
  // Neither a folder nor an SVG in a missing folder can be written: said, and false.
  const auto said = fake.prompts.messages.size();
  EXPECT_FALSE(panel.exportPattern(folder.path() + QStringLiteral("/")));
  EXPECT_FALSE(panel.exportPattern(folder.path() + QStringLiteral("/none/p.svg")));
  EXPECT_EQ(fake.prompts.messages.size(), said + 2); // one message for each
  // A panel apart from the window draws nothing and has no one to tell: only false.
  SimulationPanel alone;
  for (int i = 0; i < 3; ++i)
    alone.zoneBox(i)->setText(QString::number(i == 0)); // [1 0 0]
  EXPECT_FALSE(alone.showsSimulation());
  EXPECT_FALSE(alone.exportPattern(folder.path() + QStringLiteral("/")));
  EXPECT_FALSE(alone.exportPattern(folder.path() + QStringLiteral("/none/p.svg")));

  // The zone drawn is the one typed: each spot of [0 1 2] has k + 2 l = 0 (h u + k v + l w = 0).
  panel.zoneBox(2)->setText(QStringLiteral("2"));
  ASSERT_TRUE(panel.showsSimulation());
  EXPECT_FALSE(panel.patternView()->pattern().spots.empty());
  for (const SimulatedSpot& s : panel.patternView()->pattern().spots)
    EXPECT_EQ(s.hkl.k + 2 * s.hkl.l, 0) << s.hkl.h << " " << s.hkl.k << " " << s.hkl.l;

  // A zone that is no zone (not a whole number up to 1000), or [0 0 0], brings the drawing
  // back, with the reason for a bad g max.
  const std::pair<const char*, bool> zones[] = {
      {"1000", true}, {"x", false}, {"1001", false}, {"0.5", false}};
  for (const auto& [zone, shown] : zones) {
    panel.zoneBox(2)->setText(QString::fromLatin1(zone));
    EXPECT_EQ(panel.showsSimulation(), shown) << zone;
  }
  EXPECT_EQ(exportable(), 0);
  panel.zoneBox(1)->setText(QStringLiteral("0"));
  panel.zoneBox(2)->setText(QStringLiteral("0"));
  EXPECT_FALSE(panel.showsSimulation());
  EXPECT_EQ(panel.statusLabel()->text(), QString());
  panel.zoneBox(0)->setText(QStringLiteral("1"));
  panel.zoneBox(2)->setText(QStringLiteral("2"));
  EXPECT_TRUE(panel.showsSimulation());
  EXPECT_EQ(title(), QStringLiteral("Simulated pattern [1 0 2]  Si"));
  // A cell box without a number, the first as the last, brings the drawing back without a word.
  for (const Box box : {Box::A, Box::Gamma}) {
    const QString kept = boxes.text(box);
    boxes.setText(box, QStringLiteral("x"));
    EXPECT_FALSE(panel.showsSimulation());
    EXPECT_EQ(panel.statusLabel()->text(), QString());
    boxes.setText(box, kept);
  }
  panel.gMaxBox()->setText(QStringLiteral("100"));
  EXPECT_TRUE(panel.showsSimulation());
  panel.gMaxBox()->setText(QStringLiteral("100.5"));
  EXPECT_EQ(panel.statusLabel()->text(), QStringLiteral("No simulation: g max above 100 1/nm"));
  panel.gMaxBox()->setText(QStringLiteral("-3"));
  EXPECT_FALSE(panel.showsSimulation());
  EXPECT_TRUE(panel.statusLabel()->text().contains(QStringLiteral("g_max")));
}

} // namespace
} // namespace spot
