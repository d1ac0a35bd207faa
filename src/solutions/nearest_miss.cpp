// Nearest misses: the search once more with wider tolerances, over one first plane of each orbit,
// its rows grouped and scored against the tolerances the user gave.
#include "solutions/nearest_miss.hpp"

#include <algorithm>
#include <charconv> // to_chars: "." whatever the locale
#include <cmath>
#include <cstdint>
#include <tuple>
#include <utility>

#include "core/metric.hpp"
#include "core/number_format.hpp"
#include "core/reflection_list.hpp"
#include "indexing/search.hpp"

namespace spot {
namespace {

// A deviation with three significant digits, as people read it.
std::string shortNumber(double value) {
  char buffer[32];
  return std::string(
      buffer,
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 3).ptr);
}

std::string planeText(const MillerIndex& g) {
  return "(" + std::to_string(g.h) + " " + std::to_string(g.k) + " " + std::to_string(g.l) + ")";
}

// The index cube -N..N, addressed as one array.
class Cube {
public:
  explicit Cube(int n) : n_(n), side_(2 * static_cast<std::size_t>(n) + 1) {}
  bool contains(const MillerIndex& g) const {
    return std::abs(g.h) <= n_ && std::abs(g.k) <= n_ && std::abs(g.l) <= n_;
  }
  std::size_t size() const { return side_ * side_ * side_; }
  std::size_t index(const MillerIndex& g) const {
    return (static_cast<std::size_t>(g.h + n_) * side_ + static_cast<std::size_t>(g.k + n_)) *
               side_ +
           static_cast<std::size_t>(g.l + n_);
  }

private:
  int n_;
  std::size_t side_;
};

struct Candidate {
  MillerIndex g;
  double q = 0, d = 0;
};

struct Candidates {
  std::array<std::vector<Candidate>, 3> lists; // in the reflection list's order
};

// The candidates of the three spots, as the search would take them from the reflection list,
// found without building that list: for each (h, k) only the l for which Q = 1/d² can reach the
// widest spacing window are looked at (Q is a parabola in l).
Candidates findCandidates(const LatticeParameters& cell, const MetricTensor& gStar,
                          const ReflectionRule& rule, int n, const MeasuredPattern& p) {
  Candidates result;
  double qMax = 0;
  bool unbounded = false;
  // The Q = 1/d² window of each spot, a little wider than its spacing window.
  std::array<std::array<double, 2>, 3> window{};
  for (int j = 0; j < 3; ++j) {
    const double dMin = p.d[j] - p.dTol[j], dMax = p.d[j] + p.dTol[j];
    window[j][0] = dMax > 0 ? 1.0 / (dMax * dMax) * (1 - 1e-9) : 0.0;
    window[j][1] = dMin > 0 ? 1.0 / (dMin * dMin) * (1 + 1e-9) : HUGE_VAL;
    if (dMin > 0)
      qMax = std::max(qMax, window[j][1]);
    else
      unbounded = true;
  }
  // |h| <= |a| |g| since h = g · a; likewise k and l.
  const MetricTensor& g = gStar;
  const std::array<double, 3> directSquared = {cell.a * cell.a, cell.b * cell.b, cell.c * cell.c};
  std::array<int, 3> bound = {n, n, n};
  if (!unbounded)
    for (int i = 0; i < 3; ++i)
      bound[i] =
          static_cast<int>(std::min<double>(n, std::floor(std::sqrt(directSquared[i] * qMax)) + 1));
  for (int h = -bound[0]; h <= bound[0]; ++h)
    for (int k = -bound[1]; k <= bound[1]; ++k) {
      int lLow = -bound[2], lHigh = bound[2];
      if (!unbounded) {
        // G33 l² + 2 B l + C <= qMax.
        const double b = g[0][2] * h + g[1][2] * k;
        const double c = g[0][0] * h * h + 2 * g[0][1] * h * k + g[1][1] * k * k;
        const double disc = b * b - g[2][2] * (c - qMax);
        if (disc < 0) continue;
        const double root = std::sqrt(disc);
        // Clamped on both sides before the conversion: for a very long, slanted c both roots
        // can lie far beyond int on one side; a bound just past the other leaves the line empty.
        // A root that is not a number leaves the bound as it was.
        lLow = static_cast<int>(std::min<double>(
            std::max<double>(lLow, std::floor((-b - root) / g[2][2]) - 1), lHigh + 1.0));
        lHigh = static_cast<int>(std::max<double>(
            std::min<double>(lHigh, std::ceil((-b + root) / g[2][2]) + 1), lLow - 1.0));
      }
      // Q along the line, cheaply, to pass over the planes outside every window; the planes
      // inside get Q and d exactly as the reflection list has them.
      const double b = 2 * (g[0][2] * h + g[1][2] * k);
      const double c = g[0][0] * h * h + 2 * g[0][1] * h * k + g[1][1] * k * k;
      for (int l = lLow; l <= lHigh; ++l) {
        const double estimate = c + l * (b + g[2][2] * l);
        bool near = false;
        for (int j = 0; j < 3; ++j)
          near = near || (estimate >= window[j][0] && estimate <= window[j][1]);
        if (!near || !rule.allows(h, k, l)) continue;
        const MillerIndex index{h, k, l};
        const double q = PlaneProduct(index, index, gStar);
        if (!(q > 0)) continue; // (000) fits no measured spacing
        const double d = 1.0 / std::sqrt(q);
        for (int j = 0; j < 3; ++j)
          if (std::fabs(d - p.d[j]) <= p.dTol[j]) result.lists[j].push_back({index, q, d});
      }
    }
  return result;
}

// A signed permutation of the indices maps the index cube onto itself.
bool keepsCube(const SymmetryOperation& op) {
  for (const auto& row : op.m) {
    int nonZero = 0;
    for (int value : row)
      nonZero += value != 0 ? (std::abs(value) == 1 ? 1 : 2) : 0;
    if (nonZero != 1) return false;
  }
  return true;
}

bool isSmallestImage(const MillerIndex& g, const std::vector<SymmetryOperation>& ops) {
  const auto key = [](const MillerIndex& x) { return std::tie(x.h, x.k, x.l); };
  for (const SymmetryOperation& op : ops) {
    const MillerIndex image = op.apply(g);
    if (key(image) < key(g)) return false;
  }
  return true;
}

bool angleWithin(const Checked<double>& angle, const MeasuredPattern& p, int pair) {
  return angle.ok() && std::fabs(angle.value - p.angle[pair]) < p.angleTol[pair];
}

} // namespace

std::array<bool, 6> BrokenTolerances(const Deviation& deviation, const MeasuredPattern& pattern) {
  std::array<bool, 6> breaks{};
  for (int i = 0; i < 3; ++i) {
    breaks[i] = !(std::fabs(deviation.d[i]) <= pattern.dTol[i]);
    breaks[3 + i] = !(std::fabs(deviation.angle[i]) < pattern.angleTol[i]);
  }
  return breaks;
}

std::vector<NearestMiss> FindNearestMisses(const LatticeParameters& cell,
                                           const ReflectionRule& rule, int indexRange,
                                           const MeasuredPattern& pattern,
                                           const PhaseSymmetry& symmetry,
                                           const SearchLimits& limits) {
  MeasuredPattern widened = pattern;
  for (int i = 0; i < 3; ++i) {
    widened.dTol[i] *= kNearestWidening;
    widened.angleTol[i] *= kNearestWidening;
  }
  std::vector<NearestMiss> misses;
  if (CheckIndexRange(indexRange, limits) || CheckCell(cell)) return misses;
  const MetricTensor gStar = ReciprocalMetricOf(cell).gStar;
  const Candidates candidates = findCandidates(cell, gStar, rule, indexRange, widened);

  // One g1 of each orbit under the operations that keep the index cube is enough: each family
  // has a member with that g1. The family's other members come from its orbit below.
  std::vector<SymmetryOperation> cubeKeeping;
  for (const SymmetryOperation& op : symmetry.operations)
    if (keepsCube(op)) cubeKeeping.push_back(op);
  std::vector<const Candidate*> firsts;
  for (const Candidate& c : candidates.lists[0])
    if (isSmallestImage(c.g, cubeKeeping)) firsts.push_back(&c);
  const auto& seconds = candidates.lists[1];
  if (static_cast<unsigned long long>(firsts.size()) * seconds.size() > limits.maxPairs)
    return misses;

  const Cube cube(indexRange);
  std::vector<std::int32_t> third(cube.size(), -1);
  for (std::size_t i = 0; i < candidates.lists[2].size(); ++i)
    third[cube.index(candidates.lists[2][i].g)] = static_cast<std::int32_t>(i);

  // A cheap test of <R1,R2> in cosines first, widened far beyond rounding, as the search does.
  if (!(widened.angleTol[0] > 0)) return misses; // a strict test of 0 admits nothing
  const double low = widened.angle[0] - widened.angleTol[0] - 1e-6,
               high = widened.angle[0] + widened.angleTol[0] + 1e-6;
  const double cosineMax = low > 0 && low < 180 ? std::cos(ToRadians(low)) + 1e-12 : 2.0;
  const double cosineMin = high > 0 && high < 180 ? std::cos(ToRadians(high)) - 1e-12 : -2.0;
  std::vector<double> inverseLength(seconds.size());
  for (std::size_t j = 0; j < seconds.size(); ++j)
    inverseLength[j] = seconds[j].q > 0 ? 1.0 / std::sqrt(seconds[j].q) : 0.0;

  std::vector<IndexingResult> rows;
  for (const Candidate* c1 : firsts) {
    const MillerIndex& g1 = c1->g;
    const double gx = gStar[0][0] * g1.h + gStar[0][1] * g1.k + gStar[0][2] * g1.l;
    const double gy = gStar[1][0] * g1.h + gStar[1][1] * g1.k + gStar[1][2] * g1.l;
    const double gz = gStar[2][0] * g1.h + gStar[2][1] * g1.k + gStar[2][2] * g1.l;
    const double inverse1 = c1->q > 0 ? 1.0 / std::sqrt(c1->q) : 0.0;
    for (std::size_t j = 0; j < seconds.size(); ++j) {
      const Candidate& c2 = seconds[j];
      const double x = (gx * c2.g.h + gy * c2.g.k + gz * c2.g.l) * inverse1 * inverseLength[j];
      if (x < cosineMin || x > cosineMax) continue;
      const MillerIndex g3 = c1->g + c2.g;
      if (!cube.contains(g3) || c1->g.isZero() || c2.g.isZero() || AreParallel(c1->g, c2.g))
        continue;
      const std::int32_t r3 = third[cube.index(g3)];
      if (r3 < 0) continue;
      const Candidate& c3 = candidates.lists[2][static_cast<std::size_t>(r3)];
      // The angles as the search computes them, so that the numbers agree to the last bit.
      const Checked<double> a12 = AngleFromProducts(c1->q, c2.q, PlaneProduct(c1->g, c2.g, gStar));
      if (!angleWithin(a12, widened, 0)) continue;
      const Checked<double> a23 = AngleFromProducts(c2.q, c3.q, PlaneProduct(c2.g, g3, gStar));
      if (!angleWithin(a23, widened, 1)) continue;
      const Checked<double> a13 = AngleFromProducts(c1->q, c3.q, PlaneProduct(c1->g, g3, gStar));
      if (!angleWithin(a13, widened, 2)) continue;
      if (rows.size() >= limits.maxRows) return {};
      rows.push_back({static_cast<int>(rows.size()) + 1,
                      c1->g,
                      c2.g,
                      g3,
                      {c1->d, c2.d, c3.d},
                      {a12.value, a23.value, a13.value}});
    }
  }

  // Each family found, completed from its orbit within the index cube, as the widened search
  // would list it: its representative and its number of rows.
  struct Found {
    NearestMiss miss;
    std::size_t rowCount = 0;
  };
  // Families come best first; only those that can still be among the nearest (a score up to the
  // last one kept, ties included) need their orbits.
  const std::vector<SolutionFamily> families = GroupSolutions(rows, symmetry, pattern);
  std::vector<Found> found;
  for (const SolutionFamily& family : families) {
    if (found.size() >= kNearestCount &&
        std::round(family.score * 1e9) > std::round(found.back().miss.score * 1e9))
      break;
    const IndexingResult& row = rows[family.representative];
    std::vector<std::pair<MillerIndex, MillerIndex>> orbit;
    for (const SymmetryOperation& op : symmetry.operations) {
      const MillerIndex g1 = op.apply(row.g1), g2 = op.apply(row.g2);
      if (!cube.contains(g1) || !cube.contains(g2) || !cube.contains(g1 + g2)) continue;
      if (std::find(orbit.begin(), orbit.end(), std::pair{g1, g2}) == orbit.end())
        orbit.emplace_back(g1, g2);
    }
    NearestMiss miss{row.g1,           row.g2,       row.g3,
                     family.deviation, family.score, BrokenTolerances(family.deviation, pattern)};
    for (const auto& [g1, g2] : orbit)
      if (PrefersAsRepresentative(g1, g2, miss.g1, miss.g2)) {
        miss.g1 = g1;
        miss.g2 = g2;
        miss.g3 = g1 + g2;
      }
    found.push_back({miss, orbit.size()});
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    const double sa = std::round(a.miss.score * 1e9), sb = std::round(b.miss.score * 1e9);
    if (sa != sb) return sa < sb;
    if (a.rowCount != b.rowCount) return a.rowCount < b.rowCount;
    return PrefersAsRepresentative(a.miss.g1, a.miss.g2, b.miss.g1, b.miss.g2);
  });
  for (std::size_t i = 0; i < found.size() && i < kNearestCount; ++i)
    misses.push_back(found[i].miss);
  return misses;
}

std::string NearestMissMessage(const std::vector<NearestMiss>& misses,
                               const MeasuredPattern& pattern) {
  if (misses.empty()) return "No solution. Nothing within three times the tolerances.";
  std::string text = "No solution. Nearest: ";
  for (std::size_t m = 0; m < misses.size(); ++m) {
    const NearestMiss& miss = misses[m];
    if (m > 0) text += "; ";
    text += planeText(miss.g1) + " + " + planeText(miss.g2) + " = " + planeText(miss.g3);
    for (int term = 0; term < 6; ++term) {
      if (!miss.breaks[term]) continue;
      const bool spacing = term < 3;
      const double value = spacing ? miss.deviation.d[term] : miss.deviation.angle[term - 3];
      const double tolerance = spacing ? pattern.dTol[term] : pattern.angleTol[term - 3];
      text += ", ";
      text += kDeviationTermNames[term];
      text += " off by " + shortNumber(std::fabs(value)) + (spacing ? " nm" : " degrees") +
              " (tolerance " + FormatGeneral(tolerance) + ")";
    }
  }
  return text;
}

} // namespace spot
