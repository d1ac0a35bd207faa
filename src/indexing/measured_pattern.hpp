// The measured spot pattern: spacings from the scale bar and line lengths, angles, tolerances;
// and the checks of a measurement that come before any phase is searched.
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

/// Index range N: the box's number rounded to the nearest whole number, halves to even.
/// Kept as a double so that absurd values can be told apart from usable ones.
double ReadIndexRange(const BoxTexts& boxes);

/// An index range a search can use: from 0 to limits.maxIndexRange.
std::optional<SearchFault> CheckIndexRange(double indexRange, const SearchLimits& limits);

/// A measurement ready for searching, or the first fault that stops every search of it.
struct CheckedMeasurement {
  int indexRange = 0;
  MeasuredPattern pattern;
  std::optional<SearchFault> fault;
};

/// The checks every search of the measurement in `boxes` makes before it looks at a phase, in
/// this order: the index range (CheckIndexRange), then the pattern (ReadMeasuredPattern). That
/// the boxes hold numbers is checked by the caller, whose order differs: "Calculate" looks at the
/// index range before anything else, a batch at the numbers first.
CheckedMeasurement CheckMeasurement(const BoxTexts& boxes, const SearchLimits& limits);

} // namespace spot
