// The indexing search: the worked cubic example, the tolerance rules, degenerate triplets, and
// agreement with the literal triple loop and with gemmi's geometry on non-orthogonal cells.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <tuple>

#include <gemmi/unitcell.hpp>

#include "core/metric.hpp"
#include "core/reflection_list.hpp"
#include "indexing/result_text.hpp"
#include "indexing/search.hpp"

namespace spot {
namespace {

const LatticeParameters kCubic{0.4, 0.4, 0.4, 90, 90, 90, 1};

MeasuredPattern pattern(double d1, double d2, double d3, double a12, double a23, double a13,
                        double dTol = 0.008, double angleTol = 2.0) {
  MeasuredPattern p;
  p.d = {d1, d2, d3};
  p.angle = {a12, a23, a13};
  p.dTol = {dTol, dTol, dTol};
  p.angleTol = {angleTol, angleTol, angleTol};
  return p;
}

// d(200) = d(020) = 0.2 nm, d(220) = 0.4/√8 nm, 90/45/45 degrees.
const MeasuredPattern kCubicPattern = pattern(0.2, 0.2, 0.4 / std::sqrt(8.0), 90, 45, 45);

TEST(Search, FaceCentredCubicExample) {
  const SearchResult result = IndexPattern(kCubic, LatticeType::FaceCenter, 2, kCubicPattern);
  ASSERT_FALSE(result.fault);
  EXPECT_EQ(result.stats.candidates[0], 6u);  // {200}
  EXPECT_EQ(result.stats.candidates[2], 12u); // {220}
  ASSERT_EQ(result.rows.size(), 24u);
  EXPECT_EQ(result.rows.front().g1, (MillerIndex{-2, 0, 0}));
  EXPECT_EQ(result.rows.front().g2, (MillerIndex{0, -2, 0}));
  EXPECT_EQ(result.rows.front().g3, (MillerIndex{-2, -2, 0}));
  const auto cells = ResultCellTexts(result.rows.back());
  const std::array<std::string, 20> expected = {
      "No.024",    "2",         "0",      "0",       "+",       "0",      "2",
      "0",         "\uFF1D",    "2",      "2",       "0",       "\u25C7", "0.2000000",
      "0.2000000", "0.1414214", "\u25C7", "90.0000", "45.0000", "45.0000"};
  EXPECT_EQ(cells, expected);
}

TEST(Search, SpacingToleranceAdmitsEqualityAngleToleranceDoesNot) {
  // Take the tolerance from the computed spacing itself: |d - d1| == tol must admit the plane.
  const MetricTensor g = ReciprocalMetricOf(kCubic).gStar;
  const double d200 = DSpacing(MillerIndex{2, 0, 0}, g).value;
  MeasuredPattern p = kCubicPattern;
  p.d[0] = d200 + 0.0078125; // a power of two, so the difference is exact
  p.dTol[0] = std::fabs(d200 - p.d[0]);
  EXPECT_EQ(IndexPattern(kCubic, LatticeType::FaceCenter, 2, p).rows.size(), 24u);

  MeasuredPattern exact = kCubicPattern;
  exact.dTol = {0, 0, 0};
  exact.d = {d200, d200, DSpacing(MillerIndex{2, 2, 0}, g).value};
  EXPECT_EQ(IndexPattern(kCubic, LatticeType::FaceCenter, 2, exact).rows.size(), 24u);

  MeasuredPattern zeroAngle = kCubicPattern;
  zeroAngle.angleTol = {0, 2, 2};
  EXPECT_TRUE(IndexPattern(kCubic, LatticeType::FaceCenter, 2, zeroAngle).rows.empty());

  // Measured 92 degrees against computed 90: a tolerance of exactly 2 rejects, 2.0001 admits.
  MeasuredPattern offBy2 = kCubicPattern;
  offBy2.angle[0] = 92.0;
  const double a90 = InterplanarAngle(MillerIndex{2, 0, 0}, MillerIndex{0, 2, 0}, g).value;
  offBy2.angleTol[0] = std::fabs(a90 - 92.0);
  EXPECT_TRUE(IndexPattern(kCubic, LatticeType::FaceCenter, 2, offBy2).rows.empty());
  offBy2.angleTol[0] = 2.0001;
  EXPECT_EQ(IndexPattern(kCubic, LatticeType::FaceCenter, 2, offBy2).rows.size(), 24u);
}

TEST(Search, DegenerateTripletsAreSkippedNotFatal) {
  // d2 = d1 and d3 = d1/2 put g2 = g1, g3 = 2 g1 in the lists: parallel triplets, skipped.
  const MeasuredPattern parallel = pattern(0.2, 0.2, 0.1, 0, 0, 0, 0.008, 5);
  const SearchResult onlyParallel = IndexPattern(kCubic, LatticeType::FaceCenter, 4, parallel);
  EXPECT_FALSE(onlyParallel.fault);
  EXPECT_TRUE(onlyParallel.rows.empty());
  EXPECT_GT(onlyParallel.stats.sumMatches, 0u); // (200)+(200)=(400) and friends were met

  // A wide d3 tolerance lets (400) [parallel] and (220) [valid] into list 3 together.
  MeasuredPattern mixed = kCubicPattern;
  mixed.dTol[2] = 0.05;
  const SearchResult both = IndexPattern(kCubic, LatticeType::FaceCenter, 4, mixed);
  EXPECT_FALSE(both.fault);
  EXPECT_EQ(both.rows.size(), 24u);

  // A Number of 0 gives d = 0: (000) enters the list and is skipped, the rest still searched.
  MeasuredPattern zero = kCubicPattern;
  zero.d[1] = 0.0;
  const SearchResult withOrigin = IndexPattern(kCubic, LatticeType::FaceCenter, 2, zero);
  EXPECT_FALSE(withOrigin.fault);
  EXPECT_TRUE(withOrigin.rows.empty());
}

TEST(Search, LimitsAndBadCellsStopWithACause) {
  EXPECT_EQ(IndexPattern(kCubic, LatticeType::FaceCenter, -1, kCubicPattern).fault,
            SearchFault::NegativeIndexRange);
  EXPECT_EQ(IndexPattern(kCubic, LatticeType::FaceCenter, 51, kCubicPattern).fault,
            SearchFault::IndexRangeTooLarge);
  EXPECT_EQ(
      IndexPattern({0.4, 0.4, 0, 90, 90, 90, 0}, LatticeType::Primitive, 2, kCubicPattern).fault,
      SearchFault::InvalidCell);
  EXPECT_EQ(
      IndexPattern({0.4, 0.4, 0.4, 120, 120, 120, 0}, LatticeType::Primitive, 2, kCubicPattern)
          .fault,
      SearchFault::InvalidCell);

  SearchLimits small;
  small.maxRows = 23;
  const SearchResult capped =
      IndexPattern(kCubic, LatticeType::FaceCenter, 2, kCubicPattern, small);
  EXPECT_EQ(capped.fault, SearchFault::TooManyRows);
  EXPECT_TRUE(capped.rows.empty());
  small.maxRows = 24;
  EXPECT_FALSE(IndexPattern(kCubic, LatticeType::FaceCenter, 2, kCubicPattern, small).fault);

  MeasuredPattern everything = kCubicPattern;
  everything.dTol = {10, 10, 10};
  SearchLimits fewPairs;
  fewPairs.maxPairs = 1000;
  EXPECT_EQ(IndexPattern(kCubic, LatticeType::Primitive, 5, everything, fewPairs).fault,
            SearchFault::TooManyPairs);
}

// A pattern made from two real reflections of the cell, measured with noise.
struct Made {
  LatticeParameters cell;
  LatticeType type;
  MeasuredPattern pattern;
};

Made makePattern(std::mt19937& random, const LatticeParameters& cell, LatticeType type) {
  const MetricTensor g = ReciprocalMetricOf(cell).gStar;
  std::uniform_int_distribution<int> index(-3, 3);
  // Measurement error well inside the tolerances: at most 0.006 nm and 1.5 degrees.
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  const auto measured = [&](double d) { return d + std::min(0.01 * d, 0.006) * noise(random); };
  for (;;) {
    const MillerIndex g1{index(random), index(random), index(random)};
    const MillerIndex g2{index(random), index(random), index(random)};
    if (!IsAllowedReflection(g1.h, g1.k, g1.l, type) ||
        !IsAllowedReflection(g2.h, g2.k, g2.l, type))
      continue;
    if (g1.isZero() || g2.isZero() || AreParallel(g1, g2)) continue;
    const MillerIndex g3 = g1 + g2;
    MeasuredPattern p;
    p.d = {measured(DSpacing(g1, g).value), measured(DSpacing(g2, g).value),
           measured(DSpacing(g3, g).value)};
    p.angle = {InterplanarAngle(g1, g2, g).value + 1.5 * noise(random),
               InterplanarAngle(g2, g3, g).value + 1.5 * noise(random),
               InterplanarAngle(g1, g3, g).value + 1.5 * noise(random)};
    p.dTol = {0.008, 0.008, 0.008};
    p.angleTol = {2.5, 2.5, 2.5};
    return {cell, type, p};
  }
}

std::vector<Made> realisticCases() {
  std::mt19937 random(4242);
  const std::vector<std::pair<LatticeParameters, LatticeType>> cells = {
      {{0.4, 0.4, 0.4, 90, 90, 90, 0}, LatticeType::Primitive},
      {{0.2866, 0.2866, 0.2866, 90, 90, 90, 0}, LatticeType::BodyCenter},
      {{0.3615, 0.3615, 0.3615, 90, 90, 90, 0}, LatticeType::FaceCenter},
      {{0.4755, 0.4755, 0.3199, 90, 90, 90, 0}, LatticeType::Primitive},
      {{0.2951, 0.2951, 0.4686, 90, 90, 120, 0}, LatticeType::Rhombohedral},
      {{0.5417, 0.5417, 0.5417, 90, 90, 90, 0}, LatticeType::SideCenter},
      {{0.5148, 0.5203, 0.5316, 90, 99.2, 90, 0}, LatticeType::Primitive},
      {{0.58, 0.62, 0.71, 82.3, 95.6, 104.1, 0}, LatticeType::Primitive},
      {{0.8, 0.9, 0.45, 77, 101, 93, 0}, LatticeType::BodyCenter}};
  std::vector<Made> cases;
  for (const auto& [cell, type] : cells)
    for (int i = 0; i < 3; ++i)
      cases.push_back(makePattern(random, cell, type));
  return cases;
}

TEST(Search, FastSearchGivesExactlyTheRowsOfTheLiteralLoop) {
  for (const Made& m : realisticCases()) {
    const SearchResult fast = IndexPattern(m.cell, m.type, 6, m.pattern);
    const SearchResult literal = IndexPatternLiteral(m.cell, m.type, 6, m.pattern);
    ASSERT_EQ(fast.rows.size(), literal.rows.size());
    EXPECT_GT(fast.rows.size(), 0u); // the pattern was made from real reflections
    for (std::size_t i = 0; i < fast.rows.size(); ++i) {
      ASSERT_EQ(fast.rows[i].g1, literal.rows[i].g1) << i;
      ASSERT_EQ(fast.rows[i].g2, literal.rows[i].g2) << i;
      ASSERT_EQ(fast.rows[i].g3, literal.rows[i].g3) << i;
      ASSERT_EQ(fast.rows[i].angle, literal.rows[i].angle) << i; // bit for bit
      ASSERT_EQ(fast.rows[i].d, literal.rows[i].d) << i;
    }
  }
}

// Brute force with gemmi's geometry: every allowed (g1, g2) in the cube whose spacings and angles
// agree. Cases within 1e-7 of a tolerance edge are left out of the comparison.
TEST(Search, RowsAgreeWithAnIndependentBruteForceOverGemmiGeometry) {
  const int n = 4;
  for (const Made& m : realisticCases()) {
    const gemmi::UnitCell cell(m.cell.a, m.cell.b, m.cell.c, m.cell.alpha, m.cell.beta,
                               m.cell.gamma);
    const auto& f = cell.frac.mat;
    const auto cart = [&](const MillerIndex& g) {
      return gemmi::Vec3(g.h * f[0][0] + g.k * f[1][0] + g.l * f[2][0],
                         g.h * f[0][1] + g.k * f[1][1] + g.l * f[2][1],
                         g.h * f[0][2] + g.k * f[1][2] + g.l * f[2][2]);
    };
    using Key = std::tuple<int, int, int, int, int, int>;
    std::set<Key> expected, borderline;
    std::vector<MillerIndex> all;
    for (int h = -n; h <= n; ++h)
      for (int k = -n; k <= n; ++k)
        for (int l = -n; l <= n; ++l)
          if (IsAllowedReflection(h, k, l, m.type)) all.push_back({h, k, l});
    const auto within = [](double value, double target, double tol, bool strict, bool& edge) {
      const double diff = std::fabs(value - target);
      if (std::fabs(diff - tol) < 1e-7) edge = true;
      return strict ? diff < tol : diff <= tol;
    };
    for (const MillerIndex& g1 : all)
      for (const MillerIndex& g2 : all) {
        const MillerIndex g3 = g1 + g2;
        if (std::abs(g3.h) > n || std::abs(g3.k) > n || std::abs(g3.l) > n) continue;
        if (!IsAllowedReflection(g3.h, g3.k, g3.l, m.type)) continue;
        if (g1.isZero() || g2.isZero() || AreParallel(g1, g2)) continue;
        const gemmi::Vec3 v1 = cart(g1), v2 = cart(g2), v3 = cart(g3);
        bool edge = false;
        const bool ok =
            within(1 / v1.length(), m.pattern.d[0], m.pattern.dTol[0], false, edge) &&
            within(1 / v2.length(), m.pattern.d[1], m.pattern.dTol[1], false, edge) &&
            within(1 / v3.length(), m.pattern.d[2], m.pattern.dTol[2], false, edge) &&
            within(gemmi::deg(v1.angle(v2)), m.pattern.angle[0], m.pattern.angleTol[0], true,
                   edge) &&
            within(gemmi::deg(v2.angle(v3)), m.pattern.angle[1], m.pattern.angleTol[1], true,
                   edge) &&
            within(gemmi::deg(v1.angle(v3)), m.pattern.angle[2], m.pattern.angleTol[2], true, edge);
        const Key key{g1.h, g1.k, g1.l, g2.h, g2.k, g2.l};
        if (edge)
          borderline.insert(key);
        else if (ok)
          expected.insert(key);
      }
    std::set<Key> found;
    for (const IndexingResult& row : IndexPattern(m.cell, m.type, n, m.pattern).rows) {
      const Key key{row.g1.h, row.g1.k, row.g1.l, row.g2.h, row.g2.k, row.g2.l};
      if (!borderline.count(key)) found.insert(key);
      EXPECT_NEAR(row.d[0], 1 / cart(row.g1).length(), 1e-9);
      EXPECT_NEAR(row.angle[1], gemmi::deg(cart(row.g2).angle(cart(row.g3))), 1e-6);
    }
    EXPECT_EQ(found, expected) << "cell " << m.cell.a << " " << m.cell.alpha << " type "
                               << LatticeLetter(m.type);
  }
}

} // namespace
} // namespace spot
