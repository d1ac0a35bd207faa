// The allowed reflections (hkl) of an index cube -N..N, in enumeration order, with spacings.
#pragma once

#include <cstddef>
#include <vector>

#include "core/fault.hpp"
#include "core/lattice.hpp"
#include "core/metric.hpp"
#include "core/reflection_rule.hpp"

namespace spot {

/// One entry: the plane, Q = PlaneProduct(g, g) = 1/d² and its spacing d (0 for (000)).
struct Reflection {
  MillerIndex index;
  double q = 0.0;
  double d = 0.0;
};

/// Entries in enumeration order: h from -N to N (outermost), then k, then l (innermost).
using ReflectionList = std::vector<Reflection>;

/// Centring condition of `type`. Rhombohedral removes h + 2k ≡ 0 (mod 3) with l odd, the
/// hexagonal-axes condition this tool has always used for that type.
bool IsAllowedReflection(int h, int k, int l, LatticeType type);

/// Number of index triples in the cube -N..N, (2N+1)³; 0 for N < 0.
std::size_t IndexCubeSize(int indexRange);

/// Every (hkl) the rule allows with |h|, |k|, |l| <= N and its spacing from G*. Fails with
/// NegativeRoot when some Q is negative (G* not a true inverse of a real cell's G).
Checked<ReflectionList> BuildReflectionList(int indexRange, const ReflectionRule& rule,
                                            const MetricTensor& gStar);

} // namespace spot
