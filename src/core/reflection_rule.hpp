// Which reflections (hkl) a phase allows: the rule of its centring type, or, for a phase that
// carries a space group, the group's own conditions (glide planes and screw axes included).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/lattice.hpp"

namespace spot {

/// What a space group tells the computations below it. The crystal library implements it; the
/// search, the families and the nearest misses see only this.
class SpaceGroupConditions {
public:
  virtual ~SpaceGroupConditions() = default;
  /// False for the reflections the group forbids (its centring, glides and screws).
  virtual bool allows(const MillerIndex& g) const = 0;
  /// The operations of the group's Laue class acting on Miller indices as columns, h' = M h;
  /// the inversion is among them.
  virtual const std::vector<std::array<std::array<int, 3>, 3>>& laueOperations() const = 0;
  /// Hermann-Mauguin symbol, as "F d -3 m:2".
  virtual const std::string& symbol() const = 0;
};

/// The centring type alone (the built-in records, a typed cell), or a space group.
class ReflectionRule {
public:
  /// Implicit: every place that names a centring type names a rule.
  ReflectionRule(LatticeType type) : type_(type) {}
  ReflectionRule(LatticeType type, std::shared_ptr<const SpaceGroupConditions> group)
      : type_(type), group_(std::move(group)) {}

  /// The type shown where only a centring fits (reports, slots file, the selector's fallback).
  LatticeType type() const { return type_; }
  /// The space group, or null for a centring-only phase.
  const SpaceGroupConditions* group() const { return group_.get(); }
  const std::shared_ptr<const SpaceGroupConditions>& sharedGroup() const { return group_; }

  bool allows(int h, int k, int l) const;

private:
  LatticeType type_;
  std::shared_ptr<const SpaceGroupConditions> group_;
};

} // namespace spot
