// Four-index (Miller-Bravais) forms for hexagonal cells: planes (h k i l) with i = -(h + k) and
// directions [u v t w] from the three-index [U V W].
#pragma once

#include "core/lattice.hpp"

namespace spot {

/// (h k i l), i = -(h + k).
struct FourIndexPlane {
  int h = 0, k = 0, i = 0, l = 0;
  friend bool operator==(const FourIndexPlane&, const FourIndexPlane&) = default;
};

/// [u v t w], in smallest integers.
struct FourIndexDirection {
  long long u = 0, v = 0, t = 0, w = 0;
  friend bool operator==(const FourIndexDirection&, const FourIndexDirection&) = default;
};

FourIndexPlane FourIndexPlaneOf(const MillerIndex& g);

/// u = (2U - V)/3, v = (2V - U)/3, t = -(u + v), w = W, all times 3 and then divided by their
/// greatest common divisor; signs kept. [0 0 0] stays [0 0 0 0].
FourIndexDirection FourIndexDirectionOf(const ZoneAxis& axis);

} // namespace spot
