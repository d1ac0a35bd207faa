// Why the plane calculator refused or stopped, in words for the user, and which box to look at.
#pragma once

#include <string>

#include "core/boxes.hpp"

namespace spot {

/// Largest index magnitude the calculator takes: for whole numbers up to 2^26 every product of
/// two indices (at most 2^52) and every difference of two products (at most 2^53) in the zone
/// axis is exact in a double. The smallest nonzero magnitude is its inverse, so that no product
/// of two indices underflows either.
inline constexpr double kLargestCalculatorIndex = 67108864.0; // 2^26

enum class CalculatorFault {
  IndexTooLarge,  ///< above kLargestCalculatorIndex, or not finite: refused before calculating
  IndexTooSmall,  ///< nonzero and below 1 / kLargestCalculatorIndex: refused before calculating
  InvalidCell,    ///< a, b, c, α, β, γ do not describe a real cell
  ZeroPlane,      ///< a plane is (0 0 0): its angles divide by zero
  ParallelPlanes, ///< the two planes of an angle are parallel or antiparallel
  CellOutOfRange, ///< a real cell whose spacings overflow or underflow
};

/// A fault and where it lies.
struct CalculatorFailure {
  CalculatorFault fault;
  /// R1, R2, R3 as 0, 1, 2: the plane of a refused index, the plane that is (0 0 0), the second
  /// plane of a parallel pair. 0 for the cell faults.
  int plane = 0;
  /// h, k, l as 0, 1, 2: the refused index within its plane; 0 otherwise.
  int index = 0;
  /// <R1,R2>, <R2,R3>, <R1,R3> as 0, 1, 2: the angle that could not be calculated; -1 when the
  /// calculation was refused before any angle.
  int angle = -1;
};

/// The box the window gives the focus: the refused index, the first index of the plane at
/// fault, or "a" for the cell.
Box FaultBox(const CalculatorFailure& failure);

/// One message naming the cause and the box.
std::string FaultMessage(const CalculatorFailure& failure);

} // namespace spot
