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
#include "support/centring.hpp"

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

// Both searches: the fast one and the literal triple loop. They share the candidate lists and
// the tests of one triplet, so each edge is checked on each, not only through their agreement.
using SearchFunction = SearchResult (*)(const LatticeParameters&, const ReflectionRule&, int,
                                        const MeasuredPattern&, const SearchLimits&);
const std::pair<const char*, SearchFunction> kBothSearches[] = {{"fast", &IndexPattern},
                                                                {"literal", &IndexPatternLiteral}};

// One solution (g1, g2, g3 = g1 + g2) in three cells: the cubic example, a monoclinic and a
// triclinic one, where equivalent planes differ in the last bits of their spacings.
struct Solution {
  const char* name;
  LatticeParameters cell;
  LatticeType type;
  MillerIndex g1, g2;
};
const Solution kSolutions[] = {{"cubic F", kCubic, LatticeType::FaceCenter, {2, 0, 0}, {0, 2, 0}},
                               {"monoclinic P",
                                {0.5148, 0.5203, 0.5316, 90, 99.2, 90, 0},
                                LatticeType::Primitive,
                                {1, 0, 0},
                                {0, 1, 1}},
                               {"triclinic I",
                                {0.58, 0.62, 0.71, 82.3, 95.6, 104.1, 0},
                                LatticeType::BodyCenter,
                                {1, -1, 0},
                                {0, 1, 1}}};

// The pattern the solution makes, from the same geometry the searches use (held against gemmi
// in the metric tests): no spacing tolerance, 1 degree on the angles.
MeasuredPattern exactPattern(const Solution& s) {
  const MetricTensor g = ReciprocalMetricOf(s.cell).gStar;
  const MillerIndex g3 = s.g1 + s.g2;
  MeasuredPattern p =
      pattern(DSpacing(s.g1, g).value, DSpacing(s.g2, g).value, DSpacing(g3, g).value,
              InterplanarAngle(s.g1, s.g2, g).value, InterplanarAngle(s.g2, g3, g).value,
              InterplanarAngle(s.g1, g3, g).value, 0.0, 1.0);
  return p;
}

bool lists(const SearchResult& result, const MillerIndex& g1, const MillerIndex& g2) {
  return std::any_of(result.rows.begin(), result.rows.end(),
                     [&](const IndexingResult& row) { return row.g1 == g1 && row.g2 == g2; });
}

TEST(Search, SpacingEdgesAdmitAngleEdgesDoNotOnBothSearchesInThreeCells) {
  for (const auto& [searchName, search] : kBothSearches)
    for (const Solution& s : kSolutions) {
      const std::string where = std::string(searchName) + ", " + s.name;
      const auto finds = [&](const MeasuredPattern& p) {
        const SearchResult result = search(s.cell, s.type, 2, p, {});
        EXPECT_FALSE(result.fault) << where;
        return lists(result, s.g1, s.g2);
      };
      const MeasuredPattern exact = exactPattern(s);
      EXPECT_TRUE(finds(exact)) << where; // |d - d| = 0 is within a tolerance of 0
      for (std::size_t j = 0; j < 3; ++j) {
        // Spacing j measured 2^-7 nm off: a tolerance of exactly the difference admits the
        // plane, the next smaller double does not.
        MeasuredPattern p = exact;
        p.d[j] += 0.0078125;
        p.dTol[j] = std::fabs(exact.d[j] - p.d[j]);
        EXPECT_TRUE(finds(p)) << where << ", d" << j + 1 << " at its tolerance";
        p.dTol[j] = std::nextafter(p.dTol[j], 0.0);
        EXPECT_FALSE(finds(p)) << where << ", d" << j + 1 << " beyond its tolerance";
        // Angle j measured 2 degrees off: exactly the difference rejects, a step above admits
        // (also through the fast search's cosine windows).
        p = exact;
        p.angle[j] += 2.0;
        p.angleTol[j] = std::fabs(exact.angle[j] - p.angle[j]);
        EXPECT_FALSE(finds(p)) << where << ", angle " << j + 1 << " at its tolerance";
        p.angleTol[j] = std::nextafter(p.angleTol[j], 10.0);
        EXPECT_TRUE(finds(p)) << where << ", angle " << j + 1 << " within its tolerance";
        p.angleTol[j] = 0.0;
        p.angle[j] = exact.angle[j];
        EXPECT_FALSE(finds(p)) << where << ", angle " << j + 1 << " with no tolerance";
      }
    }
}

TEST(Search, DegenerateTripletsAreSkippedNotFatalOnBothSearchesInThreeCells) {
  // In the fourth cell rounding leaves (-1 -1 0) and its multiples about 1e-6 degrees apart
  // instead of failing their angle (found by trying cells): only the test for parallel planes
  // keeps them out there.
  std::vector<Solution> cells(std::begin(kSolutions), std::end(kSolutions));
  cells.push_back(
      {"triclinic P", {1.16, 1.91, 1.09, 92, 106, 63, 0}, LatticeType::Primitive, {-1, -1, 0}, {}});
  for (const auto& [searchName, search] : kBothSearches)
    for (const Solution& s : cells) {
      const MetricTensor g = ReciprocalMetricOf(s.cell).gStar;
      const auto times = [&](int k) { return MillerIndex{k * s.g1.h, k * s.g1.k, k * s.g1.l}; };
      const auto d = [&](int k) { return DSpacing(times(k), g).value; }; // 0 for (000)
      // g2 = k g1, g3 = (k + 1) g1: parallel (k > 0), antiparallel (k < -1) or (000) in g3
      // (k = -1), at 0 or 180 degrees within 5, where rounding may leave a tiny angle (more
      // likely for k = ±3 than for powers of two).
      const struct {
        int k;
        double a12, a23, a13;
      } degenerate[] = {
          {1, 0, 0, 0}, {3, 0, 0, 0}, {-2, 180, 0, 180}, {-3, 180, 0, 180}, {-1, 180, 90, 90}};
      for (const auto& c : degenerate) {
        const MeasuredPattern p = pattern(d(1), d(c.k), d(c.k + 1), c.a12, c.a23, c.a13, 1e-9, 5);
        const SearchResult result = search(s.cell, s.type, 8, p, {});
        const std::string where =
            std::string(searchName) + ", " + s.name + ", k " + std::to_string(c.k);
        EXPECT_FALSE(result.fault) << where;
        EXPECT_TRUE(result.rows.empty()) << where;
        EXPECT_GT(result.stats.sumMatches, 0u) << where; // they were met
      }
    }
  // A wide d3 tolerance lets (400) [parallel to (200)] and (220) into list 3 together: the
  // degenerate triplets go, the 24 solutions stay.
  MeasuredPattern mixed = kCubicPattern;
  mixed.dTol[2] = 0.05;
  for (const auto& [searchName, search] : kBothSearches)
    EXPECT_EQ(search(kCubic, LatticeType::FaceCenter, 4, mixed, {}).rows.size(), 24u) << searchName;
}

TEST(Search, TheIndexCubeEndsAtTheRangeInEveryDirection) {
  // Primitive cubic, range 1: g1, g2 from {100} at right angles (6 · 4 = 24 pairs) and every
  // g3 in {110} lies on a face of the cube -1..1, with each index at -1 and at 1 somewhere.
  const MeasuredPattern p = pattern(0.4, 0.4, 0.4 / std::sqrt(2.0), 90, 45, 45);
  for (const auto& [searchName, search] : kBothSearches) {
    const SearchResult result = search(kCubic, LatticeType::Primitive, 1, p, {});
    EXPECT_EQ(result.rows.size(), 24u) << searchName;
    // The eight corners (±1 ±1 ±1), the first and last reflections of the list, are all
    // candidates for a spacing of 0.4/√3 nm.
    const double d111 = 0.4 / std::sqrt(3.0);
    const SearchResult corners =
        search(kCubic, LatticeType::Primitive, 1, pattern(d111, d111, d111, 0, 0, 0, 1e-9), {});
    EXPECT_EQ(corners.stats.candidates, (std::array<std::size_t, 3>{8, 8, 8})) << searchName;
    // (-1 0 0) + (0 -1 -1) = (-1 -1 -1), the list's first reflection: 90 degrees, then
    // arccos(2/√6) = 35.2644 and arccos(1/√3) = 54.7356.
    const SearchResult first =
        search(kCubic, LatticeType::Primitive, 1,
               pattern(0.4, 0.4 / std::sqrt(2.0), d111, 90, 35.2644, 54.7356, 1e-9, 0.01), {});
    EXPECT_TRUE(lists(first, {-1, 0, 0}, {0, -1, -1})) << searchName;
  }
}

TEST(Search, AnglesNearZeroAndNearAStraightAngleOnBothSearches) {
  // c = a / 100: the reciprocal axis c* is 100 times a*, so (0 0 1) and (1 0 1) are
  // atan(1/100) = 0.57 degrees apart and (0 0 1), (1 0 -2) nearly opposite. Measured within
  // 2 degrees, the windows around the angles reach below 0 and beyond 180 degrees.
  const LatticeParameters flat{1, 1, 0.01, 90, 90, 90, 0};
  const MetricTensor g = ReciprocalMetricOf(flat).gStar;
  for (const auto& [g1, g2] : {std::pair{MillerIndex{0, 0, 1}, MillerIndex{1, 0, 1}},
                               {MillerIndex{0, 0, 1}, MillerIndex{1, 0, -2}}}) {
    const MillerIndex g3 = g1 + g2;
    const MeasuredPattern p =
        pattern(DSpacing(g1, g).value, DSpacing(g2, g).value, DSpacing(g3, g).value,
                InterplanarAngle(g1, g2, g).value, InterplanarAngle(g2, g3, g).value,
                InterplanarAngle(g1, g3, g).value, 1e-7, 2);
    const SearchResult fast = IndexPattern(flat, LatticeType::Primitive, 2, p);
    const SearchResult literal = IndexPatternLiteral(flat, LatticeType::Primitive, 2, p);
    EXPECT_TRUE(lists(fast, g1, g2)) << g2.l;
    ASSERT_EQ(fast.rows.size(), literal.rows.size()) << g2.l;
    for (std::size_t i = 0; i < fast.rows.size(); ++i)
      EXPECT_TRUE(fast.rows[i].g1 == literal.rows[i].g1 && fast.rows[i].g2 == literal.rows[i].g2);
  }
}

TEST(Search, LimitsAndBadCellsStopWithACauseOnBothSearches) {
  for (const auto& [searchName, search] : kBothSearches)
    for (const Solution& s : kSolutions) {
      const std::string where = std::string(searchName) + ", " + s.name;
      MeasuredPattern p = exactPattern(s);
      p.dTol = {0.01, 0.01, 0.01};
      p.angleTol = {3, 3, 3};
      SearchLimits limits;
      limits.maxIndexRange = 2; // the limit itself is allowed, one more is not
      const SearchResult all = search(s.cell, s.type, 2, p, limits);
      ASSERT_FALSE(all.fault) << where;
      const std::size_t n = all.rows.size();
      ASSERT_GT(n, 0u) << where;
      EXPECT_EQ(all.rows.back().rowNumber, static_cast<int>(n)) << where;
      EXPECT_EQ(search(s.cell, s.type, 3, p, limits).fault, SearchFault::IndexRangeTooLarge);
      EXPECT_EQ(search(s.cell, s.type, -1, p, limits).fault, SearchFault::NegativeIndexRange);
      EXPECT_FALSE(search(s.cell, s.type, 0, p, limits).fault) << where;

      // Exactly as many rows as the limit is fine; one more stops the search with none.
      limits.maxRows = n;
      EXPECT_EQ(search(s.cell, s.type, 2, p, limits).rows.size(), n) << where;
      limits.maxRows = n - 1;
      const SearchResult capped = search(s.cell, s.type, 2, p, limits);
      EXPECT_EQ(capped.fault, SearchFault::TooManyRows) << where;
      EXPECT_TRUE(capped.rows.empty()) << where;

      for (const LatticeParameters& bad :
           {LatticeParameters{0.4, 0.4, 0, 90, 90, 90, 0},
            LatticeParameters{0.4, 0.4, 0.4, 120, 120, 120, 0}, // the angles sum to 360
            LatticeParameters{0.4, 0.4, 0.4, 90, 180, 90, 0}}) {
        const SearchResult refused = search(bad, s.type, 2, p, {});
        EXPECT_EQ(refused.fault, SearchFault::InvalidCell) << where;
        EXPECT_TRUE(refused.rows.empty()) << where;
      }
    }
}

TEST(Search, PairLimitOfTheFastSearch) {
  // The literal loop is the baseline and has no work limit; the fast search stops when list 1
  // times list 2 exceeds the limit, before any row.
  MeasuredPattern everything = kCubicPattern;
  everything.dTol = {0.05, 0.05, 0.05};
  const SearchResult all = IndexPattern(kCubic, LatticeType::Primitive, 3, everything);
  ASSERT_FALSE(all.fault);
  const unsigned long long pairs =
      static_cast<unsigned long long>(all.stats.candidates[0]) * all.stats.candidates[1];
  ASSERT_GT(pairs, 1u);
  SearchLimits limits;
  limits.maxPairs = pairs;
  EXPECT_EQ(IndexPattern(kCubic, LatticeType::Primitive, 3, everything, limits).rows.size(),
            all.rows.size());
  limits.maxPairs = pairs - 1;
  const SearchResult stopped = IndexPattern(kCubic, LatticeType::Primitive, 3, everything, limits);
  EXPECT_EQ(stopped.fault, SearchFault::TooManyPairs);
  EXPECT_TRUE(stopped.rows.empty());
  EXPECT_FALSE(IndexPatternLiteral(kCubic, LatticeType::Primitive, 3, everything, limits).fault);
  // The default limit lies far above real use: two spots that each match the shell of about
  // 4π·20²·4 = 20,000 planes with |hkl| from 18 to 22 (d = a/20 ± 10 %) are searched; a third
  // spot wider than the cell matches none, so the search ends without a row.
  const MeasuredPattern shell = pattern(0.02, 0.02, 10, 90, 45, 45, 0.002);
  const SearchResult wide = IndexPattern(kCubic, LatticeType::Primitive, 30, shell);
  EXPECT_FALSE(wide.fault);
  EXPECT_GT(double(wide.stats.candidates[0]) * double(wide.stats.candidates[1]), 1e8);
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
    if (!testing::IndependentlyAllowed(type, g1) || !testing::IndependentlyAllowed(type, g2))
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
          if (testing::IndependentlyAllowed(m.type, {h, k, l})) all.push_back({h, k, l});
    const auto within = [](double value, double target, double tol, bool strict, bool& edge) {
      const double diff = std::fabs(value - target);
      if (std::fabs(diff - tol) < 1e-7) edge = true;
      return strict ? diff < tol : diff <= tol;
    };
    for (const MillerIndex& g1 : all)
      for (const MillerIndex& g2 : all) {
        const MillerIndex g3 = g1 + g2;
        if (std::abs(g3.h) > n || std::abs(g3.k) > n || std::abs(g3.l) > n) continue;
        if (!testing::IndependentlyAllowed(m.type, g3)) continue;
        const gemmi::Vec3 v1 = cart(g1), v2 = cart(g2), v3 = cart(g3);
        // (000) or parallel: the cross product of the two vectors vanishes.
        if (v1.cross(v2).length() < 1e-9) continue;
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
    for (const auto& [searchName, search] : kBothSearches) {
      std::set<Key> found;
      for (const IndexingResult& row : search(m.cell, m.type, n, m.pattern, {}).rows) {
        const Key key{row.g1.h, row.g1.k, row.g1.l, row.g2.h, row.g2.k, row.g2.l};
        if (!borderline.count(key)) found.insert(key);
        ASSERT_EQ(row.g3, row.g1 + row.g2);
        const std::array<gemmi::Vec3, 3> v = {cart(row.g1), cart(row.g2), cart(row.g3)};
        const std::array<double, 3> angles = {gemmi::deg(v[0].angle(v[1])),
                                              gemmi::deg(v[1].angle(v[2])),
                                              gemmi::deg(v[0].angle(v[2]))};
        for (std::size_t i = 0; i < 3; ++i) {
          EXPECT_NEAR(row.d[i], 1 / v[i].length(), 1e-9) << searchName;
          EXPECT_NEAR(row.angle[i], angles[i], 1e-6) << searchName;
        }
      }
      EXPECT_EQ(found, expected) << searchName << ", cell " << m.cell.a << " " << m.cell.alpha
                                 << " type " << LatticeLetter(m.type);
    }
  }
}

} // namespace
} // namespace spot
