// Metric tensors, spacings, interplanar angles and zone axes, cross-checked against gemmi.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include <gemmi/unitcell.hpp>

#include "core/metric.hpp"

namespace spot {
namespace {

const LatticeParameters kCubic{0.4, 0.4, 0.4, 90, 90, 90, 1};

MetricTensor reciprocal(const LatticeParameters& cell) {
  const ReciprocalMetric m = ReciprocalMetricOf(cell);
  EXPECT_TRUE(m.inverted);
  return m.gStar;
}

TEST(Metric, CubicSpacingsAndAngles) {
  const MetricTensor g = reciprocal(kCubic);
  EXPECT_NEAR(g[0][0], 6.25, 1e-12); // 1 / 0.4²
  EXPECT_NEAR(g[0][1], 0.0, 1e-12);
  EXPECT_NEAR(DSpacing(MillerIndex{1, 0, 0}, g).value, 0.4, 1e-12);
  EXPECT_NEAR(DSpacing(MillerIndex{1, 1, 0}, g).value, 0.4 / std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(DSpacing(MillerIndex{1, 1, 1}, g).value, 0.4 / std::sqrt(3.0), 1e-12);
  EXPECT_NEAR(InterplanarAngle(MillerIndex{1, 0, 0}, MillerIndex{1, 1, 0}, g).value, 45, 1e-9);
  EXPECT_NEAR(InterplanarAngle(MillerIndex{1, 0, 0}, MillerIndex{0, 1, 0}, g).value, 90, 1e-9);
  EXPECT_NEAR(InterplanarAngle(MillerIndex{1, 0, 0}, MillerIndex{-1, 1, 0}, g).value, 135, 1e-9);
  const Checked<double> origin = DSpacing(MillerIndex{0, 0, 0}, g);
  EXPECT_TRUE(origin.ok());
  EXPECT_EQ(origin.value, 0.0);
}

TEST(Metric, HexagonalCell) {
  const MetricTensor g = reciprocal({0.3, 0.3, 0.5, 90, 90, 120, 0});
  // Reciprocal axes of a hexagonal cell are 60 degrees apart.
  EXPECT_NEAR(InterplanarAngle(MillerIndex{1, 0, 0}, MillerIndex{0, 1, 0}, g).value, 60, 1e-9);
  EXPECT_NEAR(DSpacing(MillerIndex{0, 0, 2}, g).value, 0.25, 1e-12);
}

TEST(Metric, AngleFaultsInsteadOfReturningNonsense) {
  const MetricTensor g = reciprocal(kCubic);
  EXPECT_EQ(InterplanarAngle(MillerIndex{1, 0, 0}, MillerIndex{2, 0, 0}, g).fault,
            GeometryFault::ParallelPlanes);
  EXPECT_EQ(InterplanarAngle(MillerIndex{1, 0, 0}, MillerIndex{-1, 0, 0}, g).fault,
            GeometryFault::ParallelPlanes);
  EXPECT_EQ(InterplanarAngle(MillerIndex{0, 0, 0}, MillerIndex{1, 0, 0}, g).fault,
            GeometryFault::ZeroPlane);
  EXPECT_EQ(DSpacingFromProduct(-1e-3).fault, GeometryFault::NegativeRoot);
}

TEST(InvertMatrix, FullPivotingAndSingularity) {
  // Largest element off the diagonal: rows and columns are swapped, and swapped back. In the
  // first matrix the place mirrored about the diagonal of each pivot holds 0.
  const double matrices[2][3][3] = {{{0, 9, 0}, {0, 0, 1}, {1, 0, 0}},
                                    {{1, 9, 2}, {3, 1, 7}, {8, 2, 1}}};
  SquareMatrix inverse(3);
  for (const auto& values : matrices) {
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        inverse(i, j) = values[i][j];
    ASSERT_TRUE(InvertMatrix(inverse));
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        double product = 0;
        for (int k = 0; k < 3; ++k)
          product += values[i][k] * inverse(k, j);
        EXPECT_NEAR(product, i == j ? 1.0 : 0.0, 1e-12) << i << "," << j;
      }
  }
  const auto& values = matrices[1]; // its inverse is the one left in `inverse`

  // The same through the 3x3 form, which must not take the matrix for its transpose.
  MetricTensor tensor{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      tensor[i][j] = values[i][j];
  ASSERT_TRUE(InvertMatrix(tensor));
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      EXPECT_NEAR(tensor[i][j], inverse(i, j), 1e-15) << i << "," << j;

  SquareMatrix zero(3);
  EXPECT_FALSE(InvertMatrix(zero));
  SquareMatrix tiny(3);
  tiny(0, 0) = 1e-17;
  tiny(1, 1) = 1e-17;
  tiny(2, 2) = 1e-17;
  EXPECT_FALSE(InvertMatrix(tiny)); // 1e-17 + 1 == 1
  MetricTensor degenerate = MetricTensorOf({0.4, 0.4, 0.4, 90, 90, 0, 0});
  EXPECT_FALSE(InvertMatrix(degenerate));
}

TEST(ZoneAxis, ReducedCrossProductWithItsSign) {
  EXPECT_EQ(ZoneAxisOf({1, 0, 0}, {0, 1, 0}), (ZoneAxis{0, 0, 1}));
  EXPECT_EQ(ZoneAxisOf({0, 1, 0}, {1, 0, 0}), (ZoneAxis{0, 0, -1}));
  EXPECT_EQ(ZoneAxisOf({2, 0, 0}, {0, 2, 0}), (ZoneAxis{0, 0, 1}));
  EXPECT_EQ(ZoneAxisOf({1, 2, 3}, {3, 2, 1}), (ZoneAxis{-1, 2, -1}));
  EXPECT_EQ(ZoneAxisOf({1, 1, 1}, {2, 2, 2}), (ZoneAxis{0, 0, 0}));
}

TEST(IsRealCell, RejectsCellsWithoutVolume) {
  EXPECT_TRUE(IsRealCell(kCubic));
  EXPECT_TRUE(IsRealCell({0.5, 0.6, 0.7, 80, 100, 110, 0}));
  EXPECT_FALSE(IsRealCell({0, 0.4, 0.4, 90, 90, 90, 0}));
  EXPECT_FALSE(IsRealCell({0.4, 0.4, 0.4, 90, 90, 180, 0}));
  EXPECT_FALSE(IsRealCell({0.4, 0.4, 0.4, 120, 120, 120, 0})); // the three angles sum to 360
}

// Independent geometry: gemmi's Cartesian reciprocal vectors g = hkl · frac.
gemmi::Vec3 gemmiReciprocal(const gemmi::UnitCell& cell, const MillerIndex& g) {
  const auto& f = cell.frac.mat;
  return {g.h * f[0][0] + g.k * f[1][0] + g.l * f[2][0],
          g.h * f[0][1] + g.k * f[1][1] + g.l * f[2][1],
          g.h * f[0][2] + g.k * f[1][2] + g.l * f[2][2]};
}

TEST(Metric, AgreesWithGemmiOnRandomTriclinicCells) {
  std::mt19937 random(20261206);
  std::uniform_real_distribution<double> length(0.2, 2.0), angle(60.0, 120.0);
  std::uniform_int_distribution<int> index(-6, 6);
  int compared = 0;
  while (compared < 300) {
    const LatticeParameters cell{length(random),
                                 length(random),
                                 length(random),
                                 angle(random),
                                 angle(random),
                                 angle(random),
                                 0};
    if (!IsRealCell(cell)) continue;
    const gemmi::UnitCell reference(cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma);
    const MetricTensor g = reciprocal(cell);
    const MillerIndex p{index(random), index(random), index(random)};
    const MillerIndex q{index(random), index(random), index(random)};
    if (p.isZero() || q.isZero() || AreParallel(p, q)) continue;
    EXPECT_NEAR(DSpacing(p, g).value, reference.calculate_d({p.h, p.k, p.l}), 1e-9);
    const gemmi::Vec3 u = gemmiReciprocal(reference, p), v = gemmiReciprocal(reference, q);
    const double expected = gemmi::deg(u.angle(v));
    EXPECT_NEAR(InterplanarAngle(p, q, g).value, expected, 1e-6);
    ++compared;
  }
}

} // namespace
} // namespace spot
