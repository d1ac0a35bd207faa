// The measured spot pattern: spacings from the scale bar and line lengths, angles, tolerances.
#pragma once

#include <array>
#include <optional>

#include "core/boxes.hpp"
#include "indexing/search_fault.hpp"

namespace spot {

/// What the user measured on the picture, in search units.
struct MeasuredPattern {
  double scaleRatio = 0.0;          ///< scale-bar px per 1/nm
  std::array<double, 3> d{};        ///< measured spacings d1, d2, d3 (nm)
  std::array<double, 3> angle{};    ///< <R1,R2>, <R2,R3>, <R1,R3> (degrees)
  std::array<double, 3> dTol{};     ///< spacing tolerances (nm)
  std::array<double, 3> angleTol{}; ///< angle tolerances (degrees)
};

struct PatternReading {
  MeasuredPattern pattern;
  std::optional<SearchFault> fault; ///< a zero scale bar value or length, or an overflow
};

/// Reads the pattern from the boxes with the numeric-prefix reading:
/// scaleRatio = length ÷ value of the scale bar, dj = Numberj × scaleRatio ÷ Lengthj.
/// Checks the divisors in the order the values are formed: scale bar value, then R1, R2, R3.
PatternReading ReadMeasuredPattern(const BoxTexts& boxes);

} // namespace spot
