// The indexing search, fast and literal.
#include "indexing/search.hpp"

#include <cmath>
#include <cstdint>

#include "core/metric.hpp"
#include "core/reflection_list.hpp"

namespace spot {
namespace {

// What both searches share up to the candidate lists.
struct Prepared {
  ReflectionList reflections;
  MetricTensor gStar{};
  std::array<std::vector<std::uint32_t>, 3> lists; // positions in `reflections`
  std::optional<SearchFault> fault;
};

Prepared prepare(const LatticeParameters& cell, LatticeType type, int indexRange,
                 const MeasuredPattern& pattern, const SearchLimits& limits) {
  Prepared p;
  p.fault = CheckIndexRange(indexRange, limits);
  if (!p.fault) p.fault = CheckCell(cell);
  if (p.fault) return p;
  p.gStar = ReciprocalMetricOf(cell).gStar;
  Checked<ReflectionList> list = BuildReflectionList(indexRange, type, p.gStar);
  if (!list.ok()) {
    p.fault = SearchFault::InvalidCell;
    return p;
  }
  p.reflections = std::move(list.value);
  for (std::uint32_t i = 0; i < p.reflections.size(); ++i) {
    const double d = p.reflections[i].d;
    for (int j = 0; j < 3; ++j)
      if (std::fabs(d - pattern.d[j]) <= pattern.dTol[j]) p.lists[j].push_back(i);
  }
  return p;
}

// Angle test of one computed angle; strict, so a difference equal to the tolerance fails.
bool angleAgrees(const Checked<double>& angle, double measured, double tolerance) {
  return angle.ok() && std::fabs(angle.value - measured) < tolerance;
}

// Triplets that no pattern can have: (000) in them, or two parallel planes. With g3 = g1 + g2,
// g1 and g2 non-zero and not parallel implies g3 is non-zero and parallel to neither.
bool isDegenerate(const MillerIndex& g1, const MillerIndex& g2) {
  return g1.isZero() || g2.isZero() || AreParallel(g1, g2);
}

// A cheap, conservative test in cosine space that lets the exact angle formula run only for
// pairs that may pass. The window is widened by 1e-6 degrees and 1e-12 in cosine, far more than
// the rounding of either computation, so it never rejects a pair the exact test would keep.
struct CosineWindow {
  double min = -2.0, max = 2.0;
  bool admits(double x) const { return x >= min && x <= max; }
};

CosineWindow cosineWindow(double measured, double tolerance) {
  constexpr double widen = 1e-6, slack = 1e-12;
  CosineWindow w;
  const double lo = measured - tolerance - widen, hi = measured + tolerance + widen;
  if (lo > 0.0 && lo < 180.0) w.max = std::cos(ToRadians(lo)) + slack;
  if (hi > 0.0 && hi < 180.0) w.min = std::cos(ToRadians(hi)) - slack;
  if (!(tolerance > 0.0)) w = {2.0, -2.0}; // strict test: a zero tolerance admits nothing
  return w;
}

SearchResult finish(Prepared& p) {
  SearchResult result;
  result.fault = p.fault;
  result.stats.reflections = p.reflections.size();
  for (int j = 0; j < 3; ++j)
    result.stats.candidates[j] = p.lists[j].size();
  return result;
}

} // namespace

std::optional<SearchFault> CheckCell(const LatticeParameters& cell) {
  if (!IsRealCell(cell) || !ReciprocalMetricOf(cell).inverted) return SearchFault::InvalidCell;
  return std::nullopt;
}

SearchResult IndexPattern(const LatticeParameters& cell, LatticeType type, int indexRange,
                          const MeasuredPattern& pattern, const SearchLimits& limits) {
  Prepared p = prepare(cell, type, indexRange, pattern, limits);
  SearchResult result = finish(p);
  if (result.fault) return result;
  const auto& list1 = p.lists[0];
  const auto& list2 = p.lists[1];
  if (static_cast<unsigned long long>(list1.size()) * list2.size() > limits.maxPairs) {
    result.fault = SearchFault::TooManyPairs;
    return result;
  }
  if (list1.empty() || list2.empty() || p.lists[2].empty()) return result;

  // Direct lookup of g3 = g1 + g2 in list 3: a table over the index cube holding the position
  // of each (hkl) in the reflection list when it is a list-3 candidate, else -1.
  const int n = indexRange;
  const int side = 2 * n + 1;
  std::vector<std::int32_t> inList3(IndexCubeSize(n), -1);
  const auto cubeIndex = [&](const MillerIndex& g) {
    return (static_cast<std::size_t>(g.h + n) * side + static_cast<std::size_t>(g.k + n)) * side +
           static_cast<std::size_t>(g.l + n);
  };
  for (std::uint32_t r : p.lists[2])
    inList3[cubeIndex(p.reflections[r].index)] = static_cast<std::int32_t>(r);

  const MetricTensor& gStar = p.gStar;
  const MeasuredPattern& m = pattern;

  // For the cosine pre-test: G*·g and 1/|g| of each candidate, stored next to its indices so the
  // inner loop reads list 2 sequentially.
  struct Candidate {
    MillerIndex g;
    std::uint32_t r = 0;
    double gx = 0, gy = 0, gz = 0, inverseLength = 0;
  };
  const auto candidate = [&](std::uint32_t r) {
    const MillerIndex& g = p.reflections[r].index;
    Candidate c{g, r};
    c.gx = gStar[0][0] * g.h + gStar[0][1] * g.k + gStar[0][2] * g.l;
    c.gy = gStar[1][0] * g.h + gStar[1][1] * g.k + gStar[1][2] * g.l;
    c.gz = gStar[2][0] * g.h + gStar[2][1] * g.k + gStar[2][2] * g.l;
    c.inverseLength = p.reflections[r].q > 0 ? 1.0 / std::sqrt(p.reflections[r].q) : 0.0;
    return c;
  };
  std::vector<Candidate> second;
  second.reserve(list2.size());
  for (std::uint32_t r : list2)
    second.push_back(candidate(r));
  // The <R1,R2> pre-test over all of list 2 at once, branch-free on plain arrays so the compiler
  // can vectorise it; only the pairs it admits go on to the lookup of g3.
  const std::size_t count2 = second.size();
  std::vector<double> h2(count2), k2(count2), l2(count2), inverse2(count2);
  for (std::size_t j = 0; j < count2; ++j) {
    h2[j] = second[j].g.h;
    k2[j] = second[j].g.k;
    l2[j] = second[j].g.l;
    inverse2[j] = second[j].inverseLength;
  }
  std::vector<unsigned char> admitted(count2);
  const auto cosine = [](const Candidate& a, const MillerIndex& gb, double inverseLengthB) {
    return (a.gx * gb.h + a.gy * gb.k + a.gz * gb.l) * a.inverseLength * inverseLengthB;
  };
  const CosineWindow w12 = cosineWindow(m.angle[0], m.angleTol[0]);
  const CosineWindow w23 = cosineWindow(m.angle[1], m.angleTol[1]);
  const CosineWindow w13 = cosineWindow(m.angle[2], m.angleTol[2]);

  for (std::uint32_t r1 : list1) {
    const Reflection& f1 = p.reflections[r1];
    const MillerIndex g1 = f1.index;
    if (g1.isZero()) continue;
    const Candidate c1 = candidate(r1);
    {
      const double ax = c1.gx, ay = c1.gy, az = c1.gz, inverse1 = c1.inverseLength;
      const double lo = w12.min, hi = w12.max;
      unsigned char* out = admitted.data();
      const double *hp = h2.data(), *kp = k2.data(), *lp = l2.data(), *ip = inverse2.data();
      for (std::size_t j = 0; j < count2; ++j) {
        const double x = (ax * hp[j] + ay * kp[j] + az * lp[j]) * inverse1 * ip[j];
        out[j] = static_cast<unsigned char>((x >= lo) & (x <= hi));
      }
    }
    for (std::size_t j = 0; j < count2; ++j) {
      if (!admitted[j]) continue;
      const Candidate& c2 = second[j];
      const MillerIndex g2 = c2.g;
      const MillerIndex g3 = g1 + g2;
      if (g3.h < -n || g3.h > n || g3.k < -n || g3.k > n || g3.l < -n || g3.l > n) continue;
      const std::int32_t r3 = inList3[cubeIndex(g3)];
      if (r3 < 0) continue;
      ++result.stats.sumMatches;
      if (isDegenerate(g1, g2)) continue;
      const auto u3 = static_cast<std::uint32_t>(r3);
      const double inverseLength3 = 1.0 / std::sqrt(p.reflections[u3].q);
      if (!w23.admits(cosine(c2, g3, inverseLength3)) ||
          !w13.admits(cosine(c1, g3, inverseLength3)))
        continue;
      const Reflection& f2 = p.reflections[c2.r];
      const Reflection& f3 = p.reflections[u3];
      const Checked<double> a12 = AngleFromProducts(f1.q, f2.q, PlaneProduct(g1, g2, gStar));
      if (!angleAgrees(a12, m.angle[0], m.angleTol[0])) continue;
      const Checked<double> a23 = AngleFromProducts(f2.q, f3.q, PlaneProduct(g2, g3, gStar));
      if (!angleAgrees(a23, m.angle[1], m.angleTol[1])) continue;
      const Checked<double> a13 = AngleFromProducts(f1.q, f3.q, PlaneProduct(g1, g3, gStar));
      if (!angleAgrees(a13, m.angle[2], m.angleTol[2])) continue;
      if (result.rows.size() >= limits.maxRows) {
        result.rows.clear();
        result.rows.shrink_to_fit();
        result.fault = SearchFault::TooManyRows;
        return result;
      }
      IndexingResult row;
      row.rowNumber = static_cast<int>(result.rows.size()) + 1;
      row.g1 = g1;
      row.g2 = g2;
      row.g3 = g3;
      row.d = {f1.d, f2.d, f3.d};
      row.angle = {a12.value, a23.value, a13.value};
      result.rows.push_back(row);
    }
  }
  return result;
}

SearchResult IndexPatternLiteral(const LatticeParameters& cell, LatticeType type, int indexRange,
                                 const MeasuredPattern& pattern, const SearchLimits& limits) {
  Prepared p = prepare(cell, type, indexRange, pattern, limits);
  SearchResult result = finish(p);
  if (result.fault) return result;

  struct Triplet {
    std::uint32_t r1, r2, r3;
    double a12 = 0, a23 = 0, a13 = 0;
    bool usable = true;
  };
  std::vector<Triplet> triplets;
  for (std::uint32_t r1 : p.lists[0])
    for (std::uint32_t r2 : p.lists[1])
      for (std::uint32_t r3 : p.lists[2]) {
        const MillerIndex& g1 = p.reflections[r1].index;
        const MillerIndex& g2 = p.reflections[r2].index;
        const MillerIndex& g3 = p.reflections[r3].index;
        if (g1.h + g2.h == g3.h && g1.k + g2.k == g3.k && g1.l + g2.l == g3.l)
          triplets.push_back({r1, r2, r3});
      }
  result.stats.sumMatches = triplets.size();

  const auto angle = [&](std::uint32_t ra, std::uint32_t rb, double& out) {
    const Checked<double> a =
        InterplanarAngle(p.reflections[ra].index, p.reflections[rb].index, p.gStar);
    out = a.value;
    return a.ok();
  };
  for (Triplet& t : triplets) {
    if (isDegenerate(p.reflections[t.r1].index, p.reflections[t.r2].index)) t.usable = false;
    if (t.usable && !angle(t.r1, t.r2, t.a12)) t.usable = false;
  }
  for (Triplet& t : triplets)
    if (t.usable && !angle(t.r2, t.r3, t.a23)) t.usable = false;
  for (Triplet& t : triplets)
    if (t.usable && !angle(t.r1, t.r3, t.a13)) t.usable = false;

  const MeasuredPattern& m = pattern;
  for (const Triplet& t : triplets) {
    if (!t.usable) continue;
    if (!(std::fabs(t.a12 - m.angle[0]) < m.angleTol[0] &&
          std::fabs(t.a23 - m.angle[1]) < m.angleTol[1] &&
          std::fabs(t.a13 - m.angle[2]) < m.angleTol[2]))
      continue;
    if (result.rows.size() >= limits.maxRows) {
      result.rows.clear();
      result.fault = SearchFault::TooManyRows;
      return result;
    }
    IndexingResult row;
    row.rowNumber = static_cast<int>(result.rows.size()) + 1;
    row.g1 = p.reflections[t.r1].index;
    row.g2 = p.reflections[t.r2].index;
    row.g3 = p.reflections[t.r3].index;
    row.d = {p.reflections[t.r1].d, p.reflections[t.r2].d, p.reflections[t.r3].d};
    row.angle = {t.a12, t.a23, t.a13};
    result.rows.push_back(row);
  }
  return result;
}

} // namespace spot
