// Faults of the geometry computations, returned as values instead of traps.
// C++ does not trap on 1/0 or sqrt(-1), so every operation that could says so explicitly.
#pragma once

#include <optional>

namespace spot {

enum class GeometryFault {
  ZeroPlane,      ///< a plane is (000): its angle to anything divides by zero
  ParallelPlanes, ///< the two planes are parallel or antiparallel: arccos step divides by zero
  NegativeRoot,   ///< a square root of a negative number (impossible cell or rounding)
};

/// A value together with the fault that stopped its computation, if any.
template <class T> struct Checked {
  T value{};
  std::optional<GeometryFault> fault;

  bool ok() const { return !fault.has_value(); }
  static Checked failed(GeometryFault f) { return Checked{T{}, f}; }
};

} // namespace spot
