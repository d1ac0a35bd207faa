// A phase as the crystal library knows it: a cell with either a centring type alone (the
// built-in records, a typed cell, a slot) or a space group and the atoms of its structure.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/atom_site.hpp"
#include "core/lattice.hpp"
#include "core/reflection_rule.hpp"
#include "crystal/space_group.hpp"

namespace spot {

struct CrystalPhase {
  std::string name;
  std::string block;                             ///< the CIF data block it came from
  LatticeParameters cell;                        ///< nm, degrees
  LatticeType centring = LatticeType::Primitive; ///< used while no group is attached
  SpaceGroupPointer group;                       ///< null: centring only
  std::vector<AtomSite> atoms;                   ///< the asymmetric unit, as read

  /// The group's type while one is attached, else `centring`.
  LatticeType latticeType() const { return group ? group->latticeType() : centring; }
  /// What the search and the families use.
  ReflectionRule rule() const {
    return group ? ReflectionRule(group->latticeType(), group) : ReflectionRule(centring);
  }
  /// Makes the phase centring-only with the given type: the group and its atoms go, since
  /// positions mean nothing without the operations that place them.
  void detachGroup(LatticeType type) {
    group.reset();
    atoms.clear();
    centring = type;
  }
};

/// A real cell (IsRealCell) whose metric can be inverted.
bool IsUsableCell(const LatticeParameters& cell);

/// Every distinct image of every atom in the unit cell, positions reduced to [0, 1), each with
/// its chemical occupancy; images closer than kSamePositionNm are one. Without a group the atoms
/// as they stand.
std::vector<AtomSite> UnitCellAtoms(const CrystalPhase& phase);

/// Two images of one atom closer than this are the same site (an atom on a special position).
inline constexpr double kSamePositionNm = 0.01;

/// The distinct images of `xyz` under `group` in `cell`.
std::vector<std::array<double, 3>> DistinctImages(const SpaceGroup& group,
                                                  const LatticeParameters& cell,
                                                  const std::array<double, 3>& xyz);

} // namespace spot
