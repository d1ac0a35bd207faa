// The plane calculator: zone-axis reduction, and a calculation that stops where it faults.
#include <gtest/gtest.h>

#include <cmath>

#include "calculator/plane_triplet.hpp"
#include "core/number_format.hpp"

namespace spot {
namespace {

using Axis = std::array<double, 3>;

TEST(ReducedZoneAxis, DividesByTheLargestCommonWholeNumberKeepingSigns) {
  // (200) × (020) = (0 0 4), reduced by 4.
  EXPECT_EQ(ReducedZoneAxis({2, 0, 0}, {0, 2, 0}), (Axis{0, 0, 1}));
  // (110) × (1-10) = (0 0 -2): the sign stays.
  EXPECT_EQ(ReducedZoneAxis({1, 1, 0}, {1, -1, 0}), (Axis{0, 0, -1}));
  // (123) × (321) = (2·1 − 3·2, 3·3 − 1·1, 1·2 − 2·3) = (−4 8 −4), reduced by 4.
  EXPECT_EQ(ReducedZoneAxis({1, 2, 3}, {3, 2, 1}), (Axis{-1, 2, -1}));
  // (220) × (003) = (6 −6 0): 6 divides both and is not above |6| + |−6| = 12.
  EXPECT_EQ(ReducedZoneAxis({2, 2, 0}, {0, 0, 3}), (Axis{1, -1, 0}));
  // Co-prime components stay; parallel planes give (0 0 0) and nothing to divide.
  EXPECT_EQ(ReducedZoneAxis({1, 1, 1}, {1, 0, 0}), (Axis{0, 1, -1}));
  EXPECT_EQ(ReducedZoneAxis({1, 0, 0}, {2, 0, 0}), (Axis{0, 0, 0}));
  // (0 2.5 0) × (001) = (2.5 0 0). Tested as whole numbers 2.5 rounds to 2 (halves to even), and
  // 2 is not above the sum 2.5, so the product is halved; rounding halves up would keep 2.5.
  EXPECT_EQ(ReducedZoneAxis({0, 2.5, 0}, {0, 0, 1}), (Axis{1.25, 0, 0}));
}

TEST(PlaneTriplet, CubicAndHexagonalCellsAndFaultsPartWay) {
  const LatticeParameters cubic{0.4, 0.4, 0.4, 90, 90, 90, 0};
  const PlaneTripletCalculation r = CalculatePlaneTriplet(cubic, {1, 0, 0}, {0, 1, 0}, {1, 1, 0});
  ASSERT_FALSE(r.fault);
  EXPECT_EQ(r.zoneAxis, (Axis{0, 0, 1}));
  // The general form shows whole degrees although the arithmetic leaves its last bits.
  EXPECT_EQ(FormatGeneral(*r.angles[0]), "90");
  EXPECT_EQ(FormatGeneral(*r.angles[1]), "45");
  EXPECT_EQ(FormatGeneral(*r.angles[2]), "45");
  EXPECT_EQ(FormatSpacing(*r.spacings[0]), "0.4000000");
  EXPECT_EQ(FormatSpacing(*r.spacings[2]), "0.2828427"); // 0.4 / √2

  // Hexagonal a = 0.3, c = 0.5: the normals of (100) and (010) are 60° apart, d(100) = a·√3/2,
  // d(001) = c, and (100) ⟂ (001).
  const LatticeParameters hexagonal{0.3, 0.3, 0.5, 90, 90, 120, 0};
  const PlaneTripletCalculation h =
      CalculatePlaneTriplet(hexagonal, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
  ASSERT_FALSE(h.fault);
  EXPECT_NEAR(*h.angles[0], 60.0, 1e-9);
  EXPECT_NEAR(*h.angles[2], 90.0, 1e-9);
  EXPECT_NEAR(*h.spacings[0], 0.3 * std::sqrt(3.0) / 2, 1e-12);
  EXPECT_NEAR(*h.spacings[2], 0.5, 1e-12);

  // R3 = (000): the zone axis and <R1,R2> are there, <R2,R3> is where it stops.
  const PlaneTripletCalculation zero =
      CalculatePlaneTriplet(cubic, {1, 0, 0}, {0, 1, 0}, {0, 0, 0});
  ASSERT_TRUE(zero.fault);
  EXPECT_EQ(zero.zoneAxis, (Axis{0, 0, 1}));
  EXPECT_TRUE(zero.angles[0]);
  EXPECT_FALSE(zero.angles[1]);
  EXPECT_FALSE(zero.spacings[0]);

  // Parallel R1 and R2 fault at the first angle; an empty cell too, never with NaN shown.
  const PlaneTripletCalculation parallel =
      CalculatePlaneTriplet(cubic, {1, 0, 0}, {-2, 0, 0}, {-1, 0, 0});
  EXPECT_TRUE(parallel.fault);
  EXPECT_FALSE(parallel.angles[0]);
  const PlaneTripletCalculation empty =
      CalculatePlaneTriplet(LatticeParameters{}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0});
  EXPECT_TRUE(empty.fault);
  EXPECT_FALSE(empty.angles[0]);
}

} // namespace
} // namespace spot
