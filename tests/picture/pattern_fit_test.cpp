#include "picture/pattern_fit.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

#include "support/scoped_locale.hpp"
#include "support/synthetic_picture.hpp"

namespace spot {
namespace {

using testing::LatticeSpots;
using testing::PictureRecipe;
using testing::RenderPicture;
using testing::ScreenVector;

double angleBetween(Vec2 a, Vec2 b) {
  return std::acos((a.x * b.x + a.y * b.y) / std::hypot(a.x, a.y) / std::hypot(b.x, b.y)) * 180 /
         std::numbers::pi;
}

// Generated pictures of the zones of five lattices, each made from R1 and R2 as the rule picks
// them: R1 the shortest (of equally short ones the smallest counter-clockwise screen angle from
// +x), R2 the shortest not parallel, at least 90 degrees from R1 and first counter-clockwise.
// The goals: lengths (so spacings) within 0.1 %, angles within 0.05 degrees, the centre on the
// direct beam.
TEST(PatternFit, MeasuresGeneratedLatticesWithinTheGoals) {
  struct Case {
    const char* lattice;
    double l1, phi1, l2, gamma; // |R1|, its screen angle, |R2|, angle R1 to R2 (degrees)
    bool sixteenBit;
    double noise;
  };
  const std::vector<Case> cases = {
      // Square: equal vectors at 25, 115, 205, 295 degrees; the first is R1, R2 at 115.
      {"cubic", 40, 25, 40, 90, false, 4},
      // Rectangle: R1 = 35 px at 100 degrees (its negative at 280); R2 at 190, not 10.
      {"tetragonal", 35, 100, 52, 90, true, 6},
      // Hexagonal: six equal vectors from 12 degrees in steps of 60; R2 at 132 (120 from R1).
      {"hexagonal", 45, 12, 45, 120, false, 3},
      // Oblique, 105 degrees: |R1 + R2|² = 38² + 47² + 2·38·47·cos 105° = 52.2², so R2 is the
      // second shortest; -R2 makes 75 degrees.
      {"monoclinic", 38, 30, 47, 105, true, 8},
      // Oblique, 97.3 degrees: |R1 + R2| = 63.2 > 56.
      {"triclinic", 41, 5, 56, 97.3, false, 9},
  };
  for (std::size_t c = 0; c < cases.size(); ++c) {
    SCOPED_TRACE(cases[c].lattice);
    PictureRecipe recipe;
    recipe.sixteenBit = cases[c].sixteenBit;
    recipe.noise = cases[c].noise;
    recipe.beamX = 243.6 + 4 * c, recipe.beamY = 266.2 - 3 * c;
    recipe.beamAmplitude = 1500;
    recipe.scaleBar = true;
    recipe.seed = 40 + static_cast<unsigned>(c);
    const auto a = ScreenVector(cases[c].l1, cases[c].phi1);
    const auto b = ScreenVector(cases[c].l2, cases[c].phi1 + cases[c].gamma);
    const GreyImage image = RenderPicture(recipe, LatticeSpots(recipe, a, b, 7 + c));
    const PatternFitOutcome outcome = FitPattern(FindSpots(image), image.width, image.height);
    ASSERT_TRUE(outcome.fit) << outcome.message;
    const PatternFit& fit = *outcome.fit;
    EXPECT_NEAR(fit.centreX, recipe.beamX, 0.1);
    EXPECT_NEAR(fit.centreY, recipe.beamY, 0.1);
    EXPECT_NEAR(fit.r1.x, a[0], 1.0);
    EXPECT_NEAR(fit.r1.y, a[1], 1.0);
    EXPECT_NEAR(fit.r2.x, b[0], 1.0);
    EXPECT_NEAR(fit.r2.y, b[1], 1.0);
    EXPECT_NEAR(fit.r3.x, a[0] + b[0], 1.0);
    const double l3 = std::hypot(a[0] + b[0], a[1] + b[1]);
    EXPECT_NEAR(std::hypot(fit.r1.x, fit.r1.y) / cases[c].l1, 1, 0.001);
    EXPECT_NEAR(std::hypot(fit.r2.x, fit.r2.y) / cases[c].l2, 1, 0.001);
    EXPECT_NEAR(std::hypot(fit.r3.x, fit.r3.y) / l3, 1, 0.001);
    EXPECT_NEAR(angleBetween(fit.r1, fit.r2), cases[c].gamma, 0.05);
    const Vec2 r3{a[0] + b[0], a[1] + b[1]};
    EXPECT_NEAR(angleBetween(fit.r1, fit.r3), angleBetween({a[0], a[1]}, r3), 0.05);
    EXPECT_GT(fit.spotsUsed, 50);
    EXPECT_LT(fit.residualPx, 0.5);
  }
}

// The direct beam hidden (by a beam stop) or a given centre: the lattice still places it.
TEST(PatternFit, FindsTheCentreWithoutTheDirectBeamAndTakesAGivenOne) {
  PictureRecipe recipe;
  recipe.beamX = 261.4, recipe.beamY = 248.9;
  const auto a = ScreenVector(37, 20), b = ScreenVector(44, 120);
  const GreyImage image = RenderPicture(recipe, LatticeSpots(recipe, a, b, 3));
  const std::vector<Spot> spots = FindSpots(image);
  const PatternFitOutcome hidden = FitPattern(spots, image.width, image.height);
  ASSERT_TRUE(hidden.fit) << hidden.message;
  EXPECT_NEAR(hidden.fit->centreX, 261.4, 0.15);
  EXPECT_NEAR(hidden.fit->centreY, 248.9, 0.15);

  // Given 2 px off, the fit refines it onto the node.
  const PatternFitOutcome given = FitPattern(spots, image.width, image.height, Vec2{263, 247});
  ASSERT_TRUE(given.fit) << given.message;
  EXPECT_NEAR(given.fit->centreX, 261.4, 0.15);
  EXPECT_NEAR(given.fit->centreY, 248.9, 0.15);
}

// What cannot be fitted says why: a centre off the picture, no spots, spots in one row only;
// a second row of two spots is just enough.
TEST(PatternFit, NamesTheFaults) {
  const std::vector<Spot> row = {
      {100, 100, 9, 2}, {140, 100, 5, 2}, {60, 100, 5, 2}, {180, 100, 3, 2}};
  const PatternFitOutcome outside = FitPattern(row, 300, 200, Vec2{300, 50});
  EXPECT_EQ(outside.fault, PatternFitFault::CentreOutside);
  EXPECT_FALSE(outside.fit);
  EXPECT_EQ(outside.message, "the centre (300, 50) lies outside the picture of 300 x 200 pixels");
  {
    testing::ScopedLocale locale; // a point, never the desktop's comma
    locale.useCommaDecimal();
    EXPECT_EQ(FitPattern(row, 300, 200, Vec2{12.25, -3.5}).message,
              "the centre (12.25, -3.5) lies outside the picture of 300 x 200 pixels");
  }
  EXPECT_EQ(FitPattern(row, 300, 200, Vec2{299.5, -0.5}).fault, PatternFitFault::NoLattice);
  EXPECT_EQ(FitPattern({}, 300, 200).fault, PatternFitFault::NoLattice);
  const PatternFitOutcome collinear = FitPattern(row, 300, 200);
  EXPECT_EQ(collinear.fault, PatternFitFault::NoLattice);
  EXPECT_EQ(collinear.message,
            "no lattice found: the picture has fewer than two non-parallel spot vectors");
  // A row of seven spots 20 px apart and two 30 px above its first and third: the most common
  // vectors, (20, 0) and (40, 0), come from 6 pairs each, (0, 30) from 2, each pair counted from
  // both ends: 4 of 12 is the 30 % a lattice vector needs, so the second row still makes a lattice.
  // One of the two is 0.6 px off its node to the right and down: the vectors from it fall into
  // the 1 px cells beside (right of and below) those from the other; a cell counts its
  // neighbours too.
  std::vector<Spot> twoRows = {{100, 130, 1, 2}, {140.6, 130.6, 1, 2}};
  for (int i = 0; i < 7; ++i)
    twoRows.push_back({100.0 + 20 * i, 100, 1, 2});
  const PatternFitOutcome fewAbove = FitPattern(twoRows, 300, 200);
  ASSERT_TRUE(fewAbove.fit) << fewAbove.message;
  EXPECT_EQ(fewAbove.fit->spotsUsed, 9);
  // Three spots are the fewest that span a plane.
  twoRows.resize(3);
  EXPECT_EQ(FitPattern(twoRows, 300, 200).fit.value_or(PatternFit{}).spotsUsed, 3);
}

// Spots placed by hand on the nodes centre + i a + j b, intensity 1 each, brightest first.
std::vector<Spot> gridSpots(Vec2 centre, Vec2 a, Vec2 b, int i0, int i1, int j0, int j1) {
  std::vector<Spot> spots;
  for (int i = i0; i <= i1; ++i)
    for (int j = j0; j <= j1; ++j)
      spots.push_back({centre.x + i * a.x + j * b.x, centre.y + i * a.y + j * b.y, 1, 2});
  return spots;
}

// A centre or vector of a lattice placed by hand: exact, up to rounding.
void ExpectAt(Vec2 got, Vec2 expected) {
  EXPECT_NEAR(got.x, expected.x, 1e-9);
  EXPECT_NEAR(got.y, expected.y, 1e-9);
}

// Exact spot positions, so every expected number is a node of the lattice drawn.
TEST(PatternFit, IndexesOnlySpotsOnNodesAndKeepsTheCentreOnThePicture) {
  // a = (30, 0), b = (10, 25): |b| = 26.9 is the shortest, so R1 = -b (at 111.8 degrees, not
  // 291.8), and R2 = a, the shortest of the rest at 111.8 degrees from it.
  const Vec2 a{30, 0}, b{10, 25};
  std::vector<Spot> spots = gridSpots({150, 120}, a, b, -2, 2, -2, 2);
  std::swap(spots[0], spots[12]); // the middle one first, brighter
  spots[0].intensity = 2;
  // Five stray spots, each at least 0.3 of a cell off every node, on no common vector; and one
  // 0.15 a + 0.1 b = 6 px off node (1, 0): near enough to index, far enough to leave as an outlier.
  for (const auto& [u, v] :
       {std::pair{0.5, 0.4}, {-0.35, 0.45}, {1.3, -0.5}, {-1.45, -1.3}, {0.4, 1.0}, {1.15, 0.1}})
    spots.push_back({150 + u * a.x + v * b.x, 120 + u * a.y + v * b.y, 0.5, 2});
  // A seventh 1 px from the corner node (2, 2): its vectors to the nodes beside it fall among the
  // lattice's own and pull a start taken from them; the fit, without the spot, is exact.
  spots.push_back({150 + 2 * a.x + 2 * b.x + 0.8, 120 + 2 * a.y + 2 * b.y + 0.6, 0.5, 2});
  const PatternFitOutcome strays = FitPattern(spots, 300, 240);
  ASSERT_TRUE(strays.fit) << strays.message;
  EXPECT_EQ(strays.fit->spotsUsed, 25);
  EXPECT_NEAR(strays.fit->residualPx, 0, 1e-9);
  ExpectAt({strays.fit->centreX, strays.fit->centreY}, {150, 120});
  ExpectAt(strays.fit->r1, {-10, -25});
  ExpectAt(strays.fit->r2, {30, 0});

  // Rows 5.5 spacings apart: the eight nearest spots of each lie on its own row.
  std::vector<Spot> rows = gridSpots({200, 200}, {12, 0}, {0, 66}, -16, 16, -2, 2);
  std::swap(rows[0], rows[82]); // the middle one first, brighter
  rows[0].intensity = 2;
  const PatternFitOutcome narrow = FitPattern(rows, 400, 400);
  ASSERT_TRUE(narrow.fit) << narrow.message;
  EXPECT_EQ(narrow.fit->spotsUsed, 33 * 5);
  ExpectAt(narrow.fit->r1, {12, 0});
  EXPECT_NEAR(narrow.fit->r2.x, 0, 1e-9);
  EXPECT_NEAR(std::fabs(narrow.fit->r2.y), 66, 1e-9);

  // Rows j = -2..-1 and 1..2 empty where |i| <= 2: the first fit, within two nodes of the
  // centre, sees one row only and has no plane to span; the wider ones find the lattice.
  std::vector<Spot> gap = gridSpots({250, 250}, a, b, -5, 5, -4, 4);
  std::swap(gap[0], gap[49]);
  gap[0].intensity = 2;
  std::erase_if(gap, [](const Spot& s) {
    const double j = (s.y - 250) / 25, i = (s.x - 250 - 10 * j) / 30;
    return j != 0 && std::fabs(j) <= 2 && std::fabs(i) <= 2;
  });
  const PatternFitOutcome row = FitPattern(gap, 501, 501);
  ASSERT_TRUE(row.fit) << row.message;
  EXPECT_EQ(row.fit->spotsUsed, 99 - 20);
  EXPECT_NEAR(row.fit->residualPx, 0, 1e-9);
  EXPECT_NEAR(row.fit->centreX, 250, 1e-9);

  // The same spots given for a picture 100 px tall: the most symmetric node (y = 120) lies below
  // it. Of the nodes on the picture (y = 95 at j = -1), (0, -1) at (140, 95) has its mirror pairs
  // in rows j = -2..0 and all five columns: 14 pairs, against 8 for its neighbours (three columns).
  spots.resize(25);
  const PatternFitOutcome cut = FitPattern(spots, 300, 100);
  ASSERT_TRUE(cut.fit) << cut.message;
  ExpectAt({cut.fit->centreX, cut.fit->centreY}, {140, 95});

  // The direct beam in a corner of its pattern (the rest cut off), top left or bottom right, the
  // spots fading with the fourth power of their distance from it: the pairs about any other node
  // are unequal and weigh 4.3 at most, less than the beam's own 0.3 x 25 spots; the centre is the
  // beam, at the corner.
  for (const auto& [beamX, beamY, first] : {std::tuple{60.0, 50.0, 0}, {180.0, 150.0, -4}}) {
    std::vector<Spot> corner =
        gridSpots({beamX, beamY}, {30, 0}, {0, 25}, first, first + 4, first, first + 4);
    for (Spot& s : corner) {
      const double d2 = (s.x - beamX) * (s.x - beamX) + (s.y - beamY) * (s.y - beamY);
      s.intensity = d2 > 0 ? 1 / (d2 * d2) : 10;
    }
    std::sort(corner.begin(), corner.end(),
              [](const Spot& l, const Spot& r) { return l.intensity > r.intensity; });
    const PatternFitOutcome beam = FitPattern(corner, 300, 200);
    ASSERT_TRUE(beam.fit) << beam.message;
    ExpectAt({beam.fit->centreX, beam.fit->centreY}, {beamX, beamY});
  }

  // Two columns of three equal spots, 30 px apart: the node in the middle of either column is
  // as symmetric as the other (two pairs and its own spot); the one nearer the middle of a
  // picture 232 px wide (x = 115.5, 14.5 px from 130 against 15.5 from 100) is the centre.
  // The middle is (side - 1) / 2 along both axes: a side of 231 puts it at 115, as near to 100
  // as to 130, and the node weighed first (100) stays; 232 puts it at 115.5, nearer to 130.
  for (const auto& [side, centre] : {std::pair{231, 100.0}, {232, 130.0}}) {
    const PatternFitOutcome across =
        FitPattern(gridSpots({100, 50}, {30, 0}, {0, 25}, 0, 1, -1, 1), side, 101);
    const PatternFitOutcome down =
        FitPattern(gridSpots({50, 100}, {0, 30}, {25, 0}, 0, 1, -1, 1), 101, side);
    ASSERT_TRUE(across.fit && down.fit);
    ExpectAt({across.fit->centreX, across.fit->centreY}, {centre, 50});
    ExpectAt({down.fit->centreX, down.fit->centreY}, {50, centre});
  }
  // Equal spots on columns i = -1..2, rows j = -1..1 about (100, 50), the first, without
  // (0, 1), with (3, 0): the node (1, 0) has 8 spots mirrored about it, (0, 0) only 6; both have
  // a spot of their own (0.3 x 12 spots each), and (1, 0), at (130, 50), is the centre.
  std::vector<Spot> offset = gridSpots({100, 50}, {30, 0}, {0, 25}, -1, 2, -1, 1);
  std::erase_if(offset, [](const Spot& s) { return s.x == 100 && s.y == 75; });
  offset.push_back({190, 50, 1, 2});
  std::swap(offset[0], offset[4]); // (100, 50) first
  const PatternFitOutcome moved = FitPattern(offset, 300, 100);
  ASSERT_TRUE(moved.fit) << moved.message;
  ExpectAt({moved.fit->centreX, moved.fit->centreY}, {130, 50});
  // Without the spot at (1, 0), under a beam stop: its 8 mirrored spots still outweigh (0, 0)'s
  // 0.3 x 11 and 4 mirrored; its own spot, not its own mirror image, would have tipped it.
  std::erase_if(offset, [](const Spot& s) { return s.x == 130 && s.y == 50; });
  const PatternFitOutcome hidden = FitPattern(offset, 300, 100);
  ASSERT_TRUE(hidden.fit) << hidden.message;
  ExpectAt({hidden.fit->centreX, hidden.fit->centreY}, {130, 50});

  // Two groups of 3 x 3 spots 3 px apart, one 6m px to the right of the other: 2m + 3 columns of
  // 3 nodes lie between their ends. Up to 250,000 nodes are weighed and the node midway, about
  // which the groups are symmetric, is the centre (m = 41665: 249,999 nodes); beyond, none is
  // chosen, and the centre stays where the fit began, on the brightest spot (m = 41666: 250,005).
  for (const int m : {41665, 41666}) {
    std::vector<Spot> far = gridSpots({43, 43}, {3, 0}, {0, 3}, -1, 1, -1, 1);
    const std::vector<Spot> second = gridSpots({43.0 + 6 * m, 43}, {3, 0}, {0, 3}, -1, 1, -1, 1);
    far.insert(far.end(), second.begin(), second.end());
    std::swap(far[0], far[4]);
    far[0].intensity = 10;
    const PatternFitOutcome fine = FitPattern(far, 300000, 100);
    ASSERT_TRUE(fine.fit) << fine.message;
    EXPECT_EQ(fine.fit->spotsUsed, 18);
    ExpectAt({fine.fit->centreX, fine.fit->centreY}, {m == 41665 ? 43.0 + 3 * m : 43, 43});
  }
}

// Spots by hand, so the expected numbers are the lattice drawn and its least-squares residuals.
TEST(PatternFit, ReducesTheLatticeAndDropsSpotsByTheSpreadOfAll) {
  // Two streaks from one spot, along a = (30, 0) and b = (36, 12): the vectors most spots share
  // are a and b, though the lattice's shortest is b - a = (6, 12) (only the streaks' first spots
  // make it) and the shortest not parallel to it a - (b - a) = (24, -12), at a right angle.
  // R1 = -(6, 12) (screen angle 117 degrees, against 297), R2 = (-24, 12) (90 degrees on,
  // against 270), R3 = R1 + R2.
  std::vector<Spot> streaks = {{20, 20, 2, 2}};
  for (int k = 1; k <= 8; ++k)
    streaks.push_back({20 + 30.0 * k, 20, 1, 2}),
        streaks.push_back({20 + 36.0 * k, 20 + 12.0 * k, 1, 2});
  const PatternFitOutcome reduced = FitPattern(streaks, 340, 140);
  ASSERT_TRUE(reduced.fit) << reduced.message;
  EXPECT_EQ(reduced.fit->spotsUsed, 17);
  ExpectAt(reduced.fit->r1, {-6, -12});
  ExpectAt(reduced.fit->r2, {-24, 12});
  ExpectAt(reduced.fit->r3, {-30, 0});
  // A 5 x 5 grid, x moved by +-1 px on the corners of rectangles of nodes (+ on one diagonal,
  // - on the other): such moves leave the fit (sums over 1, i, j) at the grid, so each spot's
  // residual is its move. One rectangle: four spots at 1 px, rms sqrt(4/25) = 0.4 px, each at
  // 2.5 rms: all kept. Three rectangles sharing the corner (2, 2): it is 3 px off, the nine
  // others 1 px, rms sqrt(18/25) = 0.85 px: the corner at 3.5 rms leaves, the rest stay.
  const auto rectangle = [](std::vector<Spot>& s, int i, int j) { // with the corner (2, 2)
    const auto at = [&](int p, int q) -> Spot& {
      return s[static_cast<std::size_t>((p + 2) * 5 + q + 2)];
    };
    at(2, 2).x += 1, at(i, j).x += 1, at(2, j).x -= 1, at(i, 2).x -= 1;
  };
  std::vector<Spot> grid = gridSpots({150, 100}, {30, 0}, {0, 25}, -2, 2, -2, 2);
  rectangle(grid, 0, 0);
  const PatternFit one = FitPattern(grid, 300, 200).fit.value_or(PatternFit{});
  EXPECT_EQ(one.spotsUsed, 25);
  EXPECT_NEAR(one.residualPx, 0.4, 1e-9);
  rectangle(grid, -1, -1), rectangle(grid, 1, -2);
  EXPECT_EQ(FitPattern(grid, 300, 200).fit.value_or(PatternFit{}).spotsUsed, 24);
}

} // namespace
} // namespace spot
