// "Calculate" as a procedure over the box texts.
#include "indexing/run_search.hpp"

#include <cmath>

#include "core/numeric_text.hpp"
#include "indexing/result_text.hpp"

namespace spot {

std::optional<BoxRejection> ValidateSearchBoxes(const BoxTexts& boxes) {
  for (int i = BoxNumber(Box::A); i <= BoxNumber(Box::Gamma); ++i)
    if (!IsNumeric(boxes[i])) return BoxRejection{static_cast<Box>(i), kMessagePhaseBoxes};
  for (int i = BoxNumber(Box::IndexRange); i <= BoxNumber(Box::AngleTol13); ++i)
    if (!IsNumeric(boxes[i])) return BoxRejection{static_cast<Box>(i), kMessageMeasurementBoxes};
  return std::nullopt;
}

LatticeParameters ReadLatticeParameters(const BoxTexts& boxes) {
  LatticeParameters cell;
  cell.a = NumericPrefix(boxes[Box::A]);
  cell.b = NumericPrefix(boxes[Box::B]);
  cell.c = NumericPrefix(boxes[Box::C]);
  cell.alpha = NumericPrefix(boxes[Box::Alpha]);
  cell.beta = NumericPrefix(boxes[Box::Beta]);
  cell.gamma = NumericPrefix(boxes[Box::Gamma]);
  return cell;
}

SearchOutcome RunIndexingSearch(const BoxTexts& boxes, std::optional<ReflectionRule> type,
                                const SearchLimits& limits) {
  SearchOutcome outcome;
  // The index range sizes everything, so it is looked at before anything else.
  if (const auto fault = CheckIndexRange(ReadIndexRange(boxes), limits)) {
    outcome.fault = fault;
    return outcome;
  }
  outcome.inputError = false;
  if (const auto rejection = ValidateSearchBoxes(boxes)) {
    outcome.inputError = true;
    outcome.rejection = rejection;
    return outcome;
  }
  const CheckedMeasurement measurement = CheckMeasurement(boxes, limits);
  if (measurement.fault) {
    outcome.fault = measurement.fault;
    return outcome;
  }
  outcome.summary = MeasuredSummaryText(measurement.pattern);

  const LatticeParameters cell = ReadLatticeParameters(boxes);
  if (!type) {
    // No centring admits no plane: the cell is checked as the search would, and the list stays
    // empty.
    outcome.fault = CheckCell(cell);
    outcome.completed = !outcome.fault;
    return outcome;
  }
  SearchResult result =
      IndexPattern(cell, *type, measurement.indexRange, measurement.pattern, limits);
  outcome.stats = result.stats;
  if (result.fault) {
    outcome.fault = result.fault;
    return outcome;
  }
  outcome.rows = std::move(result.rows);
  outcome.completed = true;
  return outcome;
}

} // namespace spot
