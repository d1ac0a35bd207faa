// Crystal cells: the five centring types, the six cell parameters, Miller indices and zone axes.
// Lengths in nm, angles in degrees.
#pragma once

#include <array>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace spot {

// LATTICE TYPES

/// The centring of a phase, in the item order of the lattice-type selector.
enum class LatticeType {
  Primitive = 0,
  SideCenter = 1,
  BodyCenter = 2,
  FaceCenter = 3,
  Rhombohedral = 4
};

inline constexpr int kLatticeTypeCount = 5;

/// The five types in selector order.
inline constexpr std::array<LatticeType, kLatticeTypeCount> kLatticeTypes = {
    LatticeType::Primitive, LatticeType::SideCenter, LatticeType::BodyCenter,
    LatticeType::FaceCenter, LatticeType::Rhombohedral};

/// Item texts of the selector, index = LatticeType.
inline constexpr std::array<std::string_view, kLatticeTypeCount> kLatticeSelectorTexts = {
    "P-Primitive", "C-Side Centred", "I-Body Centred", "F-Face Centred", "R-Rhombohedral"};

/// Names used by the phase database, index = LatticeType.
inline constexpr std::array<std::string_view, kLatticeTypeCount> kLatticeDatabaseNames = {
    "Primitive", "SideCenter", "BodyCenter", "FaceCenter", "Rhombohedral"};

/// One-letter centring symbols (P, C, I, F, R), index = LatticeType.
inline constexpr std::array<char, kLatticeTypeCount> kLatticeLetters = {'P', 'C', 'I', 'F', 'R'};

// Selector positions are numbers only where the combo box and the files hold them.

/// The type at a selector position; nullopt for -1 ("no selection") or any other number.
inline std::optional<LatticeType> LatticeTypeFromIndex(int index) {
  if (index < 0 || index >= kLatticeTypeCount) return std::nullopt;
  return static_cast<LatticeType>(index);
}

/// The selector position of a type: 0 for Primitive ... 4 for Rhombohedral.
constexpr int SelectorIndexOf(LatticeType type) { return static_cast<int>(type); }

/// "F-Face Centred" and the like: the selector's item text.
constexpr std::string_view LatticeSelectorText(LatticeType type) {
  return kLatticeSelectorTexts[static_cast<std::size_t>(SelectorIndexOf(type))];
}

/// P, C, I, F or R.
constexpr char LatticeLetter(LatticeType type) {
  return kLatticeLetters[static_cast<std::size_t>(SelectorIndexOf(type))];
}

// CELL

/// One crystal cell. alpha is the angle between b and c, beta between a and c, gamma between a and
/// b.
struct LatticeParameters {
  double a = 0, b = 0, c = 0;            ///< edge lengths (nm)
  double alpha = 0, beta = 0, gamma = 0; ///< angles (degrees)
  double cOverA = 0; ///< axial ratio carried by database entries; no formula reads it
};

// PLANES AND DIRECTIONS

/// (h k l): a lattice plane, or equally its reciprocal-lattice vector. (000) is the origin.
struct MillerIndex {
  int h = 0, k = 0, l = 0;

  friend bool operator==(const MillerIndex&, const MillerIndex&) = default;
  friend MillerIndex operator+(const MillerIndex& a, const MillerIndex& b) {
    return {a.h + b.h, a.k + b.k, a.l + b.l};
  }
  bool isZero() const { return h == 0 && k == 0 && l == 0; }
};

/// [u v w]: a lattice direction. [0 0 0] stands for "two parallel planes have no common axis".
struct ZoneAxis {
  long long u = 0, v = 0, w = 0;
  friend bool operator==(const ZoneAxis&, const ZoneAxis&) = default;
};

/// True when g1 and g2 are parallel or antiparallel (their cross product vanishes); (000) is
/// parallel to everything.
inline bool AreParallel(const MillerIndex& g1, const MillerIndex& g2) {
  const long long u = static_cast<long long>(g1.k) * g2.l - static_cast<long long>(g1.l) * g2.k;
  const long long v = static_cast<long long>(g1.l) * g2.h - static_cast<long long>(g1.h) * g2.l;
  const long long w = static_cast<long long>(g1.h) * g2.k - static_cast<long long>(g1.k) * g2.h;
  return u == 0 && v == 0 && w == 0;
}

} // namespace spot
