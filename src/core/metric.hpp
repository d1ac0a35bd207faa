// Metric geometry of a cell: the direct metric tensor G, its inverse G*, and from G* the
// spacing of a plane, the angle between two planes; and the zone axis of two planes.
#pragma once

#include <array>
#include <cmath> // sqrt, atan
#include <numbers>
#include <vector>

#include "core/fault.hpp"
#include "core/lattice.hpp"

namespace spot {

/// 3x3 matrix of doubles, 0-based rows and columns. G is symmetric; G* = G^-1.
using MetricTensor = std::array<std::array<double, 3>, 3>;

/// Plane indices as real numbers, for the calculator, whose boxes may hold any number.
using PlaneVector = std::array<double, 3>;

inline PlaneVector ToPlaneVector(const MillerIndex& g) {
  return {static_cast<double>(g.h), static_cast<double>(g.k), static_cast<double>(g.l)};
}

/// Degrees to radians and back, with pi at full double precision.
inline double ToRadians(double degrees) { return degrees * std::numbers::pi / 180.0; }
inline double ToDegrees(double radians) { return radians / std::numbers::pi * 180.0; }

// METRIC TENSORS

/// G(1,1) = a², G(1,2) = ab cos γ, G(1,3) = ac cos β, G(2,3) = bc cos α ...
MetricTensor MetricTensorOf(const LatticeParameters& cell);

/// Square matrix of any order for InvertMatrix; row-major, 0-based.
struct SquareMatrix {
  int n = 0;
  std::vector<double> values;

  explicit SquareMatrix(int order) : n(order), values(static_cast<std::size_t>(order * order)) {}
  double& operator()(int row, int col) { return values[static_cast<std::size_t>(row * n + col)]; }
  double operator()(int row, int col) const {
    return values[static_cast<std::size_t>(row * n + col)];
  }
};

/// Gauss-Jordan elimination with full pivoting, in place. False when the largest remaining pivot
/// m has m + 1 == 1 (singular), or when the arithmetic overflows; the matrix is then left as
/// partly reduced.
bool InvertMatrix(SquareMatrix& a);
/// The same on a 3x3 metric tensor.
bool InvertMatrix(MetricTensor& a);

/// G* of a cell: G inverted. False in the flag when G is singular (degenerate cell).
struct ReciprocalMetric {
  MetricTensor gStar{};
  bool inverted = false;
};
ReciprocalMetric ReciprocalMetricOf(const LatticeParameters& cell);

/// True when the cell is a real one: positive edges and angles that enclose a positive volume.
bool IsRealCell(const LatticeParameters& cell);

// PLANES

/// g1ᵀ G* g2, summed over all nine terms in row order. PlaneProduct(g, g) = 1/d² in nm⁻².
inline double PlaneProduct(const PlaneVector& g1, const PlaneVector& g2,
                           const MetricTensor& gStar) {
  double sum = 0.0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      sum += g1[i] * gStar[i][j] * g2[j];
  return sum;
}
inline double PlaneProduct(const MillerIndex& g1, const MillerIndex& g2,
                           const MetricTensor& gStar) {
  return PlaneProduct(ToPlaneVector(g1), ToPlaneVector(g2), gStar);
}

/// Spacing of a plane from Q = PlaneProduct(g, g): 0 when Q is 0 (the plane (000)), else 1/√Q.
inline Checked<double> DSpacingFromProduct(double q) {
  if (q == 0.0) return {0.0, {}};
  if (!(q > 0.0)) return Checked<double>::failed(GeometryFault::NegativeRoot);
  return {1.0 / std::sqrt(q), {}};
}

/// Interplanar spacing in nm; 0 for (000).
inline Checked<double> DSpacing(const PlaneVector& g, const MetricTensor& gStar) {
  return DSpacingFromProduct(PlaneProduct(g, g, gStar));
}
inline Checked<double> DSpacing(const MillerIndex& g, const MetricTensor& gStar) {
  return DSpacing(ToPlaneVector(g), gStar);
}

/// The angle in degrees (0 to 180) from the three products S11 = g1·g1, S22 = g2·g2, S12 = g1·g2:
/// x = S12 / √(S11 S22), angle = arctan(-x / √(1 - x²)) + π/2 (arccos x, not clamped).
inline Checked<double> AngleFromProducts(double s11, double s22, double s12) {
  const double p = s11 * s22;
  if (p == 0.0) return Checked<double>::failed(GeometryFault::ZeroPlane);
  if (!(p > 0.0)) return Checked<double>::failed(GeometryFault::NegativeRoot);
  const double x = s12 * (1.0 / std::sqrt(p));
  const double t = 1.0 - x * x;
  if (t == 0.0) return Checked<double>::failed(GeometryFault::ParallelPlanes);
  if (!(t > 0.0)) return Checked<double>::failed(GeometryFault::NegativeRoot);
  const double phi = std::atan(-x / std::sqrt(t)) + 2.0 * std::atan(1.0);
  return {ToDegrees(phi), {}};
}

/// Angle between planes g1 and g2 in degrees, 0 to 180 (the angle of the reciprocal vectors).
inline Checked<double> InterplanarAngle(const PlaneVector& g1, const PlaneVector& g2,
                                        const MetricTensor& gStar) {
  return AngleFromProducts(PlaneProduct(g1, g1, gStar), PlaneProduct(g2, g2, gStar),
                           PlaneProduct(g1, g2, gStar));
}
inline Checked<double> InterplanarAngle(const MillerIndex& g1, const MillerIndex& g2,
                                        const MetricTensor& gStar) {
  return InterplanarAngle(ToPlaneVector(g1), ToPlaneVector(g2), gStar);
}

/// g1 × g2 divided by the greatest common divisor of its components; signs kept, so swapping
/// the planes negates the axis. Parallel planes give [0 0 0].
ZoneAxis ZoneAxisOf(const MillerIndex& g1, const MillerIndex& g2);

} // namespace spot
