// Three planes typed by hand: their zone axis, the angles between them and their spacings.
#pragma once

#include <array>
#include <optional>

#include "calculator/calculator_fault.hpp"
#include "core/lattice.hpp"
#include "core/metric.hpp"

namespace spot {

/// What the calculator shows. A refused index leaves everything empty; any other fault stops the
/// computation where it happens: the zone axis is there, angles and spacings up to the failing
/// one.
struct PlaneTripletCalculation {
  std::optional<std::array<double, 3>> zoneAxis; ///< [u v w] of R1 and R2, reduced
  std::array<std::optional<double>, 3> angles;   ///< <R1,R2>, <R2,R3>, <R1,R3> (degrees)
  std::array<std::optional<double>, 3> spacings; ///< d1, d2, d3 (nm)
  std::optional<CalculatorFailure> fault;
};

/// R1 × R2 divided by the largest whole number n (2 <= n <= |u|+|v|+|w|) that divides all three
/// components rounded to whole numbers (halves to even); signs kept. Indices may be any real
/// numbers; a product whose components are not whole numbers a double holds exactly (above
/// 9·10^15) is returned as it is.
std::array<double, 3> ReducedZoneAxis(const PlaneVector& r1, const PlaneVector& r2);

/// The whole calculation with the cell in the phase boxes. Indices outside the range where the
/// zone axis is exact (see kLargestCalculatorIndex) are refused first, in element order.
PlaneTripletCalculation CalculatePlaneTriplet(const LatticeParameters& cell, const PlaneVector& r1,
                                              const PlaneVector& r2, const PlaneVector& r3);

} // namespace spot
