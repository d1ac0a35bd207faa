// Three planes typed by hand: zone axis, angles and spacings.
#include "calculator/plane_triplet.hpp"

#include <cmath>
#include <cstdlib>
#include <numeric>

#include "calculator/calculator_boxes.hpp"
#include "core/numeric_text.hpp"

namespace spot {
namespace {

/// The smallest prime factor of n >= 2, by trial division over 2, 3 and 6k ± 1.
unsigned long long smallestPrimeFactor(unsigned long long n) {
  if (n % 2 == 0) return 2;
  if (n % 3 == 0) return 3;
  for (unsigned long long f = 5; f <= n / f; f += 6) {
    if (n % f == 0) return f;
    if (n % (f + 2) == 0) return f + 2;
  }
  return n;
}

/// The first index, in element order (h of R1, R2, R3, then k, then l), that the calculator
/// cannot multiply exactly.
std::optional<CalculatorFailure> refusedIndex(const std::array<PlaneVector, 3>& planes) {
  for (int index = 0; index < 3; ++index)
    for (int plane = 0; plane < 3; ++plane) {
      const double magnitude =
          std::fabs(planes[static_cast<std::size_t>(plane)][static_cast<std::size_t>(index)]);
      if (!(magnitude <= kLargestCalculatorIndex))
        return CalculatorFailure{CalculatorFault::IndexTooLarge, plane, index, -1};
      if (magnitude != 0 && magnitude < 1.0 / kLargestCalculatorIndex)
        return CalculatorFailure{CalculatorFault::IndexTooSmall, plane, index, -1};
    }
  return std::nullopt;
}

bool isZero(const PlaneVector& g) { return g[0] == 0 && g[1] == 0 && g[2] == 0; }

bool hasSpacing(const PlaneVector& g, const MetricTensor& gStar) {
  const Checked<double> d = DSpacing(g, gStar);
  return d.ok() && std::isfinite(d.value) && d.value > 0;
}

/// Why the angle `pair` could not be calculated.
CalculatorFailure angleFailure(const LatticeParameters& cell, const MetricTensor& gStar,
                               const std::array<PlaneVector, 3>& planes, int pair) {
  const int p = kCalculatorAnglePairs[pair][0];
  const int q = kCalculatorAnglePairs[pair][1];
  const PlaneVector& first = planes[static_cast<std::size_t>(p)];
  const PlaneVector& second = planes[static_cast<std::size_t>(q)];
  if (!IsRealCell(cell)) return {CalculatorFault::InvalidCell, 0, 0, pair};
  if (isZero(first)) return {CalculatorFault::ZeroPlane, p, 0, pair};
  if (isZero(second)) return {CalculatorFault::ZeroPlane, q, 0, pair};
  // Two planes that both have a spacing fail only by being parallel (within rounding, where
  // 1 - cos² falls to 0 or just below it).
  if (hasSpacing(first, gStar) && hasSpacing(second, gStar))
    return {CalculatorFault::ParallelPlanes, q, 0, pair};
  return {CalculatorFault::CellOutOfRange, 0, 0, pair};
}

} // namespace

std::array<double, 3> ReducedZoneAxis(const PlaneVector& r1, const PlaneVector& r2) {
  const std::array<double, 3> product = {
      r1[1] * r2[2] - r1[2] * r2[1], r1[2] * r2[0] - r1[0] * r2[2], r1[0] * r2[1] - r1[1] * r2[0]};
  const double sum = std::fabs(product[0]) + std::fabs(product[1]) + std::fabs(product[2]);
  constexpr double kLargest = 9.0e15; // whole numbers beyond this are not exact in a double
  unsigned long long divisor = 0;     // Euclid's gcd of the rounded components
  for (double component : product) {
    const double rounded = std::fabs(RoundHalfEven(component));
    if (!(rounded <= kLargest)) return product;
    divisor = std::gcd(divisor, static_cast<unsigned long long>(rounded));
  }
  // Every n that divides the three rounded components divides their gcd g, so the largest one
  // not above the sum is g itself unless rounding lifted g above the sum. As each component
  // rounds by at most 1/2, g then lies within 3/2 of the sum and (for a sum of 3/2 or more) its
  // largest proper divisor g / (smallest prime factor) is not above the sum; below 3/2 every
  // component rounds to 0 or ±1 and there is nothing to divide.
  unsigned long long n = divisor;
  if (n >= 2 && static_cast<double>(n) > sum) n /= smallestPrimeFactor(n);
  if (n < 2) return product;
  const double d = static_cast<double>(n);
  return {product[0] / d, product[1] / d, product[2] / d};
}

PlaneTripletCalculation CalculatePlaneTriplet(const LatticeParameters& cell, const PlaneVector& r1,
                                              const PlaneVector& r2, const PlaneVector& r3) {
  PlaneTripletCalculation result;
  const std::array<PlaneVector, 3> planes = {r1, r2, r3};
  if ((result.fault = refusedIndex(planes))) return result;

  result.zoneAxis = ReducedZoneAxis(r1, r2);
  const MetricTensor gStar = ReciprocalMetricOf(cell).gStar;
  for (int pair = 0; pair < 3; ++pair) {
    const Checked<double> angle =
        InterplanarAngle(planes[static_cast<std::size_t>(kCalculatorAnglePairs[pair][0])],
                         planes[static_cast<std::size_t>(kCalculatorAnglePairs[pair][1])], gStar);
    if (!angle.ok() || !std::isfinite(angle.value)) {
      result.fault = angleFailure(cell, gStar, planes, pair);
      return result;
    }
    result.angles[static_cast<std::size_t>(pair)] = angle.value;
  }
  for (std::size_t plane = 0; plane < 3; ++plane) {
    const Checked<double> d = DSpacing(planes[plane], gStar);
    if (!d.ok() || !std::isfinite(d.value)) {
      result.fault = IsRealCell(cell) ? CalculatorFailure{CalculatorFault::CellOutOfRange}
                                      : CalculatorFailure{CalculatorFault::InvalidCell};
      return result;
    }
    result.spacings[plane] = d.value;
  }
  return result;
}

} // namespace spot
