// The plane calculator: zone-axis reduction, and a calculation that stops where it faults.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include <gemmi/unitcell.hpp>

#include "calculator/calculator_boxes.hpp"
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
  // (1.8 0 0) × (0 2 0) = (0 0 3.6) rounds to 4, above the sum 3.6: of 2, 3 (the whole numbers
  // up to 3.6) only 2 divides 4, so 1.8. (1.3 0 0) × (0 2 0) = (0 0 2.6) rounds to 3: 2 does not
  // divide it, nothing is divided.
  EXPECT_EQ(ReducedZoneAxis({1.8, 0, 0}, {0, 2, 0}), (Axis{0, 0, 1.8}));
  EXPECT_EQ(ReducedZoneAxis({1.3, 0, 0}, {0, 2, 0}), (Axis{0, 0, 2.6}));
  // (a 0 0) × (0 2 0) = (0 0 2a) rounding up to a whole number above 2a: the largest divisor of
  // it not above 2a. 8.6 → 9 = 3·3: 3; 24.6 → 25 = 5·5: 5; 48.6 → 49 = 7·7: 7; 10.6 → 11 is
  // prime, and 1.6 → 2 leaves no whole number from 2 up to 1.6: nothing is divided.
  for (const auto& [a, divisor] :
       {std::pair{4.3, 3.0}, {12.3, 5.0}, {24.3, 7.0}, {5.3, 1.0}, {0.8, 1.0}})
    EXPECT_EQ(ReducedZoneAxis({a, 0, 0}, {0, 2, 0}), (Axis{0, 0, a * 2 / divisor})) << a;
  // (0 2^52-1/2 0) × (0 0 1) rounds to 2^52, above the sum: a search up to the sum would try
  // 4.5·10^15 divisors. The largest divisor of 2^52 below it is 2^51, leaving 2 - 2^-52.
  EXPECT_EQ(ReducedZoneAxis({0, 4503599627370495.5, 0}, {0, 0, 1}),
            (Axis{2 - std::ldexp(1.0, -52), 0, 0}));
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
  EXPECT_EQ(zero.fault->fault, CalculatorFault::ZeroPlane);
  EXPECT_EQ(zero.fault->angle, 1);
  EXPECT_EQ(FaultBox(*zero.fault), Box::CalcH3);
  EXPECT_EQ(zero.zoneAxis, (Axis{0, 0, 1}));
  EXPECT_TRUE(zero.angles[0]);
  EXPECT_FALSE(zero.angles[1]);
  EXPECT_FALSE(zero.spacings[0]);

  // A real cell whose metric overflows (edges of 1e200 nm, squares beyond a double) stops at
  // the first angle and points at the cell, not at the planes.
  const PlaneTripletCalculation huge =
      CalculatePlaneTriplet({1e200, 1e200, 1e200, 90, 90, 90, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0});
  ASSERT_TRUE(huge.fault);
  EXPECT_EQ(huge.fault->fault, CalculatorFault::CellOutOfRange);
  EXPECT_EQ(FaultBox(*huge.fault), Box::A);
  EXPECT_FALSE(huge.angles[0]);
  EXPECT_EQ(huge.zoneAxis, (Axis{0, 0, 1}));

  // An empty cell stops at the first angle, never with NaN shown, and names the cell.
  const PlaneTripletCalculation empty =
      CalculatePlaneTriplet(LatticeParameters{}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0});
  ASSERT_TRUE(empty.fault);
  EXPECT_EQ(empty.fault->fault, CalculatorFault::InvalidCell);
  EXPECT_EQ(FaultBox(*empty.fault), Box::A);
  EXPECT_FALSE(empty.angles[0]);
}

TEST(PlaneTriplet, EachAngleAndParallelPairIsTheOneNamed) {
  // Cubic a = 0.4 with R3 = (1 2 0): cos<R2,R3> = 2/√5 and cos<R1,R3> = 1/√5, so the three angles
  // differ (90, 26.565, 63.435 degrees) and d3 = 0.4/√5.
  const LatticeParameters cubic{0.4, 0.4, 0.4, 90, 90, 90, 0};
  const PlaneTripletCalculation r = CalculatePlaneTriplet(cubic, {1, 0, 0}, {0, 1, 0}, {1, 2, 0});
  ASSERT_FALSE(r.fault);
  EXPECT_NEAR(*r.angles[0], 90.0, 1e-12);
  EXPECT_NEAR(*r.angles[1], std::acos(2 / std::sqrt(5.0)) * 180 / std::numbers::pi, 1e-12);
  EXPECT_NEAR(*r.angles[2], std::acos(1 / std::sqrt(5.0)) * 180 / std::numbers::pi, 1e-12);
  EXPECT_NEAR(*r.spacings[2], 0.4 / std::sqrt(5.0), 1e-15);

  // Each pair parallel in turn: the angle before it stays, the fault names the pair and puts the
  // focus on the pair's second plane.
  const struct {
    PlaneVector r1, r2, r3;
    int angle;
    Box box;
    const char* words;
  } parallel[] = {{{1, 0, 0}, {-2, 0, 0}, {0, 1, 0}, 0, Box::CalcH2, "R1 and R2 are parallel"},
                  {{1, 0, 0}, {0, 1, 0}, {0, 3, 0}, 1, Box::CalcH3, "R2 and R3 are parallel"},
                  {{1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, 2, Box::CalcH3, "R1 and R3 are parallel"}};
  for (const auto& c : parallel) {
    const PlaneTripletCalculation p = CalculatePlaneTriplet(cubic, c.r1, c.r2, c.r3);
    ASSERT_TRUE(p.fault) << c.words;
    EXPECT_EQ(p.fault->fault, CalculatorFault::ParallelPlanes);
    EXPECT_EQ(p.fault->angle, c.angle);
    EXPECT_EQ(FaultBox(*p.fault), c.box);
    EXPECT_NE(FaultMessage(*p.fault).find(c.words), std::string::npos) << FaultMessage(*p.fault);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(p.angles[static_cast<std::size_t>(i)].has_value(), i < c.angle) << c.words;
  }
  // R2 = (000) fails the first angle and names R2, not R1.
  const PlaneTripletCalculation zero =
      CalculatePlaneTriplet(cubic, {1, 0, 0}, {0, 0, 0}, {1, 0, 0});
  EXPECT_EQ(FaultBox(*zero.fault), Box::CalcH2);
  EXPECT_EQ(FaultMessage(*zero.fault).substr(0, 14), "R2 is (0 0 0),");
}

TEST(PlaneTriplet, TriclinicAnglesAndSpacingsAgreeWithGemmiPlaneByPlane) {
  // No two planes share a spacing and no two pairs an angle, so a plane or a pair taken for
  // another shows. gemmi's reciprocal vectors: g = h·frac (rows of the fractionalisation matrix).
  const LatticeParameters cell{0.5, 0.6, 0.7, 80, 100, 110, 0};
  const gemmi::UnitCell reference(0.5, 0.6, 0.7, 80, 100, 110);
  const auto cart = [&](const PlaneVector& g) {
    const auto& f = reference.frac.mat;
    return gemmi::Vec3(g[0] * f[0][0] + g[1] * f[1][0] + g[2] * f[2][0],
                       g[0] * f[0][1] + g[1] * f[1][1] + g[2] * f[2][1],
                       g[0] * f[0][2] + g[1] * f[1][2] + g[2] * f[2][2]);
  };
  const struct {
    PlaneVector r1, r2, r3;
    Axis zone; // R1 × R2 by hand
  } cases[] = {// (1 -1 0) × (0 1 2) = (-1·2 - 0·1, 0·0 - 1·2, 1·1 - (-1)·0) = (-2 -2 1)
               {{1, -1, 0}, {0, 1, 2}, {1, 0, 2}, {-2, -2, 1}},
               // (2 1 -1) × (-1 3 0) = (1·0 - (-1)·3, (-1)(-1) - 2·0, 2·3 - 1·(-1)) = (3 1 7)
               {{2, 1, -1}, {-1, 3, 0}, {1, 4, -1}, {3, 1, 7}},
               // (0 0 2) × (3 0 0) = (0, 6, 0), reduced by 6
               {{0, 0, 2}, {3, 0, 0}, {1, 2, 3}, {0, 1, 0}}};
  for (const auto& c : cases) {
    const PlaneTripletCalculation r = CalculatePlaneTriplet(cell, c.r1, c.r2, c.r3);
    ASSERT_FALSE(r.fault);
    EXPECT_EQ(r.zoneAxis, c.zone);
    const std::array<gemmi::Vec3, 3> v = {cart(c.r1), cart(c.r2), cart(c.r3)};
    const std::array<double, 3> angles = {
        gemmi::deg(v[0].angle(v[1])), gemmi::deg(v[1].angle(v[2])), gemmi::deg(v[0].angle(v[2]))};
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_NEAR(*r.angles[i], angles[i], 1e-9) << i;
      EXPECT_NEAR(*r.spacings[i], 1 / v[i].length(), 1e-12) << i;
    }
  }
}

TEST(CalculatorBoxes, ElementOrderReadingAndCaptions) {
  // Nine different numbers, so that a box read into the wrong plane or index shows.
  BoxTexts boxes = BoxTexts::Initial();
  for (int plane = 0; plane < 3; ++plane)
    for (int index = 0; index < 3; ++index)
      boxes[kCalculatorIndexBoxes[plane][index]] = std::to_string(10 * (plane + 1) + index);
  EXPECT_EQ(boxes[Box::CalcK3], "31"); // R3 k
  EXPECT_EQ(ReadCalculatorPlanes(boxes),
            (std::array<PlaneVector, 3>{{{10, 11, 12}, {20, 21, 22}, {30, 31, 32}}}));
  // The outputs hold "***" and are not index boxes.
  EXPECT_FALSE(FirstNonNumericIndexBox(boxes));
  // Element order runs R1 h (6), R2 h, R3 h, R1 k (9) ...: R3 k (11) comes before R1 l (12).
  boxes[Box::CalcL1] = "x";
  EXPECT_EQ(FirstNonNumericIndexBox(boxes), Box::CalcL1);
  boxes[Box::CalcK3] = "";
  EXPECT_EQ(FirstNonNumericIndexBox(boxes), Box::CalcK3);
  boxes[Box::CalcH1] = "1,0";
  EXPECT_EQ(FirstNonNumericIndexBox(boxes), Box::CalcH1);
  boxes = BoxTexts::Initial();
  for (Box b : {Box::CalcH1, Box::CalcH2, Box::CalcH3, Box::CalcK1, Box::CalcK2, Box::CalcK3,
                Box::CalcL1, Box::CalcL2})
    boxes[b] = "1";
  EXPECT_EQ(FirstNonNumericIndexBox(boxes), Box::CalcL3); // the last box is checked too

  EXPECT_EQ(SpacingCaption(0, 0.4), "d1=0.4000000");
  EXPECT_EQ(SpacingCaption(2, 0.0625), "d3=0.0625000");
  EXPECT_EQ(SpacingCaption(1, std::nullopt), "d2= ***");
}

TEST(PlaneTriplet, IndicesBeyondExactProductsAreRefusedNamingTheBox) {
  // Each of these once hung the reduction or printed a wrong angle; now they come back at once,
  // refused before anything is calculated.
  const LatticeParameters cubic{0.4, 0.4, 0.4, 90, 90, 90, 0};
  const struct {
    PlaneVector r1, r2, r3;
    CalculatorFault fault;
    Box box;
  } refused[] = {
      {{0, 9999999999.5, 0}, {1, 0, 0}, {1, 1, 0}, CalculatorFault::IndexTooLarge, Box::CalcK1},
      {{0, 4503599627370495.5, 0},
       {1, 0, 0},
       {1, 1, 0},
       CalculatorFault::IndexTooLarge,
       Box::CalcK1},
      // 1e200 in R1 and R3: <R1,R3> came out 90 where (1 0 0) and (1 1 0) make 45 degrees. R3 h
      // (element 8) comes before R1 l (element 12).
      {{1e200, 0, 1e200},
       {0, 1e200, 0},
       {1e200, 1e200, 0},
       CalculatorFault::IndexTooLarge,
       Box::CalcH1},
      {{1, 0, 1e200}, {0, 1, 0}, {1e200, 1, 0}, CalculatorFault::IndexTooLarge, Box::CalcH3},
      {{1, 0, 0}, {0, 1, 0}, {1, 1, 1e-200}, CalculatorFault::IndexTooSmall, Box::CalcL3},
      {{1, 0, 0},
       {0, -std::numeric_limits<double>::infinity(), 0},
       {1, 1, 0},
       CalculatorFault::IndexTooLarge,
       Box::CalcK2}};
  for (const auto& c : refused) {
    const PlaneTripletCalculation r = CalculatePlaneTriplet(cubic, c.r1, c.r2, c.r3);
    ASSERT_TRUE(r.fault) << BoxCaption(c.box);
    EXPECT_EQ(r.fault->fault, c.fault);
    EXPECT_EQ(FaultBox(*r.fault), c.box);
    EXPECT_NE(FaultMessage(*r.fault).find("\"" + BoxCaption(c.box) + "\""), std::string::npos)
        << FaultMessage(*r.fault);
    EXPECT_FALSE(r.zoneAxis);
    EXPECT_FALSE(r.angles[0]);
    EXPECT_EQ(r.fault->angle, -1); // refused before any angle
  }

  // The edges are taken: 2^26 and 2^-26. (2^26 0 0) × (0 2^26 0) = (0 0 2^52), reduced to 1.
  const double largest = kLargestCalculatorIndex;
  const PlaneTripletCalculation edge =
      CalculatePlaneTriplet(cubic, {largest, 0, 0}, {0, largest, 0}, {0, 0, 1 / largest});
  ASSERT_FALSE(edge.fault) << FaultMessage(*edge.fault);
  EXPECT_EQ(edge.zoneAxis, (Axis{0, 0, 1}));
  EXPECT_NEAR(*edge.spacings[2], 0.4 * largest, 1e-6); // d = a / l
  EXPECT_EQ(
      CalculatePlaneTriplet(cubic, {std::nextafter(largest, 1e300), 0, 0}, {0, 1, 0}, {1, 1, 0})
          .fault->fault,
      CalculatorFault::IndexTooLarge);
}

} // namespace
} // namespace spot
