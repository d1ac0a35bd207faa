// The tolerance filter over the results list and the tolerance sliders.
#include "indexing/tolerance_filter.hpp"

#include <cmath>
#include <string>

#include "core/number_format.hpp"
#include "core/numeric_text.hpp"

namespace spot {

bool IsSpacingToleranceBox(Box box) {
  return box == Box::DTol1 || box == Box::DTol2 || box == Box::DTol3;
}

bool IsToleranceBox(Box box) {
  return IsSpacingToleranceBox(box) || box == Box::AngleTol12 || box == Box::AngleTol23 ||
         box == Box::AngleTol13;
}

int SliderNumberOf(Box box) {
  for (std::size_t i = 0; i < kToleranceBoxes.size(); ++i)
    if (kToleranceBoxes[i] == box) return static_cast<int>(i) + 1;
  return 0;
}

static double fullScaleOf(Box box) {
  return IsSpacingToleranceBox(box) ? kSpacingSliderFullScale : kAngleSliderFullScale;
}

int SliderPositionFor(Box box, double tolerance) {
  const double position = RoundHalfEven(tolerance / fullScaleOf(box) * 100.0);
  if (!(position > 0.0)) return 0; // also NaN
  if (position >= kSliderMaximum) return kSliderMaximum;
  return static_cast<int>(position);
}

std::string SliderToleranceText(Box box, int position) {
  const double value = position * fullScaleOf(box) / 100.0;
  return FormatFixed(value, IsSpacingToleranceBox(box) ? 4 : 1);
}

std::string DefaultToleranceText(Box box) { return IsSpacingToleranceBox(box) ? "0.0080" : "2"; }

ToleranceSet ReadToleranceSet(const BoxTexts& boxes) {
  ToleranceSet set;
  for (std::size_t i = 0; i < 3; ++i) {
    set.dTol[i] = NumericPrefix(boxes[kToleranceBoxes[i]]);
    set.angleTol[i] = NumericPrefix(boxes[kToleranceBoxes[i + 3]]);
  }
  return set;
}

FilterReference ReadFilterReference(const BoxTexts& boxes) {
  FilterReference reference;
  const double scaleLength = NumericPrefix(boxes[Box::ScaleBarLength]);
  const double scaleValue = NumericPrefix(boxes[Box::ScaleBarValue]);
  constexpr Box lengths[] = {Box::Length1, Box::Length2, Box::Length3};
  constexpr Box numbers[] = {Box::Number1, Box::Number2, Box::Number3};
  constexpr Box angles[] = {Box::Angle12, Box::Angle23, Box::Angle13};
  for (std::size_t i = 0; i < 3; ++i) {
    const double length = NumericPrefix(boxes[lengths[i]]);
    const double d = (NumericPrefix(boxes[numbers[i]]) / length) * (scaleLength / scaleValue);
    // A measurement that cannot be formed (cleared boxes, a zero divisor) matches no row.
    reference.dDefined[i] = length != 0.0 && scaleValue != 0.0 && std::isfinite(d);
    reference.d[i] = reference.dDefined[i] ? d : 0.0;
    reference.angle[i] = NumericPrefix(boxes[angles[i]]);
  }
  return reference;
}

double CellNumber(std::string_view cellText) {
  std::string plain;
  plain.reserve(cellText.size());
  for (char c : cellText)
    if (c != ',') plain.push_back(c);
  return NumericPrefix(plain);
}

bool PassesTolerances(const RowValues& row, const FilterReference& reference,
                      const ToleranceSet& tolerances) {
  bool pass = true;
  for (std::size_t i = 0; i < 3; ++i) {
    if (!reference.dDefined[i] || !(std::fabs(row.d[i] - reference.d[i]) < tolerances.dTol[i]))
      pass = false;
    if (!(std::fabs(row.angle[i] - reference.angle[i]) < tolerances.angleTol[i])) pass = false;
  }
  return pass;
}

FilterResult ApplyToleranceFilter(std::span<const RowValues> rows, const BoxTexts& boxes) {
  const ToleranceSet tolerances = ReadToleranceSet(boxes);
  const FilterReference reference = ReadFilterReference(boxes);
  FilterResult result;
  result.pass.resize(rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const bool pass = PassesTolerances(rows[r], reference, tolerances);
    result.pass[r] = pass ? 1 : 0;
    result.passCount += pass ? 1 : 0;
  }
  return result;
}

} // namespace spot
