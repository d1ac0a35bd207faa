// Families of equivalent solutions: rows that one symmetry operation of the phase maps onto each
// other, each family shown by a representative row, its zone axis, its deviations and its score.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "core/lattice.hpp"
#include "indexing/measured_pattern.hpp"
#include "indexing/search.hpp"
#include "solutions/four_index.hpp"
#include "solutions/lattice_symmetry.hpp"

namespace spot {

// DEVIATIONS AND SCORE

/// Computed minus measured: spacings per spot (nm), angles per pair (degrees).
struct Deviation {
  std::array<double, 3> d{};     ///< d1, d2, d3
  std::array<double, 3> angle{}; ///< <R1,R2>, <R2,R3>, <R1,R3>
};

Deviation DeviationOf(const IndexingResult& row, const MeasuredPattern& pattern);

/// s = √((1/n) Σ (deviation / tolerance)²) over the six terms whose tolerance is not 0, n their
/// number; 0 when every tolerance is 0. Lower is better; a row within its tolerances has s < 1.
double ScoreOf(const Deviation& deviation, const MeasuredPattern& pattern);

// REPRESENTATIVES

/// True when (a1, a2) makes the better representative than (b1, b2): fewer minus signs in the
/// six indices, then the lexicographically larger (h1, k1, l1, h2, k2, l2).
bool PrefersAsRepresentative(const MillerIndex& a1, const MillerIndex& a2, const MillerIndex& b1,
                             const MillerIndex& b2);

// FAMILIES

struct SolutionFamily {
  int rank = 0;                                ///< 1 is the best
  std::vector<std::size_t> members;            ///< positions in the rows grouped, ascending
  std::size_t representative = 0;              ///< position of the representative row
  MillerIndex g1, g2, g3;                      ///< the representative's planes
  ZoneAxis zoneAxis;                           ///< g1 × g2 reduced
  std::optional<FourIndexDirection> zoneAxis4; ///< hexagonal cells only
  Deviation deviation;                         ///< the representative's; all members share it
  double score = 0;
};

/// Partitions `rows` into families under `symmetry`, best first: by score, then fewer rows, then
/// the better representative. Deviations and scores are measured against `pattern`.
std::vector<SolutionFamily> GroupSolutions(std::span<const IndexingResult> rows,
                                           const PhaseSymmetry& symmetry,
                                           const MeasuredPattern& pattern);

} // namespace spot
