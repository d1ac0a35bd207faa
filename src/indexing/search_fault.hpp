// Why a search stopped without listing its solutions, and which box the user should look at.
#pragma once

#include <atomic>
#include <string>

#include "core/boxes.hpp"

namespace spot {

/// Safety limits of one search and of a batch of searches, far above real use, so memory and
/// time stay bounded.
struct SearchLimits {
  int maxIndexRange = 50;                         ///< (2·50+1)³ ≈ 1.03 million index triples
  std::size_t maxRows = 1'000'000;                ///< solutions listed by one search
  unsigned long long maxPairs = 2'000'000'000ULL; ///< plane pairs (R1, R2) examined by one search
  std::size_t maxBatchRows = 2'000'000;           ///< solutions kept by a whole batch, all phases
  /// Set from another thread to end a search (with SearchFault::Stopped) or a run over many
  /// phases early.
  const std::atomic<bool>* stop = nullptr;
};

enum class SearchFault {
  NegativeIndexRange,
  IndexRangeTooLarge,
  ZeroScaleBarValue,
  ZeroLength1,
  ZeroLength2,
  ZeroLength3,
  ScaleOutOfRange, ///< the measured spacings overflow (absurdly large numbers in the boxes)
  InvalidCell,     ///< a, b, c, α, β, γ enclose no volume
  TooManyPairs,    ///< the candidate lists are so long that the search would not end in time
  TooManyRows,
  TooManyBatchRows, ///< a batch's phases together found more rows than it may keep
  Stopped,          ///< SearchLimits::stop was set: the user ended the run
};

/// The box that holds the cause; the window gives it the focus.
Box FaultBox(SearchFault fault);

/// One message naming the cause and the box.
std::string FaultMessage(SearchFault fault, const SearchLimits& limits = {});

} // namespace spot
