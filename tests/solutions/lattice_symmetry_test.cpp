// The point operations of lattices against gemmi's space-group operations of the matching
// holohedry (an independent source), and the metric tolerance on nearly symmetric cells.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include <gemmi/symmetry.hpp>

#include "solutions/lattice_symmetry.hpp"

namespace spot {
namespace {

// gemmi's rotations act on fractional coordinates; on Miller indices they act transposed
// (Op::apply_to_hkl: h'_i = Σ_j rot[j][i] h_j). Inversion added: the Laue class.
std::set<SymmetryOperation> gemmiLaueOperations(const std::string& name) {
  const gemmi::SpaceGroup* group = gemmi::find_spacegroup_by_name(name);
  EXPECT_NE(group, nullptr) << name;
  std::set<SymmetryOperation> result;
  if (group == nullptr) return result;
  for (const gemmi::Op& op : group->operations().sym_ops) {
    SymmetryOperation s;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        s.m[i][j] = op.rot[j][i] / gemmi::Op::DEN;
    result.insert(s);
    for (auto& row : s.m)
      for (int& value : row)
        value = -value;
    result.insert(s);
  }
  return result;
}

std::set<SymmetryOperation> ours(const LatticeParameters& cell, LatticeType type) {
  const std::vector<SymmetryOperation> ops = LatticePointOperations(cell, type);
  const std::set<SymmetryOperation> unique(ops.begin(), ops.end());
  EXPECT_EQ(unique.size(), ops.size()) << "an operation listed twice";
  return unique;
}

// The matrix with rows/columns 1 and 2 swapped conjugating each operation: the same group with
// its unique axis along b instead of c.
std::set<SymmetryOperation> uniqueAxisAlongB(const std::set<SymmetryOperation>& ops) {
  const std::array<int, 3> swap = {0, 2, 1};
  std::set<SymmetryOperation> result;
  for (const SymmetryOperation& op : ops) {
    SymmetryOperation s;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        s.m[i][j] = op.m[swap[i]][swap[j]];
    result.insert(s);
  }
  return result;
}

TEST(LatticeSymmetry, HolohedriesAgreeWithGemmi) {
  using T = LatticeType;
  struct Case {
    LatticeParameters cell;
    LatticeType type;
    std::string group; // gemmi's space group of that holohedry and centring
  };
  const std::vector<Case> cases = {
      {{0.4, 0.4, 0.4, 90, 90, 90}, T::Primitive, "P m -3 m"},
      {{0.2866, 0.2866, 0.2866, 90, 90, 90}, T::BodyCenter, "I m -3 m"},
      {{0.4, 0.4, 0.4, 90, 90, 90}, T::FaceCenter, "F m -3 m"},
      {{0.3, 0.3, 0.5, 90, 90, 90}, T::Primitive, "P 4/m m m"},
      {{0.3, 0.3, 0.5, 90, 90, 90}, T::BodyCenter, "I 4/m m m"},
      {{0.3, 0.4, 0.5, 90, 90, 90}, T::Primitive, "P m m m"},
      {{0.3, 0.4, 0.5, 90, 90, 90}, T::SideCenter, "C m m m"},
      {{0.3, 0.3, 0.5, 90, 90, 120}, T::Primitive, "P 6/m m m"},
      // This tool's R type removes h + 2k = 3n with l odd: hexagonal close packing, 6/mmm.
      {{0.3209, 0.3209, 0.5211, 90, 90, 120}, T::Rhombohedral, "P 63/m m c"},
      {{0.5, 0.5, 0.5, 70, 70, 70}, T::Primitive, "R -3 m:R"},
      {{0.3, 0.4, 0.5, 90, 100, 90}, T::Primitive, "P 1 2/m 1"},
      {{0.3, 0.4, 0.5, 90, 100, 90}, T::SideCenter, "C 1 2/m 1"},
      {{0.3, 0.4, 0.5, 80, 95, 105}, T::Primitive, "P -1"},
      // C centring on a cubic metric keeps only the operations that fix the c axis' class.
      {{0.4, 0.4, 0.4, 90, 90, 90}, T::SideCenter, "P 4/m m m"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ours(c.cell, c.type), gemmiLaueOperations(c.group)) << c.group;

  // Identity first, inversion always there.
  const std::vector<SymmetryOperation> triclinic =
      LatticePointOperations({0.3, 0.4, 0.5, 80, 95, 105}, T::Primitive);
  ASSERT_EQ(triclinic.size(), 2u);
  EXPECT_EQ(triclinic[0].apply({1, 2, 3}), (MillerIndex{1, 2, 3}));
  EXPECT_EQ(triclinic[1].apply({1, 2, 3}), (MillerIndex{-1, -2, -3}));
}

TEST(LatticeSymmetry, NearlySymmetricCellsKeepOnlyTheirOwnSymmetry) {
  // b 2.5e-4 longer than a = c: far beyond 1e-5, so tetragonal with its 4-fold axis along b.
  EXPECT_EQ(ours({0.4, 0.4001, 0.4, 90, 90, 90}, LatticeType::Primitive),
            uniqueAxisAlongB(gemmiLaueOperations("P 4/m m m")));
  EXPECT_EQ(ours({0.4, 0.4001, 0.4002, 90, 90, 90}, LatticeType::FaceCenter),
            gemmiLaueOperations("P m m m"));
  // Within the tolerance: a database's rounding of a cubic cell stays cubic.
  EXPECT_EQ(ours({0.4, 0.400001, 0.4, 90, 90, 90.0001}, LatticeType::Primitive).size(), 48u);
  // gamma 0.01 degrees off 120 is no longer hexagonal.
  EXPECT_EQ(ours({0.3, 0.3, 0.5, 90, 90, 120.01}, LatticeType::Primitive).size(), 8u);
}

TEST(LatticeSymmetry, HexagonalCellsAndCellsWithoutVolume) {
  EXPECT_TRUE(IsHexagonalCell({0.3209, 0.3209, 0.5211, 90, 90, 120}));
  EXPECT_FALSE(IsHexagonalCell({0.3209, 0.3209, 0.5211, 90, 90, 60}));
  EXPECT_FALSE(IsHexagonalCell({0.3209, 0.321, 0.5211, 90, 90, 120}));
  EXPECT_FALSE(IsHexagonalCell({0.4, 0.4, 0.4, 90, 90, 90}));
  EXPECT_FALSE(IsHexagonalCell({0.3, 0.3, 0.5, 90, 100, 120}));
  EXPECT_FALSE(IsHexagonalCell({0.3, 0.3, 0.5, 80, 90, 120}));
  EXPECT_FALSE(IsHexagonalCell({0, 0, 0, 90, 90, 120}));
  // No volume: only the identity and the inversion, and no endless search.
  const auto flat = LatticePointOperations({0, 0, 0, 0, 0, 0}, LatticeType::Primitive);
  ASSERT_EQ(flat.size(), 2u);
  EXPECT_EQ(flat[0].apply({1, 2, 3}), (MillerIndex{1, 2, 3}));
  EXPECT_EQ(flat[1].apply({1, 2, 3}), (MillerIndex{-1, -2, -3}));
  EXPECT_EQ(LatticePointOperations({0.3, 0.3, 0.3, 120, 120, 120}, LatticeType::Primitive).size(),
            2u);
  // Extremely oblique yet real: the search stays bounded.
  EXPECT_GE(
      LatticePointOperations({0.3, 0.3, 0.3, 119.9, 119.9, 119.9}, LatticeType::Primitive).size(),
      2u);
}

} // namespace
} // namespace spot
