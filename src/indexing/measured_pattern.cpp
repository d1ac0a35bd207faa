// The measured spot pattern read from the boxes.
#include "indexing/measured_pattern.hpp"

#include <cmath>

#include "core/numeric_text.hpp"

namespace spot {

PatternReading ReadMeasuredPattern(const BoxTexts& boxes) {
  PatternReading reading;
  MeasuredPattern& p = reading.pattern;
  const auto value = [&](Box box) { return NumericPrefix(boxes[box]); };

  const double scaleValue = value(Box::ScaleBarValue);
  if (scaleValue == 0.0) {
    reading.fault = SearchFault::ZeroScaleBarValue;
    return reading;
  }
  p.scaleRatio = value(Box::ScaleBarLength) / scaleValue;
  if (!std::isfinite(p.scaleRatio)) {
    reading.fault = SearchFault::ScaleOutOfRange;
    return reading;
  }
  constexpr Box lengths[] = {Box::Length1, Box::Length2, Box::Length3};
  constexpr Box numbers[] = {Box::Number1, Box::Number2, Box::Number3};
  constexpr SearchFault zeroLength[] = {SearchFault::ZeroLength1, SearchFault::ZeroLength2,
                                        SearchFault::ZeroLength3};
  for (int j = 0; j < 3; ++j) {
    const double length = value(lengths[j]);
    if (length == 0.0) {
      reading.fault = zeroLength[j];
      return reading;
    }
    p.d[j] = value(numbers[j]) * p.scaleRatio / length;
    if (!std::isfinite(p.d[j])) {
      reading.fault = SearchFault::ScaleOutOfRange;
      return reading;
    }
  }
  p.angle = {value(Box::Angle12), value(Box::Angle23), value(Box::Angle13)};
  p.dTol = {value(Box::DTol1), value(Box::DTol2), value(Box::DTol3)};
  p.angleTol = {value(Box::AngleTol12), value(Box::AngleTol23), value(Box::AngleTol13)};
  return reading;
}

double ReadIndexRange(const BoxTexts& boxes) {
  return RoundHalfEven(NumericPrefix(boxes[Box::IndexRange]));
}

std::optional<SearchFault> CheckIndexRange(double indexRange, const SearchLimits& limits) {
  if (indexRange < 0) return SearchFault::NegativeIndexRange;
  if (!(indexRange <= limits.maxIndexRange)) return SearchFault::IndexRangeTooLarge;
  return std::nullopt;
}

CheckedMeasurement CheckMeasurement(const BoxTexts& boxes, const SearchLimits& limits) {
  CheckedMeasurement checked;
  const double range = ReadIndexRange(boxes);
  checked.fault = CheckIndexRange(range, limits);
  if (checked.fault) return checked;
  checked.indexRange = static_cast<int>(range);
  PatternReading reading = ReadMeasuredPattern(boxes);
  checked.fault = reading.fault;
  if (!checked.fault) checked.pattern = reading.pattern;
  return checked;
}

} // namespace spot
