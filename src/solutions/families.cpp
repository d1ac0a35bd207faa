// Grouping rows into families: each row is keyed by the smallest image of (g1, g2) under the
// operations, so equivalent rows share a key; the images of g1 are worked out once per plane.
#include "solutions/families.hpp"

#include <algorithm>
#include <cmath> // sqrt, round
#include <cstdint>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "core/metric.hpp"

namespace spot {
namespace {

// A plane as one number whose order is the lexicographic order of (h, k, l). Rows hold indices
// up to the largest index range (50) and the operations small integers (at most 20): the images
// stay far inside 2^15.
constexpr std::int64_t kOffset = std::int64_t{1} << 15;
std::uint64_t pack(const MillerIndex& g) {
  return (static_cast<std::uint64_t>(g.h + kOffset) << 32) |
         (static_cast<std::uint64_t>(g.k + kOffset) << 16) |
         static_cast<std::uint64_t>(g.l + kOffset);
}

int minusSigns(const MillerIndex& g) { return (g.h < 0) + (g.k < 0) + (g.l < 0); }

// Scores compared at 1e-9: rounding must not split a tie between equally good families.
double comparableScore(double score) { return std::round(score * 1e9); }

// For a plane g1: the number of its orbit, and the operations that take it to the orbit's
// smallest member. Rows whose g1 share an orbit are then told apart by the smallest image of g2
// under those operations.
struct FirstPlane {
  std::uint64_t orbit = 0;
  std::vector<std::uint16_t> operations;
};

class FirstPlanes {
public:
  explicit FirstPlanes(const std::vector<SymmetryOperation>& ops) : ops_(ops) {}

  const FirstPlane& of(const MillerIndex& g) {
    const std::uint64_t key = pack(g);
    if (last_ != nullptr && key == lastKey_) return *last_; // rows come in runs of one g1
    const auto [it, inserted] = planes_.try_emplace(key);
    if (inserted) {
      std::uint64_t smallest = ~std::uint64_t{0};
      for (std::size_t i = 0; i < ops_.size(); ++i) {
        const std::uint64_t image = pack(ops_[i].apply(g));
        if (image < smallest) {
          smallest = image;
          it->second.operations.clear();
        }
        if (image == smallest) it->second.operations.push_back(static_cast<std::uint16_t>(i));
      }
      it->second.orbit = orbits_.try_emplace(smallest, orbits_.size()).first->second;
    }
    lastKey_ = key;
    last_ = &it->second;
    return it->second;
  }

private:
  const std::vector<SymmetryOperation>& ops_;
  std::unordered_map<std::uint64_t, FirstPlane> planes_;
  std::unordered_map<std::uint64_t, std::uint64_t> orbits_;
  std::uint64_t lastKey_ = 0;
  const FirstPlane* last_ = nullptr;
};

using Key = std::pair<std::uint64_t, std::uint64_t>; // orbit of g1, smallest image of g2
struct KeyHash {
  std::size_t operator()(const Key& key) const {
    return static_cast<std::size_t>(key.first * 0x9E3779B97F4A7C15ULL ^ key.second);
  }
};

} // namespace

Deviation DeviationOf(const IndexingResult& row, const MeasuredPattern& pattern) {
  Deviation deviation;
  for (int i = 0; i < 3; ++i) {
    deviation.d[i] = row.d[i] - pattern.d[i];
    deviation.angle[i] = row.angle[i] - pattern.angle[i];
  }
  return deviation;
}

double ScoreOf(const Deviation& deviation, const MeasuredPattern& pattern) {
  double sum = 0;
  int terms = 0;
  const auto add = [&](double value, double tolerance) {
    if (tolerance == 0) return;
    sum += (value / tolerance) * (value / tolerance);
    ++terms;
  };
  for (int i = 0; i < 3; ++i)
    add(deviation.d[i], pattern.dTol[i]);
  for (int i = 0; i < 3; ++i)
    add(deviation.angle[i], pattern.angleTol[i]);
  return terms == 0 ? 0.0 : std::sqrt(sum / terms);
}

bool PrefersAsRepresentative(const MillerIndex& a1, const MillerIndex& a2, const MillerIndex& b1,
                             const MillerIndex& b2) {
  const int minusA = minusSigns(a1) + minusSigns(a2), minusB = minusSigns(b1) + minusSigns(b2);
  if (minusA != minusB) return minusA < minusB;
  return std::tie(a1.h, a1.k, a1.l, a2.h, a2.k, a2.l) >
         std::tie(b1.h, b1.k, b1.l, b2.h, b2.k, b2.l);
}

std::vector<SolutionFamily> GroupSolutions(std::span<const IndexingResult> rows,
                                           const PhaseSymmetry& symmetry,
                                           const MeasuredPattern& pattern) {
  // Key of a row: the orbit of g1, then the smallest image of g2. Equal keys are equivalent
  // rows; members join their family in row order.
  FirstPlanes firstPlanes(symmetry.operations);
  std::unordered_map<Key, std::size_t, KeyHash> familyOf;
  std::vector<SolutionFamily> families;
  Key previous{~std::uint64_t{0}, 0};
  std::size_t previousFamily = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const FirstPlane& first = firstPlanes.of(rows[i].g1);
    std::uint64_t second = ~std::uint64_t{0};
    for (std::uint16_t op : first.operations)
      second = std::min(second, pack(symmetry.operations[op].apply(rows[i].g2)));
    const Key key{first.orbit, second};
    if (key != previous) {
      const auto [it, inserted] = familyOf.try_emplace(key, families.size());
      if (inserted) families.emplace_back();
      previous = key;
      previousFamily = it->second;
    }
    families[previousFamily].members.push_back(i);
  }

  for (SolutionFamily& family : families) {
    family.representative = family.members.front();
    for (std::size_t member : family.members) {
      const IndexingResult& a = rows[member];
      const IndexingResult& b = rows[family.representative];
      if (PrefersAsRepresentative(a.g1, a.g2, b.g1, b.g2)) family.representative = member;
    }
    const IndexingResult& representative = rows[family.representative];
    family.g1 = representative.g1;
    family.g2 = representative.g2;
    family.g3 = representative.g3;
    family.zoneAxis = ZoneAxisOf(family.g1, family.g2);
    if (symmetry.hexagonal) family.zoneAxis4 = FourIndexDirectionOf(family.zoneAxis);
    family.deviation = DeviationOf(representative, pattern);
    family.score = ScoreOf(family.deviation, pattern);
  }

  std::sort(families.begin(), families.end(), [](const SolutionFamily& a, const SolutionFamily& b) {
    const double sa = comparableScore(a.score), sb = comparableScore(b.score);
    if (sa != sb) return sa < sb;
    if (a.members.size() != b.members.size()) return a.members.size() < b.members.size();
    return PrefersAsRepresentative(a.g1, a.g2, b.g1, b.g2);
  });
  for (std::size_t i = 0; i < families.size(); ++i)
    families[i].rank = static_cast<int>(i) + 1;
  return families;
}

} // namespace spot
