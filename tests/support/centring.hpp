// Which reflections a centring type allows, worked out without the program's own rule: gemmi's
// centring translations for P, C, I and F, the rhombohedral rule written out on its own.
#pragma once

#include <gemmi/symmetry.hpp>

#include "core/lattice.hpp"

namespace spot::testing {

/// True when (h k l) survives the centring of `type`. For P, C, I and F a reflection is absent
/// when some centring translation t of gemmi's table gives a phase h·t that is not whole. This
/// tool's rhombohedral type removes h + 2k ≡ 0 (mod 3) with l odd; h + 2k ≡ h - k (mod 3), so
/// here: absent when h and k leave the same remainder on division by 3 and l is odd.
inline bool IndependentlyAllowed(LatticeType type, const MillerIndex& g) {
  if (type == LatticeType::Rhombohedral) {
    const auto remainder = [](int n) { return ((n % 3) + 3) % 3; };
    return !(remainder(g.h) == remainder(g.k) && g.l % 2 != 0);
  }
  gemmi::GroupOps ops;
  ops.sym_ops = {gemmi::Op::identity()};
  ops.cen_ops = gemmi::centring_vectors(LatticeLetter(type));
  return !ops.is_systematically_absent({g.h, g.k, g.l});
}

} // namespace spot::testing
