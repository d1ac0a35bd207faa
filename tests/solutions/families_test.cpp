// Families of equivalent rows: the face-centred cubic example, partitions checked pair by pair
// with gemmi's operations, ranking and score by hand, and four-index forms.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>

#include <gemmi/symmetry.hpp>

#include "core/metric.hpp"
#include "solutions/families.hpp"

namespace spot {
namespace {

MeasuredPattern patternOf(const LatticeParameters& cell, MillerIndex g1, MillerIndex g2,
                          double dTol = 0.008, double angleTol = 2.0) {
  const MetricTensor gStar = ReciprocalMetricOf(cell).gStar;
  const MillerIndex g3 = g1 + g2;
  MeasuredPattern p;
  p.d = {DSpacing(g1, gStar).value, DSpacing(g2, gStar).value, DSpacing(g3, gStar).value};
  p.angle = {InterplanarAngle(g1, g2, gStar).value, InterplanarAngle(g2, g3, gStar).value,
             InterplanarAngle(g1, g3, gStar).value};
  p.dTol = {dTol, dTol, dTol};
  p.angleTol = {angleTol, angleTol, angleTol};
  return p;
}

// Rows i and j belong together when some operation of gemmi's group maps (g1, g2) of one onto
// (g1, g2) of the other: a union-find over every pair, the slow and obvious way.
std::vector<std::size_t> gemmiPartition(const std::vector<IndexingResult>& rows,
                                        const std::string& group) {
  const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_name(group);
  EXPECT_NE(sg, nullptr) << group;
  std::vector<std::array<std::array<int, 3>, 3>> ops;
  for (const gemmi::Op& op : sg->operations().sym_ops)
    for (int sign : {1, -1}) {
      std::array<std::array<int, 3>, 3> m{};
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
          m[i][j] = sign * op.rot[j][i] / gemmi::Op::DEN;
      ops.push_back(m);
    }
  const auto apply = [](const auto& m, const MillerIndex& g) {
    return MillerIndex{m[0][0] * g.h + m[0][1] * g.k + m[0][2] * g.l,
                       m[1][0] * g.h + m[1][1] * g.k + m[1][2] * g.l,
                       m[2][0] * g.h + m[2][1] * g.k + m[2][2] * g.l};
  };
  std::vector<std::size_t> parent(rows.size());
  std::iota(parent.begin(), parent.end(), 0);
  const auto root = [&](std::size_t i) {
    while (parent[i] != i)
      i = parent[i];
    return i;
  };
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t j = i + 1; j < rows.size(); ++j)
      for (const auto& m : ops)
        if (apply(m, rows[i].g1) == rows[j].g1 && apply(m, rows[i].g2) == rows[j].g2) {
          parent[root(j)] = root(i);
          break;
        }
  std::vector<std::size_t> label(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i)
    label[i] = root(i);
  return label;
}

// Our families as the same kind of labels: rows together iff their labels are equal.
void expectSamePartition(const std::vector<SolutionFamily>& families,
                         const std::vector<std::size_t>& reference, const std::string& what) {
  std::vector<std::size_t> ours(reference.size(), ~std::size_t{0});
  std::size_t covered = 0;
  for (std::size_t f = 0; f < families.size(); ++f)
    for (std::size_t member : families[f].members) {
      ours[member] = f;
      ++covered;
    }
  ASSERT_EQ(covered, reference.size()) << what;
  for (std::size_t i = 0; i < reference.size(); ++i)
    for (std::size_t j = i + 1; j < reference.size(); ++j)
      ASSERT_EQ(ours[i] == ours[j], reference[i] == reference[j])
          << what << ": rows " << i + 1 << " and " << j + 1;
}

TEST(Families, FaceCentredCubicExampleIsOneFamily) {
  const LatticeParameters cell{0.4, 0.4, 0.4, 90, 90, 90};
  const MeasuredPattern p = patternOf(cell, {2, 0, 0}, {0, 2, 0});
  const SearchResult result = IndexPattern(cell, LatticeType::FaceCenter, 2, p);
  ASSERT_EQ(result.rows.size(), 24u);
  const auto families =
      GroupSolutions(result.rows, PhaseSymmetryOf(cell, LatticeType::FaceCenter), p);
  ASSERT_EQ(families.size(), 1u);
  const SolutionFamily& f = families[0];
  EXPECT_EQ(f.rank, 1);
  EXPECT_EQ(f.members.size(), 24u);
  // No minus sign, and (2 0 0 0 2 0) beats (2 0 0 0 0 2), (0 2 0 2 0 0) ...
  EXPECT_EQ(f.g1, (MillerIndex{2, 0, 0}));
  EXPECT_EQ(f.g2, (MillerIndex{0, 2, 0}));
  EXPECT_EQ(f.g3, (MillerIndex{2, 2, 0}));
  EXPECT_EQ(result.rows[f.representative].rowNumber, 24); // the last row in search order
  EXPECT_EQ(f.zoneAxis, (ZoneAxis{0, 0, 1}));
  EXPECT_FALSE(f.zoneAxis4);
  EXPECT_NEAR(f.score, 0.0, 1e-9); // the pattern is the representative's own geometry

  // The same pattern on a cell only nearly cubic: b is 2.5e-4 longer, so the 4-fold axis along
  // b alone is left: g1 among {±200, ±002} with g2 = ±020; the reverse; and g1, g2 both among
  // {±200, ±002}: three families of 8.
  const LatticeParameters nearly{0.4, 0.4001, 0.4, 90, 90, 90};
  const SearchResult near = IndexPattern(nearly, LatticeType::FaceCenter, 2, p);
  ASSERT_EQ(near.rows.size(), 24u);
  const auto split = GroupSolutions(near.rows, PhaseSymmetryOf(nearly, LatticeType::FaceCenter), p);
  ASSERT_EQ(split.size(), 3u);
  for (const SolutionFamily& family : split)
    EXPECT_EQ(family.members.size(), 8u);
}

TEST(Families, PartitionsAgreeWithGemmiOperations) {
  using T = LatticeType;
  struct Case {
    LatticeParameters cell;
    LatticeType type;
    MillerIndex g1, g2;
    double dTol, angleTol;
    std::string group;
  };
  // Wide tolerances so that several families, some of them partial orbits cut by the index
  // cube, come out of each search.
  const std::vector<Case> cases = {
      {{1.2, 1.2, 1.2, 90, 90, 90}, T::Primitive, {3, 2, 1}, {1, -1, 3}, 0.02, 6, "P m -3 m"},
      {{1.2, 1.2, 1.2, 90, 90, 90}, T::BodyCenter, {4, 1, 1}, {0, -3, 1}, 0.02, 6, "I m -3 m"},
      {{1.2, 1.2, 1.2, 90, 90, 90}, T::FaceCenter, {3, 3, 1}, {1, -1, 3}, 0.01, 3, "F m -3 m"},
      {{0.6, 0.6, 0.9, 90, 90, 90}, T::Primitive, {2, 1, 1}, {0, 1, 2}, 0.025, 5, "P 4/m m m"},
      {{0.6, 0.6, 0.9, 90, 90, 90}, T::BodyCenter, {2, 1, 1}, {0, 2, 2}, 0.025, 5, "I 4/m m m"},
      {{0.6, 0.6, 0.9, 90, 90, 120}, T::Primitive, {2, 1, 1}, {0, 1, 2}, 0.025, 5, "P 6/m m m"},
      {{0.6, 0.6, 0.9, 90, 90, 120}, T::Rhombohedral, {2, 1, 2}, {0, 1, 2}, 0.025, 5, "P 63/m m c"},
      {{0.6, 0.7, 0.8, 90, 90, 90}, T::SideCenter, {2, 0, 1}, {1, 1, 2}, 0.025, 5, "C m m m"},
      {{0.6, 0.7, 0.8, 90, 100, 90}, T::Primitive, {2, 1, 0}, {0, 1, 2}, 0.025, 5, "P 1 2/m 1"},
      {{0.6, 0.7, 0.8, 80, 95, 105}, T::Primitive, {2, 1, 0}, {0, 1, 2}, 0.025, 5, "P -1"},
  };
  for (const Case& c : cases) {
    const MeasuredPattern p = patternOf(c.cell, c.g1, c.g2, c.dTol, c.angleTol);
    const SearchResult result = IndexPattern(c.cell, c.type, 4, p);
    ASSERT_FALSE(result.rows.empty()) << c.group;
    const auto families = GroupSolutions(result.rows, PhaseSymmetryOf(c.cell, c.type), p);
    EXPECT_GT(families.size(), 1u) << c.group;
    expectSamePartition(families, gemmiPartition(result.rows, c.group), c.group);
    for (const SolutionFamily& f : families) {
      // The representative is a member, and no member is a better one.
      const IndexingResult& r = result.rows[f.representative];
      EXPECT_EQ(r.g1, f.g1);
      for (std::size_t m : f.members)
        EXPECT_FALSE(PrefersAsRepresentative(result.rows[m].g1, result.rows[m].g2, f.g1, f.g2));
      EXPECT_EQ(f.zoneAxis, ZoneAxisOf(f.g1, f.g2));
    }
    for (std::size_t i = 1; i < families.size(); ++i)
      EXPECT_LE(families[i - 1].score, families[i].score + 1e-9) << c.group;
  }
}

IndexingResult row(int number, MillerIndex g1, MillerIndex g2, std::array<double, 3> d,
                   std::array<double, 3> angle) {
  return {number, g1, g2, g1 + g2, d, angle};
}

TEST(Families, ScoreAndRanking) {
  MeasuredPattern p;
  p.d = {0.2, 0.2, 0.1};
  p.angle = {90, 60, 30};
  p.dTol = {0.008, 0.008, 0.008};
  p.angleTol = {2, 2, 2};
  // d1 off by half its tolerance, <R1,R2> by half of its: Σ = 0.25 + 0.25 over 6 terms.
  const IndexingResult half = row(1, {1, 0, 0}, {0, 1, 0}, {0.204, 0.2, 0.1}, {91, 60, 30});
  EXPECT_NEAR(ScoreOf(DeviationOf(half, p), p), std::sqrt(0.5 / 6), 1e-12);
  const Deviation deviation = DeviationOf(half, p);
  EXPECT_NEAR(deviation.d[0], 0.004, 1e-15);
  EXPECT_NEAR(deviation.angle[0], 1.0, 1e-12);
  // A tolerance of 0 leaves its term out: 5 terms.
  MeasuredPattern zero = p;
  zero.dTol[2] = 0;
  EXPECT_NEAR(ScoreOf(DeviationOf(half, zero), zero), std::sqrt(0.5 / 5), 1e-12);
  MeasuredPattern none = p;
  none.dTol = {0, 0, 0};
  none.angleTol = {0, 0, 0};
  EXPECT_EQ(ScoreOf(DeviationOf(half, none), none), 0.0);

  // Cubic P: (1 0 0) + (0 1 0) and (0 1 0) + (1 0 0) are one family; (1 1 0) + (0 0 1) another.
  PhaseSymmetry cubic = PhaseSymmetryOf({0.4, 0.4, 0.4, 90, 90, 90}, LatticeType::Primitive);
  const std::vector<IndexingResult> rows = {
      row(1, {0, 1, 0}, {1, 0, 0}, {0.204, 0.2, 0.1}, {91, 60, 30}),
      row(2, {1, 1, 0}, {0, 0, 1}, {0.202, 0.2, 0.1}, {90, 60, 30}),
      row(3, {1, 0, 0}, {0, 1, 0}, {0.204, 0.2, 0.1}, {91, 60, 30}),
      row(4, {0, 0, -1}, {-1, 1, 0}, {0.201, 0.2, 0.1}, {90, 60, 30})};
  const auto families = GroupSolutions(rows, cubic, p);
  ASSERT_EQ(families.size(), 3u);
  // Best first: the single row 4 (d1 off by 0.001), then row 2, then the pair of rows 1 and 3.
  EXPECT_EQ(families[0].members, (std::vector<std::size_t>{3}));
  EXPECT_EQ(families[1].members, (std::vector<std::size_t>{1}));
  EXPECT_EQ(families[2].members, (std::vector<std::size_t>{0, 2}));
  EXPECT_EQ(families[2].representative, 2u);          // (1 0 0 0 1 0) > (0 1 0 1 0 0)
  EXPECT_EQ(families[0].g1, (MillerIndex{0, 0, -1})); // its only member, minus signs and all
  // Fewer minus signs win over the lexicographically larger: (-1 0 0 0 1 1) over (1 0 0 0 -1 -1).
  EXPECT_TRUE(PrefersAsRepresentative({-1, 0, 0}, {0, 1, 1}, {1, 0, 0}, {0, -1, -1}));
  EXPECT_FALSE(PrefersAsRepresentative({1, 0, 0}, {0, -1, -1}, {-1, 0, 0}, {0, 1, 1}));

  // Equal scores: fewer rows first; equal rows: the better representative first.
  std::vector<IndexingResult> tied = rows;
  tied[1].d[0] = tied[3].d[0] = 0.204;
  tied[1].angle[0] = tied[3].angle[0] = 91;
  const auto byRows = GroupSolutions(tied, cubic, p);
  ASSERT_EQ(byRows.size(), 3u);
  EXPECT_EQ(byRows[0].members, (std::vector<std::size_t>{1})); // (1 1 0)+(0 0 1): no minus
  EXPECT_EQ(byRows[1].members, (std::vector<std::size_t>{3}));
  EXPECT_EQ(byRows[2].members.size(), 2u);
  EXPECT_TRUE(GroupSolutions(std::vector<IndexingResult>{}, cubic, p).empty());
}

TEST(Families, FourIndexForms) {
  // Three-index [U V W] to [u v t w]: u = (2U - V)/3, v = (2V - U)/3, t = -(u + v), w = W.
  EXPECT_EQ(FourIndexDirectionOf({1, 0, 0}), (FourIndexDirection{2, -1, -1, 0}));
  EXPECT_EQ(FourIndexDirectionOf({0, 1, 0}), (FourIndexDirection{-1, 2, -1, 0}));
  EXPECT_EQ(FourIndexDirectionOf({1, 1, 0}), (FourIndexDirection{1, 1, -2, 0}));
  EXPECT_EQ(FourIndexDirectionOf({2, 1, 0}), (FourIndexDirection{1, 0, -1, 0}));
  EXPECT_EQ(FourIndexDirectionOf({0, 0, 1}), (FourIndexDirection{0, 0, 0, 1}));
  EXPECT_EQ(FourIndexDirectionOf({0, 0, -2}), (FourIndexDirection{0, 0, 0, -1}));
  EXPECT_EQ(FourIndexDirectionOf({1, 0, 1}), (FourIndexDirection{2, -1, -1, 3}));
  EXPECT_EQ(FourIndexDirectionOf({2, 0, 2}), (FourIndexDirection{2, -1, -1, 3})); // (4 -2 -2 6) / 2
  EXPECT_EQ(FourIndexDirectionOf({0, 0, 0}), (FourIndexDirection{0, 0, 0, 0}));
  EXPECT_EQ(FourIndexPlaneOf({1, 0, 1}), (FourIndexPlane{1, 0, -1, 1}));
  EXPECT_EQ(FourIndexPlaneOf({1, 1, 0}), (FourIndexPlane{1, 1, -2, 0}));

  // A basal pattern of a hexagonal cell: (1 0 0) + (-1 1 0) = (0 1 0), d = a√3/2 each, 120, 60
  // and 60 degrees. No member without a minus sign (1 0 0 + 0 1 0 gives (1 1 0) of d = a/2); of
  // those with one, (1 0 0 0 -1 0) is the largest ((1 -1 0) is a {1 0 -1 0} plane too). Zone
  // axis (1 0 0) x (0 -1 0) = [0 0 -1] = [0 0 0 -1].
  const LatticeParameters hcp{0.3209, 0.3209, 0.5211, 90, 90, 120};
  const MeasuredPattern p = patternOf(hcp, {1, 0, 0}, {-1, 1, 0});
  const SearchResult result = IndexPattern(hcp, LatticeType::Primitive, 3, p);
  const auto families =
      GroupSolutions(result.rows, PhaseSymmetryOf(hcp, LatticeType::Primitive), p);
  ASSERT_EQ(families.size(), 1u);
  EXPECT_EQ(families[0].g1, (MillerIndex{1, 0, 0}));
  EXPECT_EQ(families[0].g2, (MillerIndex{0, -1, 0}));
  EXPECT_EQ(families[0].g3, (MillerIndex{1, -1, 0}));
  EXPECT_EQ(families[0].zoneAxis, (ZoneAxis{0, 0, -1}));
  ASSERT_TRUE(families[0].zoneAxis4);
  EXPECT_EQ(*families[0].zoneAxis4, (FourIndexDirection{0, 0, 0, -1}));
}

} // namespace
} // namespace spot
