// Four-index forms of planes and directions.
#include "solutions/four_index.hpp"

#include <numeric> // gcd

namespace spot {

FourIndexPlane FourIndexPlaneOf(const MillerIndex& g) { return {g.h, g.k, -(g.h + g.k), g.l}; }

FourIndexDirection FourIndexDirectionOf(const ZoneAxis& axis) {
  FourIndexDirection d{2 * axis.u - axis.v, 2 * axis.v - axis.u, 0, 3 * axis.w};
  d.t = -(d.u + d.v);
  const long long divisor = std::gcd(std::gcd(d.u, d.v), std::gcd(d.t, d.w));
  if (divisor > 1) {
    d.u /= divisor;
    d.v /= divisor;
    d.t /= divisor;
    d.w /= divisor;
  }
  return d;
}

} // namespace spot
