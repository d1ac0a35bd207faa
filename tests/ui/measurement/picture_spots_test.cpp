// Spot work in the picture view: the grey values it hands to spot finding for every kind of
// picture it opens, "Find spots" off the window's thread, the circles on the picture, and line
// ends snapping to spot centres through the mouse.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "crystal/cif_import.hpp"
#include "support/cif_samples.hpp"
#include "support/synthetic_picture.hpp"
#include "ui/common/box_array.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/common/generated_picture_file.hpp"
#include "ui/measurement/grey_picture.hpp"
#include "ui/measurement/picture_tools.hpp"
#include "ui/measurement/picture_view.hpp"

namespace spot {
namespace {

using testing::PictureRecipe;
using testing::ToQImage;
using testing::TrueSpot;

/// A 320 x 280 pattern: a saturated direct beam at (160.3, 139.6) and bright spots of sigma 2.5
/// on the lattice r1 = (52.4, 8.1), r2 = (-11.2, 47.9) px, with noise 2 and a scale bar with
/// its caption.
struct LatticePicture {
  PictureRecipe recipe;
  std::vector<TrueSpot> truth;
  LatticePicture() {
    recipe.width = 320;
    recipe.height = 280;
    recipe.beamX = 160.3;
    recipe.beamY = 139.6;
    recipe.beamAmplitude = 900;
    recipe.noise = 2;
    recipe.scaleBar = true;
    for (int i = -3; i <= 3; ++i)
      for (int j = -3; j <= 3; ++j) {
        const double x = recipe.beamX + 52.4 * i - 11.2 * j;
        const double y = recipe.beamY + 8.1 * i + 47.9 * j;
        // Clear of the edges and of the scale bar and its caption in the lower left corner.
        if ((i == 0 && j == 0) || x < 6 || y < 6 || x > 313 || y > 273 || (x < 160 && y > 205))
          continue;
        truth.push_back({x, y, 120, 2.5});
      }
  }
  QString save(const QTemporaryDir& dir, const QString& name, bool sixteenBit = false) const {
    const QString path = dir.filePath(name);
    EXPECT_TRUE(ToQImage(RenderPicture(recipe, truth), sixteenBit).save(path));
    return path;
  }
};

/// The found spot nearest to a point (own pixels), and its distance.
std::pair<const Spot*, double> nearestSpot(const std::vector<Spot>& spots, double x, double y) {
  const Spot* best = nullptr;
  double distance = 1e9;
  for (const Spot& s : spots)
    if (std::hypot(s.x - x, s.y - y) < distance) {
      best = &s;
      distance = std::hypot(s.x - x, s.y - y);
    }
  return {best, distance};
}

struct SpotsInTheView : ::testing::Test {
  QWidget window;
  BoxArray boxes{&window};
  testing::FakePrompts prompts;
  MeasurementState state;
  PictureView* view = new PictureView(state, boxes, prompts, &window);
  PictureTools* tools = new PictureTools(*view, &window);
  QTemporaryDir dir;
  LatticePicture pattern;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    view->setGeometry(0, 0, 400, 300);
    tools->setGeometry(400, 0, 160, 300);
    window.resize(560, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  /// Opens the picture, presses "Find spots" and waits for them.
  void findSpots(const QString& file) {
    ASSERT_TRUE(view->loadPicture(file));
    QTest::mouseClick(tools->findSpotsButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !view->findingSpots(); }, 10000));
  }
  /// Widget position of a point in the picture's own pixels at the current view.
  QPointF onScreen(double x, double y) const {
    const ScreenPoint p = view->viewGeometry().toScreen(FromPixelCentres(x, y));
    return {p.x, p.y};
  }
};

TEST(GreyPicture, KeepsGreyValuesAndReadsColourAsLuminanceOnThePicturesOwnScale) {
  // Grey pictures keep their values, 16-bit ones all 16 bits.
  QImage grey16(3, 2, QImage::Format_Grayscale16);
  const quint16 values16[2][3] = {{0, 1000, 65535}, {257, 40001, 7}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      reinterpret_cast<quint16*>(grey16.scanLine(y))[x] = values16[y][x];
  const GreyImage g16 = GreyImageOf(grey16);
  ASSERT_EQ(g16.width, 3);
  ASSERT_EQ(g16.height, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(g16.at(x, y), values16[y][x]) << x << "," << y;
  EXPECT_TRUE(HasDeepPixels(grey16));

  QImage grey8(2, 1, QImage::Format_Grayscale8);
  grey8.scanLine(0)[0] = 3;
  grey8.scanLine(0)[1] = 250;
  const GreyImage g8 = GreyImageOf(grey8);
  EXPECT_EQ(g8.at(0, 0), 3);
  EXPECT_EQ(g8.at(1, 0), 250);
  EXPECT_FALSE(HasDeepPixels(grey8));

  // Colour as Y = 0.299 R + 0.587 G + 0.114 B: (200, 100, 50) gives 59.8 + 58.7 + 5.7 = 124.2;
  // a grey colour pixel keeps its value.
  QImage colour(2, 1, QImage::Format_RGB32);
  colour.setPixel(0, 0, qRgb(200, 100, 50));
  colour.setPixel(1, 0, qRgb(77, 77, 77));
  const GreyImage gc = GreyImageOf(colour);
  EXPECT_FLOAT_EQ(gc.at(0, 0), 124.2f);
  EXPECT_EQ(gc.at(1, 0), 77);

  // An indexed picture through its colour table: (0, 0, 255) is 0.114 x 255 = 29.07.
  QImage indexed(2, 1, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(10, 10, 10), qRgb(0, 0, 255)});
  indexed.scanLine(0)[0] = 1;
  indexed.scanLine(0)[1] = 0;
  const GreyImage gi = GreyImageOf(indexed);
  EXPECT_FLOAT_EQ(gi.at(0, 0), 29.07f);
  EXPECT_EQ(gi.at(1, 0), 10);

  // 16-bit colour on the 0-65535 scale: (40000, 20000, 10000) gives 11960 + 11740 + 1140.
  QImage deep(1, 1, QImage::Format_RGBX64);
  deep.setPixelColor(0, 0, QColor::fromRgba64(40000, 20000, 10000));
  EXPECT_TRUE(HasDeepPixels(deep));
  EXPECT_FLOAT_EQ(GreyImageOf(deep).at(0, 0), 24840.0f);

  EXPECT_TRUE(GreyImageOf(QImage()).empty());
}

TEST(GreyPicture, TheViewKeepsTheSixteenBitValuesOfAPictureItOpens) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QImage frame(4, 3, QImage::Format_Grayscale16);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      reinterpret_cast<quint16*>(frame.scanLine(y))[x] = static_cast<quint16>(1000 * y + 3 * x + 1);
  // TIFF goes through the microscope reader, PNG through the common image readers.
  const QString tiff = dir.filePath(QStringLiteral("frame.tif"));
  const QString grey16 = dir.filePath(QStringLiteral("frame.png"));
  ASSERT_TRUE(frame.save(tiff) && frame.save(grey16));
  QImage colour(4, 3, QImage::Format_RGB32);
  colour.fill(qRgb(200, 100, 50));
  const QString png = dir.filePath(QStringLiteral("colour.png"));
  ASSERT_TRUE(colour.save(png));

  QWidget owner;
  BoxArray boxes(&owner);
  testing::FakePrompts prompts;
  MeasurementState state;
  PictureView view(state, boxes, prompts);
  view.findSpots(); // no picture yet: nothing to search
  EXPECT_FALSE(view.findingSpots());
  for (const QString& file : {tiff, grey16}) {
    ASSERT_TRUE(view.loadPicture(file));
    ASSERT_TRUE(view.fullDepth()); // where pictures deeper than 8 bits keep their values
    // 1000 y + 3 x + 1; the drawn copy has 8 bits, where 2004 would show as 8 (2004 / 257).
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ(view.fullDepth()->at(x, y), 1000 * y + 3 * x + 1)
            << file.toStdString() << x << "," << y;
  }
  ASSERT_TRUE(view.loadPicture(png));
  EXPECT_FLOAT_EQ(GreyImageOf(view.pixelSource()).at(2, 1), 124.2f);
}

TEST_F(SpotsInTheView, FindSpotsMarksEverySpotWithCirclesThatZoomAndPanWithThePicture) {
  EXPECT_FALSE(tools->findSpotsButton()->isEnabled()); // nothing to search yet
  findSpots(pattern.save(dir, QStringLiteral("pattern.tif"), true));
  // Every painted spot found within 0.15 px (bright spots: the library's accuracy goal for 15
  // noise sigmas and more), and nothing but them and the direct beam.
  for (const TrueSpot& t : pattern.truth) {
    const auto [found, distance] = nearestSpot(view->spots(), t.x, t.y);
    EXPECT_LT(distance, 0.15) << t.x << "," << t.y;
  }
  EXPECT_LE(view->spots().size(), pattern.truth.size() + 1);
  EXPECT_EQ(tools->spotsLabel()->text(),
            QStringLiteral("%1 spots found.").arg(view->spots().size()));

  // Circles in picture coordinates: two widths in radius, centred on the spot at every zoom
  // and after a pan.
  const auto [spot, ignored] = nearestSpot(view->spots(), pattern.truth[0].x, pattern.truth[0].y);
  const std::size_t index = static_cast<std::size_t>(spot - view->spots().data());
  for (int step = 0; step < 3; ++step) {
    const QRectF circle = view->spotCircleOnScreen(index);
    EXPECT_NEAR(circle.center().x(), onScreen(spot->x, spot->y).x(), 1e-9);
    EXPECT_NEAR(circle.center().y(), onScreen(spot->x, spot->y).y(), 1e-9);
    EXPECT_NEAR(circle.width(), std::max(6.0, 4 * spot->width * view->viewGeometry().scale()),
                1e-9);
    view->zoomIn();
  }
  const QPointF before = view->spotCircleOnScreen(index).center();
  EXPECT_TRUE(view->spotCircleOnScreen(view->spots().size()).isNull()); // past the last spot
  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(200, 150));
  QTest::mouseMove(view, QPoint(230, 140));
  QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(230, 140));
  EXPECT_NEAR(view->spotCircleOnScreen(index).center().x(), before.x() + 30, 1e-9);
  EXPECT_NEAR(view->spotCircleOnScreen(index).center().y(), before.y() - 10, 1e-9);

  // With the scale bar known (100 px for 2 1/nm) the solutions are placed at 50 px per 1/nm;
  // a bar of a negative value or length is not known.
  const auto calibration = [this](const char* value, const char* length) {
    boxes.setText(Box::ScaleBarValue, QString::fromLatin1(value));
    boxes.setText(Box::ScaleBarLength, QString::fromLatin1(length));
    return view->pictureEvidence()
        .value()
        .requestFor({}, LatticeType::Primitive, {1, 0, 0}, {0, 1, 0})
        .pxPerInverseNm;
  };
  EXPECT_EQ(calibration("2", "100"), 50.0);
  EXPECT_EQ(calibration("-2", "100"), 0.0);
  EXPECT_EQ(calibration("2", "-100"), 0.0);

  // Another picture forgets them.
  ASSERT_TRUE(view->loadPicture(pattern.save(dir, QStringLiteral("other.png"))));
  EXPECT_TRUE(view->spots().empty());
  EXPECT_TRUE(view->overlayRingOnScreen(0).isNull()); // nor any solution drawn on them
  EXPECT_TRUE(tools->spotsLabel()->isHidden());
}

TEST_F(SpotsInTheView, OpeningAnotherPictureOrClosingTheViewCancelsTheSearch) {
  // A big picture keeps the worker busy long enough to be overtaken.
  pattern.recipe.width = 1024;
  pattern.recipe.height = 1024;
  const QString big = pattern.save(dir, QStringLiteral("big.png"));
  pattern.recipe.width = 320;
  pattern.recipe.height = 280;
  const QString small = pattern.save(dir, QStringLiteral("small.png"));

  ASSERT_TRUE(view->loadPicture(big));
  view->findSpots();
  EXPECT_TRUE(view->findingSpots());
  EXPECT_FALSE(tools->findSpotsButton()->isEnabled());
  EXPECT_EQ(tools->spotsLabel()->text(), QStringLiteral("Finding spots…"));
  ASSERT_TRUE(view->loadPicture(small));
  EXPECT_FALSE(view->findingSpots());
  EXPECT_TRUE(tools->findSpotsButton()->isEnabled());
  QTest::qWait(200); // the big picture's spots never arrive
  EXPECT_TRUE(view->spots().empty());

  // The window closing stops a search; the spots known before it stay.
  findSpots(small);
  const std::size_t known = view->spots().size();
  ASSERT_GT(known, 0u);
  const QString count = tools->spotsLabel()->text();
  view->cancelFindSpots(); // nothing to stop: the count stays
  EXPECT_EQ(tools->spotsLabel()->text(), count);
  view->findSpots();
  view->cancelFindSpots();
  EXPECT_EQ(tools->spotsLabel()->text(), QStringLiteral("Spot search stopped."));
  QTest::qWait(100);
  EXPECT_EQ(view->spots().size(), known);

  // A view destroyed mid-search stops the worker and waits for it.
  ASSERT_TRUE(view->loadPicture(big));
  view->findSpots();
  delete view;
  view = nullptr;
  delete tools;
  tools = nullptr;
}

TEST_F(SpotsInTheView, LineEndsSnapToSpotCentresUnlessShiftIsHeld) {
  findSpots(pattern.save(dir, QStringLiteral("pattern.png")));
  view->toggleMeasureMode();
  // From spot (1, 0) to spot (-1, 1), each pressed and released 2 to 3 px off its centre, as a
  // steady hand does at zoom 1 (within 1.5 widths = 3.75 px of sigma 2.5).
  const double ax = pattern.recipe.beamX + 52.4, ay = pattern.recipe.beamY + 8.1;
  const double bx = pattern.recipe.beamX - 52.4 - 11.2, by = pattern.recipe.beamY - 8.1 + 47.9;
  const QPoint press = (onScreen(ax, ay) + QPointF(2, -1.6)).toPoint();
  const QPoint release = (onScreen(bx, by) + QPointF(-1.8, 2.2)).toPoint();
  QTest::mousePress(view, Qt::LeftButton, {}, press);
  QTest::mouseMove(view, release);
  // While the button is held the rubber band already ends on the spot the end will take.
  const auto [target, distance] = nearestSpot(view->spots(), bx, by);
  ASSERT_LT(distance, 0.15);
  EXPECT_NEAR(view->rubberBandOnScreen().p2().x(), onScreen(target->x, target->y).x(), 1e-9);
  QTest::mouseRelease(view, Qt::LeftButton, {}, release);
  const PictureLine& line = view->lastLine();
  const PicturePoint start = ToPixelCentres(line.start), end = ToPixelCentres(line.end);
  EXPECT_NEAR(start.x, ax, 0.15);
  EXPECT_NEAR(start.y, ay, 0.15);
  EXPECT_NEAR(end.x, bx, 0.15);
  EXPECT_NEAR(end.y, by, 0.15);
  // The length between the true centres, |(-2 x 52.4 - 11.2, -2 x 8.1 + 47.9)| = 120.26 px, to
  // the found centres' accuracy; it keeps its decimals.
  const double truth = std::hypot(2 * 52.4 + 11.2, -2 * 8.1 + 47.9);
  EXPECT_NEAR(view->measuredLengthPx(), truth, 0.3);
  EXPECT_NE(view->measuredLengthPx(), std::round(view->measuredLengthPx()));

  // With Shift held the end stays where the mouse let go; a press far from any spot too.
  QTest::mousePress(view, Qt::LeftButton, {}, press);
  QTest::mouseRelease(view, Qt::LeftButton, Qt::ShiftModifier, release);
  EXPECT_EQ(view->lastLine().end.x, view->viewGeometry().toPicture({release.x() + 0.0, 0}).x);
  EXPECT_NEAR(ToPixelCentres(view->lastLine().start).x, ax, 0.15);
  const QPoint empty = (onScreen(pattern.recipe.beamX + 26, pattern.recipe.beamY + 24)).toPoint();
  QTest::mousePress(view, Qt::LeftButton, {}, empty);
  QTest::mouseRelease(view, Qt::LeftButton, {}, empty);
  EXPECT_EQ(view->lastLine().start.x, view->viewGeometry().toPicture({empty.x() + 0.0, 0}).x);
}

TEST_F(SpotsInTheView, SpotsOnOneLineHoldNoPatternAndSaySo) {
  // A blank picture has no spot to find or to show a solution on.
  QImage blank(60, 40, QImage::Format_Grayscale8);
  blank.fill(20);
  ASSERT_TRUE(blank.save(dir.filePath(QStringLiteral("blank.png"))));
  findSpots(dir.filePath(QStringLiteral("blank.png")));
  EXPECT_EQ(tools->spotsLabel()->text(), QStringLiteral("No spots found."));
  EXPECT_FALSE(tools->measurePatternButton()->isEnabled());
  view->showSolution({1, 0, 0}, {0, 1, 0}, LatticeType::Primitive);
  EXPECT_EQ(tools->overlayLabel()->text(),
            QStringLiteral("Find spots to see the chosen solution on the picture."));
  // The direct beam alone is one spot, and no lattice.
  pattern.recipe.scaleBar = false;
  ASSERT_TRUE(
      ToQImage(RenderPicture(pattern.recipe, {})).save(dir.filePath(QStringLiteral("beam.png"))));
  findSpots(dir.filePath(QStringLiteral("beam.png")));
  EXPECT_TRUE(tools->spotsLabel()->text().startsWith(
      QStringLiteral("1 spot found. No pattern can be measured from them (")));

  // The direct beam and spots on one row only: no second direction, so no lattice.
  std::vector<TrueSpot> row;
  for (int i = -2; i <= 2; ++i)
    if (i != 0)
      row.push_back({pattern.recipe.beamX + 52.4 * i, pattern.recipe.beamY + 8.1 * i, 120, 2.5});
  const QString file = dir.filePath(QStringLiteral("row.png"));
  ASSERT_TRUE(ToQImage(RenderPicture(pattern.recipe, row)).save(file));
  findSpots(file);
  ASSERT_GE(view->spots().size(), 4u);
  EXPECT_FALSE(view->patternFit());
  const QString why = view->patternFitProblem();
  EXPECT_FALSE(why.isEmpty());
  EXPECT_TRUE(tools->spotsLabel()->text().endsWith(
      QStringLiteral(" No pattern can be measured from them (%1).").arg(why)));
  // So long a status wraps instead of widening the tools to its length.
  const QLabel* status = tools->spotsLabel();
  EXPECT_LT(status->minimumSizeHint().width(),
            status->fontMetrics().horizontalAdvance(status->text()));
  // The button stays, and says why when pressed; no box changes.
  ASSERT_TRUE(tools->measurePatternButton()->isEnabled());
  QTest::mouseClick(tools->measurePatternButton(), Qt::LeftButton);
  ASSERT_EQ(prompts.messages.size(), 1);
  EXPECT_EQ(prompts.messages[0], QStringLiteral("The pattern cannot be measured (%1).").arg(why));
  EXPECT_TRUE(boxes.text(Box::Length1).isEmpty());
  view->showSolution({1, 0, 0}, {0, 1, 0}, LatticeType::Primitive);
  EXPECT_FALSE(view->hasOverlay());
  EXPECT_EQ(tools->overlayLabel()->text(),
            QStringLiteral("No solution can be shown on the picture (%1).").arg(why));
}

TEST_F(SpotsInTheView, SpotsTheGroupForbidsAreMarkedAsPossibleDoubleDiffraction) {
  // Silicon's [0 1 1] zone, a = 0.54307 nm, at 20 px per 1/nm: (h k -k) at h / a across and
  // k sqrt 2 / a down, so (1 1 -1) at (36.8, 52.1) px and (2 0 0) at (73.6, 0) px. Painted:
  // the reflections diamond lets through (the F lattice less the all-even ones with
  // h + k + l = 2 mod 4) and the (2 0 0) pair that double diffraction brings back.
  const CrystalPhase silicon = ImportCifText(testing::kSiliconCif, "si.cif").phases.at(0);
  const double a = silicon.cell.a, unitX = 20 / a, unitY = 20 * std::sqrt(2.0) / a;
  PictureRecipe recipe = pattern.recipe;
  recipe.scaleBar = false;
  std::vector<TrueSpot> painted;
  for (int h = -4; h <= 4; ++h)
    for (int k = -3; k <= 3; ++k) {
      const bool fcc = (h - k) % 2 == 0, dark = h % 2 == 0 && k % 2 == 0 && (h % 4 + 4) % 4 == 2;
      const bool doubleDiffraction = k == 0 && std::abs(h) == 2;
      const double x = recipe.beamX + h * unitX, y = recipe.beamY + k * unitY;
      if ((h == 0 && k == 0) || !fcc || (dark && !doubleDiffraction) || x < 6 || y < 6 || x > 313 ||
          y > 273)
        continue;
      painted.push_back({x, y, 120, 2.5});
    }
  const QString file = dir.filePath(QStringLiteral("si011.png"));
  ASSERT_TRUE(ToQImage(RenderPicture(recipe, painted)).save(file));
  findSpots(file);
  ASSERT_EQ(view->spots().size(), painted.size() + 1); // and the direct beam
  ASSERT_TRUE(view->patternFit());
  // The row's planes from the fitted R1 and R2 in the frame above.
  const auto planeOf = [&](Vec2 r) {
    const int h = static_cast<int>(std::lround(r.x / unitX)),
              k = static_cast<int>(std::lround(r.y / unitY));
    return MillerIndex{h, k, -k};
  };
  const MillerIndex g1 = planeOf(view->patternFit()->r1), g2 = planeOf(view->patternFit()->r2);
  const char* cell[] = {"0.54307", "0.54307", "0.54307", "90", "90", "90"};
  const Box cellBoxes[] = {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma};
  for (int i = 0; i < 6; ++i)
    boxes.setText(cellBoxes[i], QString::fromUtf8(cell[i]));

  // Centring only: the F lattice explains every spot, nothing is marked.
  view->showSolution(g1, g2, LatticeType::FaceCenter);
  ASSERT_TRUE(view->hasOverlay());
  for (const std::optional<MillerIndex>& mark : view->overlayDoubleDiffraction())
    EXPECT_FALSE(mark);
  EXPECT_FALSE(tools->overlayLabel()->text().contains(QStringLiteral("double diffraction")));

  // The group and atoms: the (2 0 0) pair is neither predicted nor unexplained, but marked.
  view->showSolution(g1, g2, silicon.rule(), UnitCellAtoms(silicon));
  const PictureMatches matches = view->overlayMatches();
  const std::vector<std::optional<MillerIndex>> marks = view->overlayDoubleDiffraction();
  ASSERT_EQ(marks.size(), view->spots().size());
  int marked = 0;
  for (std::size_t j = 0; j < marks.size(); ++j) {
    const Spot& s = view->spots()[j];
    const bool at200 = std::abs(s.y - recipe.beamY) < 2 && std::abs(s.x - recipe.beamX) > 60 &&
                       std::abs(s.x - recipe.beamX) < 90;
    EXPECT_EQ(marks[j].has_value(), at200) << s.x << "," << s.y;
    EXPECT_EQ(matches.explained[j], !at200 && !matches.directBeam[j]) << s.x << "," << s.y;
    if (!marks[j]) continue;
    ++marked;
    const MillerIndex expected{s.x > recipe.beamX ? 2 : -2, 0, 0};
    EXPECT_EQ(*marks[j], expected);
  }
  EXPECT_EQ(marked, 2);
  for (const PredictedSpot& p : view->overlaySpots())
    EXPECT_FALSE(p.hkl == (MillerIndex{2, 0, 0}) || p.hkl == (MillerIndex{2, 2, -2}));
  EXPECT_TRUE(tools->overlayLabel()->text().endsWith(
      QStringLiteral(" 2 spots at forbidden positions: possible double diffraction.")));
}

} // namespace
} // namespace spot
