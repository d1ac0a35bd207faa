// From the picture to the answer in the whole window: "Measure pattern" fills the boxes from
// the spots found, the chosen row or family is drawn on the picture, and the "Solutions" list
// ranks the families by how the picture agrees with them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>
#include <numbers>

#include "core/numeric_text.hpp"
#include "support/synthetic_picture.hpp"
#include "ui/calculation/phase_panel.hpp"
#include "ui/calculation/results_model.hpp"
#include "ui/calculation/results_panel.hpp"
#include "ui/calculation/results_view.hpp"
#include "ui/calculation/solutions_model.hpp"
#include "ui/calculation/solutions_panel.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/common/generated_picture_file.hpp"
#include "ui/measurement/grey_picture.hpp"
#include "ui/measurement/picture_tools.hpp"
#include "ui/measurement/picture_view.hpp"
#include "ui/measurement/slots_menu_controller.hpp"
#include "ui/shell/main_window.hpp"

namespace spot {
namespace {

// Cubic P, a = 0.4 nm, zone [0 0 1]: (1 0 0) and (0 1 0) at 2.5 1/nm, 90 degrees apart. At 20 px
// per 1/nm (a scale bar of 10 1/nm drawn 200 px long) each is 50 px, here turned 10 degrees
// counter-clockwise on the screen (y down): a = 50 (cos 10, -sin 10), b = 50 (sin 10, cos 10).
// One stray spot off the lattice, at centre + 0.37 a + 0.61 b.
constexpr double kStep = 50;
const double kTurn = 10 * std::numbers::pi / 180;
const double kAx = kStep * std::cos(kTurn), kAy = -kStep * std::sin(kTurn);
const double kBx = kStep * std::sin(kTurn), kBy = kStep * std::cos(kTurn);

struct PictureToAnswer : ::testing::Test {
  testing::FakeEnvironment fake;
  std::unique_ptr<MainWindow> window;
  QTemporaryDir dir;
  testing::PictureRecipe recipe;
  std::vector<testing::TrueSpot> truth;
  testing::TrueSpot stray;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    window = std::make_unique<MainWindow>(fake.environment());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    recipe.width = 360;
    recipe.height = 300;
    recipe.beamX = 180.3;
    recipe.beamY = 150.6;
    recipe.beamAmplitude = 900;
    recipe.noise = 2;
    for (int i = -5; i <= 5; ++i)
      for (int j = -5; j <= 5; ++j) {
        const double x = recipe.beamX + i * kAx + j * kBx, y = recipe.beamY + i * kAy + j * kBy;
        if ((i != 0 || j != 0) && x > 6 && y > 6 && x < recipe.width - 7 && y < recipe.height - 7)
          truth.push_back({x, y, 120, 2.5});
      }
    stray = {recipe.beamX + 0.37 * kAx + 0.61 * kBx, recipe.beamY + 0.37 * kAy + 0.61 * kBy, 120,
             2.5};
    std::vector<testing::TrueSpot> painted = truth;
    painted.push_back(stray);
    const QString file = dir.filePath(QStringLiteral("zone001.png"));
    ASSERT_TRUE(testing::ToQImage(RenderPicture(recipe, painted)).save(file));
    ASSERT_TRUE(window->openPicture(file));
  }
  PictureView* view() const { return window->pictureView(); }
  PictureTools* tools() const { return window->pictureTools(); }
  void set(Box box, const char* text) { window->boxArray().setText(box, QString::fromUtf8(text)); }
  double number(Box box) const { return NumericPrefix(window->boxArray().text(box).toStdString()); }
  void findSpots() {
    QTest::mouseClick(tools()->findSpotsButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !view()->findingSpots(); }, 10000));
  }
  /// The fitted pattern measured, the scale bar typed, cubic P a = 0.4 nm searched to range 2.
  void measureAndSearch() {
    set(Box::ScaleBarValue, "10");
    set(Box::ScaleBarLength, "200");
    findSpots();
    QTest::mouseClick(tools()->measurePatternButton(), Qt::LeftButton);
    window->phasePanel()->unlock();
    for (Box box : {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma})
      set(box, box <= Box::C ? "0.4" : "90");
    set(Box::IndexRange, "2");
    window->phasePanel()->latticeTypeSelector()->setCurrentIndex(0);
    QTest::mouseClick(window->phasePanel()->calculateButton(), Qt::LeftButton);
    waitForRanking();
  }
  /// The "Solutions" list ranks by the picture off the window's thread.
  void waitForRanking() {
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return !window->solutionsPanel()->rankingByPicture(); }, 10000));
  }
  /// The predicted spot of the overlay with indices g, or nullptr.
  std::optional<PredictedSpot> predicted(MillerIndex g) const {
    for (const PredictedSpot& p : view()->overlaySpots())
      if (p.hkl == g) return p;
    return std::nullopt;
  }
};

TEST_F(PictureToAnswer, MeasurePatternWritesTheFittedVectorsAsConfirmedLines) {
  // Before spots are known the button is off, and the command says what to do first.
  EXPECT_FALSE(tools()->measurePatternButton()->isEnabled());
  view()->measurePattern();
  ASSERT_EQ(fake.prompts.messages.size(), 1);
  EXPECT_EQ(fake.prompts.messages[0],
            QStringLiteral("Find the spots first: the pattern is measured from them."));

  set(Box::ScaleBarValue, "10");
  set(Box::ScaleBarLength, "200");
  findSpots();
  ASSERT_TRUE(tools()->measurePatternButton()->isEnabled());
  QTest::mouseClick(tools()->measurePatternButton(), Qt::LeftButton);

  // |a| = |b| = 50 px, R3 = R1 + R2 = 50 sqrt 2 = 70.711 px, within 0.1 %; angles 90, 45, 45
  // within 0.05 degrees; each line spans one spacing.
  EXPECT_NEAR(number(Box::Length1), 50, 0.05);
  EXPECT_NEAR(number(Box::Length2), 50, 0.05);
  EXPECT_NEAR(number(Box::Length3), 50 * std::sqrt(2.0), 0.07);
  for (Box box : {Box::Number1, Box::Number2, Box::Number3})
    EXPECT_EQ(window->boxArray().text(box), QStringLiteral("1"));
  EXPECT_NEAR(number(Box::Angle12), 90, 0.05);
  EXPECT_NEAR(number(Box::Angle23), 45, 0.05);
  EXPECT_NEAR(number(Box::Angle13), 45, 0.05);
  // The solutions are placed from these lines: R1 and R2, 50 px each, at right angles.
  const PictureEvidence evidence = view()->pictureEvidence().value();
  EXPECT_NEAR(std::hypot(evidence.r1.x, evidence.r1.y), 50, 0.05);
  EXPECT_NEAR(std::hypot(evidence.r2.x, evidence.r2.y), 50, 0.05);
  EXPECT_NEAR(evidence.r1.x * evidence.r2.x + evidence.r1.y * evidence.r2.y, 0, 50 * 50 * 1e-3);
  // The lengths keep their decimals; the scale bar stays as the user typed it.
  EXPECT_TRUE(window->boxArray().text(Box::Length1).contains(QLatin1Char('.')));
  EXPECT_EQ(window->boxArray().text(Box::ScaleBarValue), QStringLiteral("10"));
  EXPECT_EQ(window->boxArray().text(Box::ScaleBarLength), QStringLiteral("200"));

  // Drawn as three lines from the direct beam (the view counts from the pixel's corner), the
  // fourth slot free for the scale bar.
  for (int slot = 0; slot < 3; ++slot) {
    ASSERT_TRUE(view()->lineSlots().slot(slot).visible) << slot;
    const PicturePoint start = ToPixelCentres(view()->lineSlots().slot(slot).line.start);
    EXPECT_NEAR(start.x, recipe.beamX, 0.1);
    EXPECT_NEAR(start.y, recipe.beamY, 0.1);
  }
  EXPECT_FALSE(view()->lineSlots().slot(3).visible);
  EXPECT_TRUE(
      QRegularExpression(QStringLiteral("^\\d+ spots found; the pattern was measured "
                                        "from \\d+ of them \\(residual \\d+\\.\\d\\d px\\)\\.$"))
          .match(tools()->spotsLabel()->text())
          .hasMatch())
      << tools()->spotsLabel()->text().toStdString();

  // The slots file keeps every decimal: saved and imported, the lengths come back as they were.
  fake.places.setFolder(dir.path());
  const QString length = window->boxArray().text(Box::Length3);
  fake.prompts.answers.push_back(QStringLiteral("zone001"));
  window->slotsMenu()->save();
  set(Box::Length3, "");
  window->slotsMenu()->importSlot(1);
  EXPECT_EQ(window->boxArray().text(Box::Length3), length);
}

TEST_F(PictureToAnswer, TheChosenRowOrFamilyIsDrawnWhereItsSpotsFall) {
  measureAndSearch();
  ResultsModel& rows = *window->resultsPanel()->model();
  ASSERT_GT(rows.rowCount(), 1);
  const PatternFit fit = *view()->patternFit();
  EXPECT_FALSE(view()->hasOverlay());

  // Moving to a row draws it: g1 where R1 ends, g2 where R2 ends, g1 + g2 where R3 ends and
  // 2 g1 twice as far as g1, each on a painted spot (the fit's error, 0.15 px, apart).
  ResultsView* list = window->resultsPanel()->view();
  list->selectionModel()->setCurrentIndex(rows.index(0, 0), QItemSelectionModel::ClearAndSelect);
  ASSERT_TRUE(view()->hasOverlay());
  const IndexingResult first = rows.result(0);
  const auto expectAt = [&](MillerIndex g, double x, double y) {
    const std::optional<PredictedSpot> p = predicted(g);
    ASSERT_TRUE(p) << g.h << g.k << g.l;
    EXPECT_NEAR(p->x, x, 0.15) << g.h << g.k << g.l;
    EXPECT_NEAR(p->y, y, 0.15) << g.h << g.k << g.l;
  };
  const double cx = recipe.beamX, cy = recipe.beamY;
  expectAt(first.g1, cx + fit.r1.x, cy + fit.r1.y);
  expectAt(first.g2, cx + fit.r2.x, cy + fit.r2.y);
  expectAt(first.g3, cx + fit.r3.x, cy + fit.r3.y);
  expectAt(first.g1 + first.g1, cx + 2 * fit.r1.x, cy + 2 * fit.r1.y);
  // And every painted spot is one of the predicted ones, found there; the stray spot is the one
  // detected spot nothing explains.
  const std::vector<PredictedSpot> spots = view()->overlaySpots();
  const PictureMatches matches = view()->overlayMatches();
  for (const testing::TrueSpot& t : truth) {
    bool found = false;
    for (std::size_t i = 0; i < spots.size(); ++i)
      found = found || (std::hypot(spots[i].x - t.x, spots[i].y - t.y) < 0.3 && matches.matched[i]);
    EXPECT_TRUE(found) << t.x << "," << t.y;
  }
  int unexplained = 0;
  for (std::size_t j = 0; j < view()->spots().size(); ++j)
    if (!matches.explained[j] && !matches.directBeam[j]) {
      ++unexplained;
      EXPECT_NEAR(view()->spots()[j].x, stray.x, 0.3);
      EXPECT_NEAR(view()->spots()[j].y, stray.y, 0.3);
    }
  EXPECT_EQ(unexplained, 1);
  // Rings sit on their spots on the screen, at every zoom.
  view()->zoomIn();
  const ScreenPoint ring =
      view()->viewGeometry().toScreen(FromPixelCentres(spots[0].x, spots[0].y));
  EXPECT_NEAR(view()->overlayRingOnScreen(0).center().x(), ring.x, 1e-9);
  EXPECT_NEAR(view()->overlayRingOnScreen(0).center().y(), ring.y, 1e-9);
  EXPECT_TRUE(view()->overlayRingOnScreen(view()->overlaySpots().size()).isNull()); // no ring
  EXPECT_TRUE(tools()->overlayLabel()->text().contains(QStringLiteral("%1 of %2 spots explained")
                                                           .arg(view()->spots().size() - 2)
                                                           .arg(view()->spots().size() - 1)));
  // The spots' misfit in pixels, to two decimals.
  EXPECT_TRUE(QRegularExpression(QStringLiteral("found, RMS \\d+\\.\\d\\d px\\.( |$)"))
                  .match(tools()->overlayLabel()->text())
                  .hasMatch())
      << tools()->overlayLabel()->text().toStdString();

  // A second row replaces it; the check box hides it without forgetting it.
  const IndexingResult second = rows.result(1);
  list->selectionModel()->setCurrentIndex(rows.index(1, 0), QItemSelectionModel::ClearAndSelect);
  expectAt(second.g1, cx + fit.r1.x, cy + fit.r1.y);
  QTest::mouseClick(tools()->overlayCheckBox(), Qt::LeftButton);
  EXPECT_FALSE(view()->overlayShown());
  EXPECT_TRUE(view()->hasOverlay());
  QTest::mouseClick(tools()->overlayCheckBox(), Qt::LeftButton);
  EXPECT_TRUE(view()->overlayShown());
  view()->setOverlayShown(false); // the box shows the view's state, whoever changes it
  EXPECT_FALSE(tools()->overlayCheckBox()->isChecked());
  view()->setOverlayShown(true);

  // A family draws its representative's planes.
  SolutionsPanel* solutions = window->solutionsPanel();
  solutions->chooseFamily(0);
  const SolutionFamily& family = solutions->model()->family(0);
  expectAt(family.g1, cx + fit.r1.x, cy + fit.r1.y);
  expectAt(family.g2, cx + fit.r2.x, cy + fit.r2.y);

  // A new search forgets it.
  QTest::mouseClick(window->phasePanel()->calculateButton(), Qt::LeftButton);
  EXPECT_FALSE(view()->hasOverlay());
}

TEST_F(PictureToAnswer, FamiliesCarryThePicturesAgreementOnceSpotsAreFound) {
  SolutionsPanel* solutions = window->solutionsPanel();
  QHeaderView* header = solutions->view()->header();
  measureAndSearch();
  SolutionsModel& families = *solutions->model();
  ASSERT_EQ(families.rowCount(), 1); // cubic: every (1 0 0) + (0 1 0) row is one family
  ASSERT_TRUE(families.hasAgreements());
  EXPECT_FALSE(header->isSectionHidden(SolutionsModel::ExplainedColumn));
  // Every spot found but the direct beam and the stray one is explained.
  const int detected = static_cast<int>(view()->spots().size()) - 1;
  EXPECT_EQ(families.data(families.index(0, SolutionsModel::ExplainedColumn)).toString(),
            QStringLiteral("%1 of %2").arg(detected - 1).arg(detected));
  EXPECT_LT(families.agreement(0).rmsPx, 0.15);
  EXPECT_TRUE(solutions->findChild<QLabel*>(QStringLiteral("SolutionsTitle"))
                  ->text()
                  .endsWith(QStringLiteral(", ranked by the picture first")));
  EXPECT_TRUE(solutions->tieLabel()->isHidden());

  // Another picture has no spots yet: the next search ranks by score alone.
  ASSERT_TRUE(window->openPicture(dir.filePath(QStringLiteral("zone001.png"))));
  QTest::mouseClick(window->phasePanel()->calculateButton(), Qt::LeftButton);
  EXPECT_FALSE(families.hasAgreements());
  EXPECT_TRUE(header->isSectionHidden(SolutionsModel::ExplainedColumn));
}

} // namespace
} // namespace spot
