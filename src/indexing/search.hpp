// The indexing search: every (g1, g2, g3) with g1 + g2 = g3 whose spacings and angles agree
// with a measured pattern, listed in the order of the plain triple loop over the candidate lists.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "core/lattice.hpp"
#include "core/reflection_rule.hpp"
#include "indexing/measured_pattern.hpp"
#include "indexing/search_fault.hpp"

namespace spot {

/// One solution.
struct IndexingResult {
  int rowNumber = 0;             ///< 1-based, in search order
  MillerIndex g1, g2, g3;        ///< planes at R1, R2, R3; g1 + g2 = g3
  std::array<double, 3> d{};     ///< computed spacings of g1, g2, g3 (nm)
  std::array<double, 3> angle{}; ///< computed <g1,g2>, <g2,g3>, <g1,g3> (degrees)
};

/// Sizes of the stages, for benchmarks and the curious.
struct SearchStats {
  std::size_t reflections = 0;
  std::array<std::size_t, 3> candidates{};
  /// Pairs whose sum g1 + g2 is in list 3 (the fast search counts those left after a cheap
  /// pre-test of <R1,R2>).
  unsigned long long sumMatches = 0;
};

struct SearchResult {
  std::vector<IndexingResult> rows;
  std::optional<SearchFault> fault; ///< set: the search stopped and rows is empty
  SearchStats stats;
};

/// A cell a search can use: a real one (IsRealCell) whose metric can be inverted; else
/// InvalidCell.
std::optional<SearchFault> CheckCell(const LatticeParameters& cell);

/// The search as a function. Rows come in list-1, then list-2 order (list 3 holds at most one
/// g1 + g2). Spacing tests admit equality, angle tests are strict. Triplets holding (000) or two
/// parallel planes are skipped: they can never describe a spot pattern.
SearchResult IndexPattern(const LatticeParameters& cell, const ReflectionRule& rule, int indexRange,
                          const MeasuredPattern& pattern, const SearchLimits& limits = {});

/// The same search done literally: a triple loop over the three candidate lists, then three
/// passes of angles over all stored triplets, then the filter. The baseline for benchmarks and
/// the reference for tests; same rows, same order, same faults except the work limit.
SearchResult IndexPatternLiteral(const LatticeParameters& cell, const ReflectionRule& rule,
                                 int indexRange, const MeasuredPattern& pattern,
                                 const SearchLimits& limits = {});

} // namespace spot
