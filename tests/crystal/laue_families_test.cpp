// Families of a phase with a space group use the group's Laue class, not the lattice's own
// symmetry: checked against gemmi's operations of the matching Laue-class groups.
#include <gtest/gtest.h>

#include <algorithm>

#include <gemmi/symmetry.hpp>

#include "core/metric.hpp"
#include "crystal/cif_import.hpp"
#include "solutions/families.hpp"
#include "support/cif_samples.hpp"

namespace spot {
namespace {

using namespace spot::testing;

// The point operations of a gemmi group with the inversion added, on Miller indices (Rᵀ).
std::vector<SymmetryOperation> gemmiLaue(const char* name) {
  std::vector<SymmetryOperation> ops;
  for (const gemmi::Op& op : gemmi::get_spacegroup_by_name(name).operations().sym_ops)
    for (int sign : {1, -1}) {
      SymmetryOperation s;
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
          s.m[i][j] = sign * op.rot[j][i] / gemmi::Op::DEN;
      ops.push_back(s);
    }
  std::sort(ops.begin(), ops.end());
  ops.erase(std::unique(ops.begin(), ops.end()), ops.end());
  return ops;
}

std::vector<SymmetryOperation> sorted(std::vector<SymmetryOperation> ops) {
  std::sort(ops.begin(), ops.end());
  return ops;
}

CrystalPhase phaseOf(const char* text) { return ImportCifText(text, "t.cif").phases.at(0); }

TEST(LaueFamilies, OperationsAreTheLaueClassOfTheGroup) {
  const CrystalPhase rutile = phaseOf(kRutileCif);
  const PhaseSymmetry tetragonal = PhaseSymmetryOf(rutile.cell, rutile.rule());
  EXPECT_EQ(sorted(tetragonal.operations), gemmiLaue("P 4/m m m"));
  const CrystalPhase corundum = phaseOf(kCorundumCif);
  const PhaseSymmetry trigonal = PhaseSymmetryOf(corundum.cell, corundum.rule());
  EXPECT_EQ(sorted(trigonal.operations), gemmiLaue("R -3 m:H"));
  EXPECT_TRUE(trigonal.hexagonal);
  const CrystalPhase zro2 = phaseOf(kBaddeleyiteCif);
  EXPECT_EQ(sorted(PhaseSymmetryOf(zro2.cell, zro2.rule()).operations), gemmiLaue("P 1 2/m 1"));
  CrystalPhase acentric = rutile; // P 21 21 21 has no inversion; its Laue class is mmm
  acentric.group = SpaceGroupFromNumber(19).group;
  EXPECT_EQ(sorted(PhaseSymmetryOf(acentric.cell, acentric.rule()).operations),
            gemmiLaue("P m m m"));
  // Identity first, as grouping expects.
  EXPECT_EQ(tetragonal.operations.front().m[0][0], 1);
  EXPECT_EQ(tetragonal.operations.front().apply({1, 2, 3}), (MillerIndex{1, 2, 3}));
}

// A tetragonal group on a cell that happens to be metrically cubic: the lattice alone would join
// (2 0 0) + (0 2 0) with (0 0 2) + (2 0 0); the group's 4/mmm keeps c apart.
TEST(LaueFamilies, AGroupSplitsWhatAMetricallyCubicCellWouldJoin) {
  CrystalPhase phase = phaseOf(kRutileCif);
  phase.cell.c = phase.cell.a;
  MeasuredPattern pattern;
  pattern.d = {phase.cell.a / 2, phase.cell.a / 2, phase.cell.a / std::sqrt(8.0)};
  pattern.angle = {90, 45, 45};
  pattern.dTol = {0.001, 0.001, 0.001};
  pattern.angleTol = {1, 1, 1};
  // Centring only, P: every (2 0 0)-type pair at right angles is one family of the cube's 48.
  const SearchResult primitive = IndexPattern(phase.cell, LatticeType::Primitive, 2, pattern);
  const auto cubicFamilies =
      GroupSolutions(primitive.rows, PhaseSymmetryOf(phase.cell, LatticeType::Primitive), pattern);
  EXPECT_EQ(cubicFamilies.size(), 1u);
  // With the group (200) and (020) are allowed (h00: h = 2n) and (002) too (00l: l = 2n), but no
  // operation of 4/mmm turns c into a: (2 0 0) + (0 2 0), (2 0 0) + (0 0 2) and (0 0 2) + (2 0 0)
  // stay three families.
  const SearchResult withGroup = IndexPattern(phase.cell, phase.rule(), 2, pattern);
  EXPECT_EQ(withGroup.rows.size(), primitive.rows.size());
  const auto families =
      GroupSolutions(withGroup.rows, PhaseSymmetryOf(phase.cell, phase.rule()), pattern);
  ASSERT_EQ(families.size(), 3u);
  EXPECT_EQ(families[0].members.size() + families[1].members.size() + families[2].members.size(),
            withGroup.rows.size());
}

} // namespace
} // namespace spot
