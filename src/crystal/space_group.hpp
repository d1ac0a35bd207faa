// Space groups for the rest of SpotIndex: look-ups by symmetry operations, Hall symbol,
// Hermann-Mauguin name and number, the absences they cause and the orbits of atoms.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/lattice.hpp"
#include "core/reflection_rule.hpp"

namespace spot {

class SpaceGroup final : public SpaceGroupConditions {
public:
  struct Operations; // gemmi's operations, kept out of this header

  SpaceGroup(std::shared_ptr<const Operations> ops, std::string symbol, int number);

  bool allows(const MillerIndex& g) const override;
  const std::vector<std::array<std::array<int, 3>, 3>>& laueOperations() const override {
    return laue_;
  }
  const std::string& symbol() const override { return symbol_; }

  /// International Tables number; 0 for a set of operations that matches no tabulated setting.
  int number() const { return number_; }
  /// Number of operations, centring translations included.
  int order() const;
  /// The centring type that describes this group where only a type fits (slots, reports,
  /// a detached group): P, C, I, F, or R for rhombohedral groups on hexagonal axes; A and B
  /// centring fall back to P, which forbids nothing.
  LatticeType latticeType() const;
  /// Same operations, whatever the names.
  bool sameOperations(const SpaceGroup& other) const;
  /// Every image of a fractional position under the group, reduced to [0, 1).
  std::vector<std::array<double, 3>> images(const std::array<double, 3>& xyz) const;
  /// The same group under another name.
  std::shared_ptr<const SpaceGroup> withSymbol(std::string symbol) const {
    return std::make_shared<const SpaceGroup>(ops_, std::move(symbol), number_);
  }
  /// The operations as "x,y,z" triplets, centring included, for writing a file.
  std::vector<std::string> triplets() const;

private:
  std::shared_ptr<const Operations> ops_;
  std::string symbol_;
  int number_ = 0;
  std::vector<std::array<std::array<int, 3>, 3>> laue_;
};

using SpaceGroupPointer = std::shared_ptr<const SpaceGroup>;

/// A failed look-up says why in `error`.
struct SpaceGroupLookup {
  SpaceGroupPointer group;
  std::string error;
};

/// From a full list of operations ("x,y,z", "-x+1/2,y,-z"...).
SpaceGroupLookup SpaceGroupFromOperations(const std::vector<std::string>& triplets);
/// From a Hall symbol ("-F 4vw 2vw 3").
SpaceGroupLookup SpaceGroupFromHall(const std::string& hall);
/// From a Hermann-Mauguin name with its setting ("F d -3 m:2", "R -3 c H", "Fd-3mZ"); without a
/// setting the cell angles tell rhombohedral from hexagonal axes and origin choice 2 is taken.
SpaceGroupLookup SpaceGroupFromName(const std::string& name, double alpha, double gamma);
/// From the International Tables number, in its reference setting.
SpaceGroupLookup SpaceGroupFromNumber(int number);
/// P 1.
SpaceGroupPointer TriclinicP1();

} // namespace spot
