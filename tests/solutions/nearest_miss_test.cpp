// Nearest misses: a pattern just outside one tolerance names the triplet and the deviation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "core/metric.hpp"
#include "indexing/search.hpp"
#include "solutions/nearest_miss.hpp"

namespace spot {
namespace {

const LatticeParameters kCubic{0.4, 0.4, 0.4, 90, 90, 90};

MeasuredPattern measured(std::array<double, 3> d, std::array<double, 3> angle) {
  MeasuredPattern p;
  p.d = d;
  p.angle = angle;
  p.dTol = {0.008, 0.008, 0.008};
  p.angleTol = {2, 2, 2};
  return p;
}

TEST(NearestMiss, PatternJustOutsideOneTolerance) {
  const PhaseSymmetry symmetry = PhaseSymmetryOf(kCubic, LatticeType::FaceCenter);
  // (1 1 1) + (1 -1 -1) = (2 0 0): d = 0.4/√3, 0.4/√3, 0.2 nm; cos <111,1-1-1> = -1/3, and
  // (2 0 0) makes arccos(1/√3) with both. d2 measured 0.0113 nm short: outside 0.008, inside
  // 0.024, and named with three digits.
  const double d111 = 0.4 / std::sqrt(3.0);
  const double obtuse = ToDegrees(std::acos(-1.0 / 3)),
               acute = ToDegrees(std::acos(1 / std::sqrt(3.0)));
  const MeasuredPattern p = measured({d111, d111 - 0.0113, 0.2}, {obtuse, acute, acute});
  ASSERT_TRUE(IndexPattern(kCubic, LatticeType::FaceCenter, 2, p).rows.empty());
  const auto misses = FindNearestMisses(kCubic, LatticeType::FaceCenter, 2, p, symmetry);
  ASSERT_EQ(misses.size(), 1u); // every widened row is one family
  EXPECT_EQ(misses[0].g1, (MillerIndex{1, 1, 1}));
  EXPECT_EQ(misses[0].g2, (MillerIndex{1, -1, -1}));
  EXPECT_EQ(misses[0].breaks, (std::array<bool, 6>{false, true, false, false, false, false}));
  EXPECT_NEAR(misses[0].deviation.d[1], 0.0113, 1e-12);
  EXPECT_NEAR(misses[0].score, std::sqrt((0.0113 / 0.008) * (0.0113 / 0.008) / 6), 1e-9);
  EXPECT_EQ(NearestMissMessage(misses, p),
            "No solution. Nearest: (1 1 1) + (1 -1 -1) = (2 0 0), d2 off by 0.0113 nm "
            "(tolerance 0.008)");

  // The face-centred example with d1 measured 0.191 instead of 0.2, <R1,R2> 92.5 instead of 90
  // and <R1,R3> 47.5 instead of 45: all three break, each named; an angle equal to its
  // tolerance breaks it too (the search's test is strict).
  const MeasuredPattern angle = measured({0.191, 0.2, 0.4 / std::sqrt(8.0)}, {92.5, 45, 47.5});
  const auto angleMisses = FindNearestMisses(kCubic, LatticeType::FaceCenter, 2, angle, symmetry);
  ASSERT_EQ(angleMisses.size(), 1u);
  // Further triplets follow after "; " (both patterns have the same tolerances).
  EXPECT_EQ(NearestMissMessage({angleMisses[0], misses[0]}, angle),
            "No solution. Nearest: (2 0 0) + (0 2 0) = (2 2 0), d1 off by 0.009 nm (tolerance "
            "0.008), a12 off by 2.5 degrees (tolerance 2), a13 off by 2.5 degrees (tolerance 2); "
            "(1 1 1) + (1 -1 -1) = (2 0 0), d2 off by 0.0113 nm (tolerance 0.008)");
  // <R1,R3> measured 60: every sum of two {2 0 0} is a {2 2 0} at 45 degrees to both, 15 off,
  // beyond three times the tolerance, though the other five numbers fit exactly.
  const MeasuredPattern offA13 = measured({0.2, 0.2, 0.4 / std::sqrt(8.0)}, {90, 45, 60});
  EXPECT_TRUE(FindNearestMisses(kCubic, LatticeType::FaceCenter, 2, offA13, symmetry).empty());
  // (12 0 0) + (0 1 0) = (12 1 0): <R1,R2> 90, <R2,R3> 90 - atan(1/12) = 85.24. With <R2,R3>
  // measured 95 under a loose tolerance of its own (5, widened 15) the row is a near miss, though
  // 95 lies beyond the widened window of <R1,R2> (90 +- 3).
  MeasuredPattern steep =
      measured({0.4 / 12, 0.4, 0.4 / std::sqrt(145.0)}, {90, 95, ToDegrees(std::atan(1.0 / 12))});
  steep.dTol = {1e-4, 1e-4, 1e-4};
  steep.angleTol = {1, 5, 1};
  EXPECT_FALSE(FindNearestMisses(kCubic, LatticeType::Primitive, 12, steep,
                                 PhaseSymmetryOf(kCubic, LatticeType::Primitive))
                   .empty());
  Deviation edge;
  edge.angle = {2.0, 0, 0};
  edge.d = {0.008, 0, 0};
  EXPECT_EQ(BrokenTolerances(edge, angle),
            (std::array<bool, 6>{false, false, false, true, false, false}));
  // Exactly three times a tolerance off: a spacing is still within the widened window, an angle
  // no longer, as in the search. A cube of 0.5 nm, (1 0 0) + (0 1 0) = (1 1 0) at 90 degrees:
  // d1 = 0.5 measured 3 · 2^-7 nm long, or <R1,R2> measured 3 · 0.25 degrees wide, in binary
  // exactly.
  const LatticeParameters half{0.5, 0.5, 0.5, 90, 90, 90};
  const PhaseSymmetry halfSymmetry = PhaseSymmetryOf(half, LatticeType::Primitive);
  ASSERT_EQ(
      InterplanarAngle(MillerIndex{1, 0, 0}, MillerIndex{0, 1, 0}, ReciprocalMetricOf(half).gStar)
          .value,
      90.0);
  MeasuredPattern exact = measured({0.5 + 3 * 0.0078125, 0.5, 0.5 / std::sqrt(2.0)}, {90, 45, 45});
  exact.dTol[0] = 0.0078125;
  const auto exactMisses = FindNearestMisses(half, LatticeType::Primitive, 1, exact, halfSymmetry);
  ASSERT_EQ(exactMisses.size(), 1u);
  EXPECT_EQ(exactMisses[0].breaks, (std::array<bool, 6>{true, false, false, false, false, false}));
  exact.d[0] = 0.5;
  exact.angle[0] = 90.75;
  exact.angleTol[0] = 0.25;
  EXPECT_TRUE(FindNearestMisses(half, LatticeType::Primitive, 1, exact, halfSymmetry).empty());

  // Nothing even within three times the tolerances; and at most five families are named.
  const MeasuredPattern far = measured({0.5, 0.5, 0.5}, {60, 60, 120});
  EXPECT_TRUE(FindNearestMisses(kCubic, LatticeType::FaceCenter, 2, far, symmetry).empty());
  EXPECT_EQ(NearestMissMessage({}, far), "No solution. Nothing within three times the tolerances.");
  MeasuredPattern loose = measured({0.2, 0.2, 0.2}, {90, 90, 90});
  loose.dTol = {0.05, 0.05, 0.05};
  loose.angleTol = {20, 20, 20};
  EXPECT_EQ(FindNearestMisses(kCubic, LatticeType::Primitive, 3, loose,
                              PhaseSymmetryOf(kCubic, LatticeType::Primitive))
                .size(),
            kNearestCount);
  // An index range the search refuses, or a cell that is none, has no nearest misses either.
  EXPECT_TRUE(FindNearestMisses(kCubic, LatticeType::Primitive, 51, loose,
                                PhaseSymmetryOf(kCubic, LatticeType::Primitive))
                  .empty());
  // The pairs examined count one first plane per orbit: of {1 0 0} only (-1 0 0), with six
  // second planes; its four rows ((0 ±1 0) and (0 0 ±1) as g2) make one family.
  const MeasuredPattern square = measured({0.4, 0.4, 0.4 / std::sqrt(2.0)}, {90, 45, 45});
  for (const auto& [maxPairs, maxRows, count] :
       {std::tuple{6ULL, 4, 1u}, {5ULL, 4, 0u}, {6ULL, 3, 0u}}) {
    SearchLimits limits;
    limits.maxPairs = maxPairs;
    limits.maxRows = maxRows;
    EXPECT_EQ(FindNearestMisses(kCubic, LatticeType::Primitive, 2, square,
                                PhaseSymmetryOf(kCubic, LatticeType::Primitive), limits)
                  .size(),
              count)
        << maxPairs << " " << maxRows;
  }
  const LatticeParameters flat{0.4, 0.4, 0.4, 90, 90, 180};
  EXPECT_TRUE(FindNearestMisses(flat, LatticeType::Primitive, 3, loose,
                                PhaseSymmetryOf(kCubic, LatticeType::Primitive))
                  .empty());

  // Spacings above 1 nm (Q = 1/d² below 1): a cube of 2.5 nm, (1 0 0) + (1 1 0) = (2 1 0) with
  // d2 0.015 nm long; <R1,R2> = 45, <R2,R3> = arccos(3/√10), <R1,R3> = arccos(2/√5).
  const LatticeParameters large{2.5, 2.5, 2.5, 90, 90, 90};
  const MeasuredPattern wide = measured(
      {2.5, 2.5 / std::sqrt(2.0) + 0.015, 2.5 / std::sqrt(5.0)},
      {45, ToDegrees(std::acos(3 / std::sqrt(10.0))), ToDegrees(std::acos(2 / std::sqrt(5.0)))});
  const auto wideMisses = FindNearestMisses(large, LatticeType::Primitive, 2, wide,
                                            PhaseSymmetryOf(large, LatticeType::Primitive));
  ASSERT_FALSE(wideMisses.empty());
  EXPECT_EQ(wideMisses[0].breaks, (std::array<bool, 6>{false, true, false, false, false, false}));
  EXPECT_NEAR(wideMisses[0].deviation.d[1], -0.015, 1e-9); // computed less measured
  EXPECT_NEAR(wideMisses[0].deviation.angle[0], 0, 1e-9);
}

// The nearest misses are the best families of the search with every tolerance tripled: checked
// against that search done plainly, on cells whose operations keep the index cube and on
// hexagonal ones, whose operations do not.
// c so long and slanted that both l bounds of a candidate line lie beyond int on one side, or
// so long that they are not numbers (both found by fuzzing the command line); the asan run's
// UBSan stops at such a conversion.
TEST(NearestMiss, SlantedNeedleCellKeepsItsBoundsWithinInt) {
  for (const double c : {2666666666664.0, 6.6666661e307}) {
    const LatticeParameters slanted{0.4, 0.4, c, 90, 45, 90};
    const MeasuredPattern p = measured({0.2, 0.2, 8.1414213562}, {90, 45, 45});
    const auto misses = FindNearestMisses(slanted, LatticeType::FaceCenter, 2, p,
                                          PhaseSymmetryOf(slanted, LatticeType::FaceCenter));
    for (const NearestMiss& m : misses)
      for (const double d : m.deviation.d)
        EXPECT_TRUE(std::isfinite(d)) << c;
  }
}

TEST(NearestMiss, SameAsTheWidenedSearchGrouped) {
  struct Case {
    LatticeParameters cell;
    LatticeType type;
    MeasuredPattern pattern;
    bool ties = false; ///< equivalent up to rounding: compare the families' scores only
  };
  // The geometry of (g1, g2) with d2 0.015 nm and <R1,R2> 3 degrees off: outside both
  // tolerances, inside three times them.
  const auto offPattern = [](const LatticeParameters& cell, MillerIndex g1, MillerIndex g2,
                             double dOff = 0.015, double angleOff = 3) {
    const MetricTensor gStar = ReciprocalMetricOf(cell).gStar;
    const MillerIndex g3 = g1 + g2;
    return measured(
        {DSpacing(g1, gStar).value, DSpacing(g2, gStar).value + dOff, DSpacing(g3, gStar).value},
        {InterplanarAngle(g1, g2, gStar).value + angleOff, InterplanarAngle(g2, g3, gStar).value,
         InterplanarAngle(g1, g3, gStar).value});
  };
  const LatticeParameters cubic{0.8, 0.8, 0.8, 90, 90, 90},
      hcp{0.3209, 0.3209, 0.5211, 90, 90, 120}, hexagonal{0.6, 0.6, 0.9, 90, 90, 120},
      monoclinic{0.6, 0.7, 0.8, 90, 100, 90}, triclinic{0.6, 0.7, 0.8, 80, 95, 105},
      // c so long that the l bounds of a candidate line lie beyond int (found by fuzzing); every
      // l then gives the same spacing to double precision, so the families tie.
      needle{0.4, 0.4, 1e12, 90, 90, 90},
      // b short and γ obtuse: a*·b* larger than a*·a*, which no other cell here has.
      oblique{1.0, 0.3, 0.8, 90, 90, 120},
      // c far longer than b: l reaches beyond what k can; no operation but the inversion.
      longC{0.4, 0.45, 2.0, 85, 95, 100},
      // b four times a: k reaches 4 where h stops at 2.
      longB{0.3, 1.2, 0.5, 90, 90, 90},
      // b* far shorter than a* and c*, and every reciprocal axis oblique: G*₁₁ is smaller than
      // G*₀₁ and G*₁₂, and G*₀₂ differs from G*₁₂ and G*₀₁.
      skewed{0.3, 1.0, 0.35, 115, 95, 120};
  // (1 0 0) and (-5 1 0) make arccos(-5/√26) = 168.7 degrees: with angle tolerances of 10, the
  // widened <R1,R2> window reaches past 180 and must keep the obtuse pairs up to it.
  MeasuredPattern obtuse = offPattern(cubic, {1, 0, 0}, {-5, 1, 0});
  obtuse.angleTol = {10, 10, 10};
  // Only d3 off, 2.9 times a tight tolerance: (4 3 1) sits just inside the widened window's edge.
  MeasuredPattern edge = offPattern(oblique, {3, 1, 0}, {1, 2, 1});
  edge.d = {edge.d[0], edge.d[1] - 0.015, edge.d[2] + 2.9 * 0.002};
  edge.angle[0] -= 3;
  edge.dTol = {0.002, 0.002, 0.002};
  edge.angleTol = {0.5, 0.5, 0.5};
  // Tolerances so tight that the widened windows end just past the planes of the pattern.
  const auto tight = [&](const LatticeParameters& cell, MillerIndex g1, MillerIndex g2) {
    MeasuredPattern p = offPattern(cell, g1, g2, 0.001, 1);
    p.dTol = {0.0005, 0.0005, 0.0005};
    p.angleTol = {0.5, 0.5, 0.5};
    return p;
  };
  // Six families tie: {3 2 1} with a {5 1 0} or a {4 3 1} at a product of -7, as (3 2 1) and
  // (1 -5 0); nothing else comes within three times the tolerances. The five named have the
  // fewest rows within the index cube, which only the whole orbits tell.
  const MeasuredPattern sixTied = tight(cubic, {3, 2, 1}, {1, -5, 0});
  const std::vector<Case> cases = {
      {cubic, LatticeType::Primitive, sixTied},
      {cubic, LatticeType::FaceCenter, offPattern(cubic, {3, 1, 1}, {0, 2, 2})},
      {cubic, LatticeType::Primitive, obtuse},
      {hcp, LatticeType::Rhombohedral, offPattern(hcp, {1, 0, 1}, {0, 1, 1})},
      {hexagonal, LatticeType::Primitive, offPattern(hexagonal, {2, 1, 1}, {0, 1, 2})},
      {monoclinic, LatticeType::SideCenter, offPattern(monoclinic, {2, 0, 1}, {1, 1, 2})},
      {triclinic, LatticeType::Primitive, offPattern(triclinic, {2, 1, 0}, {0, 1, 2})},
      // (-4 2 0) has the smallest spacing: its line (h k) = (-4 2) reaches the widest window
      // only as far as the term 2 a*·b* h k (negative here) brings it down.
      {triclinic, LatticeType::Primitive, tight(triclinic, {-4, 2, 0}, {1, 0, 1})},
      {skewed, LatticeType::Primitive, tight(skewed, {-2, 4, 0}, {2, -1, -1})},
      {needle, LatticeType::Primitive, offPattern(needle, {1, 0, 0}, {0, 1, 0}), true},
      {oblique, LatticeType::Primitive, edge},
      {longC, LatticeType::Primitive, offPattern(longC, {1, 0, 3}, {0, 1, -3})},
      {longB, LatticeType::Primitive, offPattern(longB, {1, 4, 0}, {0, -4, 1})},
      // Both rows of the family reach h = 5 and k = 5, the edge of the index cube.
      {triclinic, LatticeType::Primitive, offPattern(triclinic, {5, -5, 1}, {-5, 5, 1})},
  };
  for (const Case& c : cases) {
    const PhaseSymmetry symmetry = PhaseSymmetryOf(c.cell, c.type);
    MeasuredPattern widened = c.pattern;
    for (int i = 0; i < 3; ++i) {
      widened.dTol[i] *= 3;
      widened.angleTol[i] *= 3;
    }
    const SearchResult plain = IndexPattern(c.cell, c.type, 5, widened);
    const auto families = GroupSolutions(plain.rows, symmetry, c.pattern);
    const auto misses = FindNearestMisses(c.cell, c.type, 5, c.pattern, symmetry);
    ASSERT_EQ(misses.size(), std::min(families.size(), kNearestCount));
    EXPECT_FALSE(misses.empty()) << c.cell.a;
    for (std::size_t i = 0; i < misses.size(); ++i) {
      if (!c.ties) {
        EXPECT_EQ(misses[i].g1, families[i].g1) << i;
        EXPECT_EQ(misses[i].g2, families[i].g2) << i;
      }
      EXPECT_NEAR(misses[i].score, families[i].score, 1e-9) << i;
    }
  }
}

} // namespace
} // namespace spot
