// "Calculate" as a procedure over the box texts: read the index range, validate the boxes,
// form the summary line, search. The window shows what this returns.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/boxes.hpp"
#include "indexing/measured_pattern.hpp"
#include "indexing/search.hpp"

namespace spot {

/// Message of a phase box (a, b, c, α, β, γ) that is not a number.
inline constexpr std::string_view kMessagePhaseBoxes =
    "Some boxes have incorrect data form.\r\nPlease enter the right data in the box!";
/// Message of an index-range, measurement or tolerance box that is not a number.
inline constexpr std::string_view kMessageMeasurementBoxes = "有一些输入框不是数字！";

/// The first box whose text is not a number, and the message that says so.
struct BoxRejection {
  Box box;
  std::string_view message;
};

/// Checks a..γ (message for the phase boxes), then the index range through the last angle
/// tolerance (message for the measurement boxes), each group in element order.
std::optional<BoxRejection> ValidateSearchBoxes(const BoxTexts& boxes);

/// Lattice parameters from the phase boxes (numeric-prefix reading).
LatticeParameters ReadLatticeParameters(const BoxTexts& boxes);

/// Everything one search changes, in the order the window applies it.
struct SearchOutcome {
  /// New value of the window's input-error flag; nullopt when the search stopped before
  /// resetting it (a negative or too large index range).
  std::optional<bool> inputError;
  std::optional<BoxRejection> rejection; ///< validation failed: show message, focus box
  std::optional<std::string> summary;    ///< new summary line, once validation passed
  std::optional<SearchFault> fault;      ///< the search stopped: show FaultMessage, focus FaultBox
  std::vector<IndexingResult> rows;
  bool completed = false; ///< reached its end: the result sketch labels return to "（* * *）"
  SearchStats stats;
};

/// The whole search over the box texts and the selected lattice type (or a phase's space group);
/// with none selected the boxes and the cell are checked all the same, and nothing is found.
SearchOutcome RunIndexingSearch(const BoxTexts& boxes, std::optional<ReflectionRule> type,
                                const SearchLimits& limits = {});

} // namespace spot
