// Three planes typed by hand: zone axis, angles and spacings.
#include "calculator/plane_triplet.hpp"

#include <cmath>
#include <cstdlib>
#include <numeric>

#include "core/numeric_text.hpp"

namespace spot {

std::array<double, 3> ReducedZoneAxis(const PlaneVector& r1, const PlaneVector& r2) {
  const std::array<double, 3> product = {
      r1[1] * r2[2] - r1[2] * r2[1], r1[2] * r2[0] - r1[0] * r2[2], r1[0] * r2[1] - r1[1] * r2[0]};
  const double sum = std::fabs(product[0]) + std::fabs(product[1]) + std::fabs(product[2]);
  constexpr double kLargest = 9.0e15; // whole numbers beyond this are not exact in a double
  long long divisor = 0;
  for (double component : product) {
    const double rounded = RoundHalfEven(component);
    if (!(std::fabs(rounded) <= kLargest)) return product;
    divisor = std::gcd(divisor, static_cast<long long>(std::fabs(rounded)));
  }
  // Every n that divides the three rounded components divides their gcd, so the largest such n
  // not above the sum is the largest divisor of the gcd not above it.
  long long best = 1;
  if (divisor >= 2) {
    if (static_cast<double>(divisor) <= sum) {
      best = divisor;
    } else {
      for (long long n = 2; static_cast<double>(n) <= sum; ++n)
        if (divisor % n == 0) best = n;
    }
  }
  if (best < 2) return product;
  const double n = static_cast<double>(best);
  return {product[0] / n, product[1] / n, product[2] / n};
}

PlaneTripletCalculation CalculatePlaneTriplet(const LatticeParameters& cell, const PlaneVector& r1,
                                              const PlaneVector& r2, const PlaneVector& r3) {
  PlaneTripletCalculation result;
  result.zoneAxis = ReducedZoneAxis(r1, r2);
  const MetricTensor gStar = ReciprocalMetricOf(cell).gStar;

  const PlaneVector* pairs[3][2] = {{&r1, &r2}, {&r2, &r3}, {&r1, &r3}};
  for (int i = 0; i < 3; ++i) {
    const Checked<double> angle = InterplanarAngle(*pairs[i][0], *pairs[i][1], gStar);
    if (!angle.ok() || !std::isfinite(angle.value)) {
      result.fault = angle.ok() ? GeometryFault::NegativeRoot : *angle.fault;
      return result;
    }
    result.angles[static_cast<std::size_t>(i)] = angle.value;
  }
  const PlaneVector* planes[3] = {&r1, &r2, &r3};
  for (int i = 0; i < 3; ++i) {
    const Checked<double> d = DSpacing(*planes[i], gStar);
    if (!d.ok() || !std::isfinite(d.value)) {
      result.fault = d.ok() ? GeometryFault::NegativeRoot : *d.fault;
      return result;
    }
    result.spacings[static_cast<std::size_t>(i)] = d.value;
  }
  return result;
}

} // namespace spot
