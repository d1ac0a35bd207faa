// Metric geometry of a cell: metric tensors, their inversion, and the zone axis.
#include "core/metric.hpp"

#include <cmath>
#include <numeric> // gcd
#include <utility>

namespace spot {

MetricTensor MetricTensorOf(const LatticeParameters& cell) {
  const double alpha = ToRadians(cell.alpha);
  const double beta = ToRadians(cell.beta);
  const double gamma = ToRadians(cell.gamma);
  MetricTensor g{};
  g[0][0] = cell.a * cell.a;
  g[1][1] = cell.b * cell.b;
  g[2][2] = cell.c * cell.c;
  g[0][1] = g[1][0] = cell.a * cell.b * std::cos(gamma);
  g[0][2] = g[2][0] = cell.a * cell.c * std::cos(beta);
  g[1][2] = g[2][1] = cell.b * cell.c * std::cos(alpha);
  return g;
}

bool InvertMatrix(SquareMatrix& a) {
  const int n = a.n;
  std::vector<int> pivotRow(static_cast<std::size_t>(n)), pivotCol(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    // Largest remaining element; ties keep the first met in a row-by-row scan.
    double m = 0.0;
    int r = k, c = k;
    for (int i = k; i < n; ++i)
      for (int j = k; j < n; ++j)
        if (std::fabs(a(i, j)) > m) {
          m = std::fabs(a(i, j));
          r = i;
          c = j;
        }
    if (m + 1.0 == 1.0) return false;
    pivotRow[static_cast<std::size_t>(k)] = r;
    pivotCol[static_cast<std::size_t>(k)] = c;
    if (r != k)
      for (int j = 0; j < n; ++j)
        std::swap(a(k, j), a(r, j));
    if (c != k)
      for (int i = 0; i < n; ++i)
        std::swap(a(i, k), a(i, c));
    a(k, k) = 1.0 / a(k, k);
    for (int j = 0; j < n; ++j)
      if (j != k) a(k, j) = a(k, j) * a(k, k);
    for (int i = 0; i < n; ++i) {
      if (i == k) continue;
      for (int j = 0; j < n; ++j)
        if (j != k) a(i, j) = a(i, j) - a(i, k) * a(k, j);
    }
    for (int i = 0; i < n; ++i)
      if (i != k) a(i, k) = -a(i, k) * a(k, k);
  }
  for (int k = n - 1; k >= 0; --k) {
    const int c = pivotCol[static_cast<std::size_t>(k)];
    const int r = pivotRow[static_cast<std::size_t>(k)];
    if (c != k)
      for (int j = 0; j < n; ++j)
        std::swap(a(k, j), a(c, j));
    if (r != k)
      for (int i = 0; i < n; ++i)
        std::swap(a(i, k), a(i, r));
  }
  for (double v : a.values)
    if (!std::isfinite(v)) return false; // overflow inside counts as a failure
  return true;
}

bool InvertMatrix(MetricTensor& a) {
  SquareMatrix m(3);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      m(i, j) = a[i][j];
  const bool ok = InvertMatrix(m);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      a[i][j] = m(i, j);
  return ok;
}

ReciprocalMetric ReciprocalMetricOf(const LatticeParameters& cell) {
  ReciprocalMetric result;
  result.gStar = MetricTensorOf(cell);
  result.inverted = InvertMatrix(result.gStar);
  return result;
}

bool IsRealCell(const LatticeParameters& cell) {
  for (double length : {cell.a, cell.b, cell.c})
    if (!(length > 0.0) || !std::isfinite(length)) return false;
  for (double angle : {cell.alpha, cell.beta, cell.gamma})
    if (!(angle > 0.0 && angle < 180.0)) return false;
  // V² / (abc)² = 1 - cos²α - cos²β - cos²γ + 2 cosα cosβ cosγ must be positive.
  const double ca = std::cos(ToRadians(cell.alpha));
  const double cb = std::cos(ToRadians(cell.beta));
  const double cg = std::cos(ToRadians(cell.gamma));
  const double volumeFactor = 1.0 - ca * ca - cb * cb - cg * cg + 2.0 * ca * cb * cg;
  return volumeFactor > 1e-12;
}

ZoneAxis ZoneAxisOf(const MillerIndex& g1, const MillerIndex& g2) {
  ZoneAxis axis{static_cast<long long>(g1.k) * g2.l - static_cast<long long>(g1.l) * g2.k,
                static_cast<long long>(g1.l) * g2.h - static_cast<long long>(g1.h) * g2.l,
                static_cast<long long>(g1.h) * g2.k - static_cast<long long>(g1.k) * g2.h};
  const long long divisor = std::gcd(std::gcd(axis.u, axis.v), axis.w);
  if (divisor > 1) {
    axis.u /= divisor;
    axis.v /= divisor;
    axis.w /= divisor;
  }
  return axis;
}

} // namespace spot
