// The point symmetry of a phase as integer matrices acting on Miller indices: the operations that
// keep the reciprocal metric and map the allowed reflections of the centring onto themselves.
#pragma once

#include <array>
#include <vector>

#include "core/lattice.hpp"
#include "core/reflection_rule.hpp"

namespace spot {

/// h' = M h on column vectors of Miller indices; the columns of M are the images of (1 0 0),
/// (0 1 0) and (0 0 1).
struct SymmetryOperation {
  std::array<std::array<int, 3>, 3> m{};

  MillerIndex apply(const MillerIndex& g) const {
    return {m[0][0] * g.h + m[0][1] * g.k + m[0][2] * g.l,
            m[1][0] * g.h + m[1][1] * g.k + m[1][2] * g.l,
            m[2][0] * g.h + m[2][1] * g.k + m[2][2] * g.l};
  }
  friend bool operator==(const SymmetryOperation&, const SymmetryOperation&) = default;
  friend auto operator<=>(const SymmetryOperation&, const SymmetryOperation&) = default;
};

/// Reciprocal cell lengths and angles count as equal within this relative difference.
inline constexpr double kMetricTolerance = 1e-5;

/// What grouping needs to know of a phase, found once per phase.
struct PhaseSymmetry {
  /// The operations, identity first, in ascending matrix order after it; always a group that
  /// holds the inversion (Friedel's law).
  std::vector<SymmetryOperation> operations;
  bool hexagonal = false; ///< a = b, α = β = 90, γ = 120: four-index forms apply
};

/// The point symmetry of the lattice itself: every integer matrix that keeps the reciprocal
/// metric of `cell` and maps the reflections `type` allows onto themselves. A cell that is not a
/// real one gets the identity and the inversion only.
std::vector<SymmetryOperation> LatticePointOperations(const LatticeParameters& cell,
                                                      LatticeType type);

/// a = b, α = β = 90 and γ = 120 degrees, each within kMetricTolerance.
bool IsHexagonalCell(const LatticeParameters& cell);

/// The operations of a space group's Laue class, in the same order as LatticePointOperations
/// gives its own (identity first, inversion always present).
std::vector<SymmetryOperation> LaueClassOperations(const SpaceGroupConditions& group);

/// The operations and the hexagonal test: the Laue class of the rule's space group when it has
/// one, else the point symmetry of the lattice with the rule's centring.
PhaseSymmetry PhaseSymmetryOf(const LatticeParameters& cell, const ReflectionRule& rule);

} // namespace spot
