// Why the plane calculator refused or stopped, in words for the user.
#include "calculator/calculator_fault.hpp"

#include "calculator/calculator_boxes.hpp"

namespace spot {

Box FaultBox(const CalculatorFailure& failure) {
  const auto plane = static_cast<std::size_t>(failure.plane);
  switch (failure.fault) {
  case CalculatorFault::IndexTooLarge:
  case CalculatorFault::IndexTooSmall:
    return kCalculatorIndexBoxes[plane][static_cast<std::size_t>(failure.index)];
  case CalculatorFault::ZeroPlane:
  case CalculatorFault::ParallelPlanes: return kCalculatorIndexBoxes[plane][0];
  case CalculatorFault::InvalidCell:
  case CalculatorFault::CellOutOfRange: return Box::A;
  }
  return Box::A;
}

std::string FaultMessage(const CalculatorFailure& failure) {
  const std::string plane = "R" + std::to_string(failure.plane + 1);
  const std::string box = "\"" + BoxCaption(FaultBox(failure)) + "\"";
  switch (failure.fault) {
  case CalculatorFault::IndexTooLarge:
    return "The index in the box " + box +
           " is too large: the zone axis multiplies the indices, and above 67108864 their "
           "products are no longer exact. Please enter the indices of " +
           plane + " as whole numbers of at most 67108864.";
  case CalculatorFault::IndexTooSmall:
    return "The index in the box " + box +
           " is too close to 0: the zone axis multiplies the indices, and below 1/67108864 their "
           "products are no longer exact. Please enter the indices of " +
           plane + " as whole numbers.";
  case CalculatorFault::InvalidCell:
    return "The lattice parameters a, b, c, α, β, γ do not describe a real cell, so the angles and "
           "spacings cannot be calculated. Please enter the phase under \"Lattice parameters▲\".";
  case CalculatorFault::ZeroPlane:
    return plane +
           " is (0 0 0), which is not a lattice plane, so its angles cannot be calculated. Please "
           "enter the indices of " +
           plane + ".";
  case CalculatorFault::ParallelPlanes: {
    const int first = kCalculatorAnglePairs[failure.angle < 0 ? 0 : failure.angle][0];
    return "R" + std::to_string(first + 1) + " and " + plane +
           " are parallel planes, so the angle between them cannot be calculated. Please check "
           "the indices of " +
           plane + ".";
  }
  case CalculatorFault::CellOutOfRange:
    return "The spacings cannot be calculated with these lattice parameters. Please check the "
           "boxes a, b, c, α, β, γ.";
  }
  return {};
}

} // namespace spot
