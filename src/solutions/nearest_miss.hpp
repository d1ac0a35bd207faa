// When a search finds nothing: the triplets that come nearest, found with every tolerance
// widened, and the deviations that keep each of them out.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/lattice.hpp"
#include "indexing/measured_pattern.hpp"
#include "indexing/search_fault.hpp"
#include "solutions/families.hpp"
#include "solutions/lattice_symmetry.hpp"

namespace spot {

/// Each tolerance is widened this many times to look for the nearest triplets.
inline constexpr double kNearestWidening = 3.0;
/// At most this many nearest triplets are named, one per family.
inline constexpr std::size_t kNearestCount = 5;

/// The six terms of a deviation, named d1, d2, d3, a12, a23, a13.
inline constexpr std::array<std::string_view, 6> kDeviationTermNames = {"d1",  "d2",  "d3",
                                                                        "a12", "a23", "a13"};

struct NearestMiss {
  MillerIndex g1, g2, g3; ///< the representative of its family
  Deviation deviation;
  double score = 0;             ///< against the tolerances as given
  std::array<bool, 6> breaks{}; ///< the terms outside their tolerance, in kDeviationTermNames order
};

/// The terms of `deviation` that fail their tolerance as the search tests them: a spacing when
/// |deviation| > tolerance, an angle when |deviation| >= tolerance.
std::array<bool, 6> BrokenTolerances(const Deviation& deviation, const MeasuredPattern& pattern);

/// Up to kNearestCount families of the rows a search would list with every tolerance of `pattern`
/// widened kNearestWidening times, best first, each by its representative. Empty when that
/// search finds nothing either, or stops on a fault or a limit.
std::vector<NearestMiss> FindNearestMisses(const LatticeParameters& cell,
                                           const ReflectionRule& rule, int indexRange,
                                           const MeasuredPattern& pattern,
                                           const PhaseSymmetry& symmetry,
                                           const SearchLimits& limits = {});

/// "No solution. Nearest: (1 1 1) + (1 -1 -1) = (2 0 0), d2 off by 0.011 nm (tolerance 0.008)",
/// further triplets after "; "; with none, "No solution. Nothing within three times the
/// tolerances."
std::string NearestMissMessage(const std::vector<NearestMiss>& misses,
                               const MeasuredPattern& pattern);

} // namespace spot
