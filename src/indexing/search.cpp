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

Prepared prepare(const LatticeParameters& cell, const ReflectionRule& rule, int indexRange,
                 const MeasuredPattern& pattern, const SearchLimits& limits) {
  Prepared p;
  p.fault = CheckIndexRange(indexRange, limits);
  if (!p.fault) p.fault = CheckCell(cell);
  if (p.fault) return p;
  p.gStar = ReciprocalMetricOf(cell).gStar;
  Checked<ReflectionList> list = BuildReflectionList(indexRange, rule, p.gStar);
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

// Adds a solution as the next row; at the row limit the search stops with no rows instead.
bool appendRow(SearchResult& result, const SearchLimits& limits, const Prepared& p,
               const std::array<std::uint32_t, 3>& r, const std::array<double, 3>& angles) {
  if (result.rows.size() >= limits.maxRows) {
    result.rows.clear();
    result.rows.shrink_to_fit();
    result.fault = SearchFault::TooManyRows;
    return false;
  }
  IndexingResult row;
  row.rowNumber = static_cast<int>(result.rows.size()) + 1;
  row.g1 = p.reflections[r[0]].index;
  row.g2 = p.reflections[r[1]].index;
  row.g3 = p.reflections[r[2]].index;
  row.d = {p.reflections[r[0]].d, p.reflections[r[1]].d, p.reflections[r[2]].d};
  row.angle = angles;
  result.rows.push_back(row);
  return true;
}

// THE FAST SEARCH'S PARTS

// Direct lookup of g3 = g1 + g2 in list 3: a table over the index cube holding the position of
// each (hkl) in the reflection list when it is a list-3 candidate, else -1.
class List3Table {
public:
  List3Table(const Prepared& p, int indexRange)
      : n_(indexRange), side_(2 * indexRange + 1), position_(IndexCubeSize(indexRange), -1) {
    for (std::uint32_t r : p.lists[2])
      position_[cubeIndex(p.reflections[r].index)] = static_cast<std::int32_t>(r);
  }
  /// Position of g in the reflection list, or -1 when g is outside the cube or not in list 3.
  std::int32_t find(const MillerIndex& g) const {
    if (g.h < -n_ || g.h > n_ || g.k < -n_ || g.k > n_ || g.l < -n_ || g.l > n_) return -1;
    return position_[cubeIndex(g)];
  }

private:
  std::size_t cubeIndex(const MillerIndex& g) const {
    return (static_cast<std::size_t>(g.h + n_) * side_ + static_cast<std::size_t>(g.k + n_)) *
               side_ +
           static_cast<std::size_t>(g.l + n_);
  }
  int n_;
  std::size_t side_;
  std::vector<std::int32_t> position_;
};

// A candidate copied for the cosine tests: G*·g and 1/|g| next to its indices, so that the
// inner loop reads list 2 sequentially.
struct Candidate {
  MillerIndex g;
  std::uint32_t r = 0;
  double gx = 0, gy = 0, gz = 0, inverseLength = 0;
};

Candidate candidateOf(const Prepared& p, std::uint32_t r) {
  const MetricTensor& gStar = p.gStar;
  const MillerIndex& g = p.reflections[r].index;
  Candidate c{g, r};
  c.gx = gStar[0][0] * g.h + gStar[0][1] * g.k + gStar[0][2] * g.l;
  c.gy = gStar[1][0] * g.h + gStar[1][1] * g.k + gStar[1][2] * g.l;
  c.gz = gStar[2][0] * g.h + gStar[2][1] * g.k + gStar[2][2] * g.l;
  c.inverseLength = p.reflections[r].q > 0 ? 1.0 / std::sqrt(p.reflections[r].q) : 0.0;
  return c;
}

// cos <a, b> from a's copy and b's indices and 1/|b|.
double cosineOf(const Candidate& a, const MillerIndex& gb, double inverseLengthB) {
  return (a.gx * gb.h + a.gy * gb.k + a.gz * gb.l) * a.inverseLength * inverseLengthB;
}

// List 2 copied twice: as candidates, and as plain arrays of h, k, l and 1/|g| for the pre-test.
struct SecondList {
  std::vector<Candidate> candidates;
  std::vector<double> h, k, l, inverseLength;

  explicit SecondList(const Prepared& p) {
    const std::size_t count = p.lists[1].size();
    candidates.reserve(count);
    for (std::uint32_t r : p.lists[1])
      candidates.push_back(candidateOf(p, r));
    h.resize(count);
    k.resize(count);
    l.resize(count);
    inverseLength.resize(count);
    for (std::size_t j = 0; j < count; ++j) {
      h[j] = candidates[j].g.h;
      k[j] = candidates[j].g.k;
      l[j] = candidates[j].g.l;
      inverseLength[j] = candidates[j].inverseLength;
    }
  }
  std::size_t size() const { return candidates.size(); }
};

// The <R1,R2> pre-test of g1 against all of list 2 at once, branch-free on plain arrays so the
// compiler can vectorise it; admitted[j] is 1 for the pairs that go on to the lookup of g3.
void preTest(const Candidate& c1, const SecondList& second, const CosineWindow& w12,
             unsigned char* admitted) {
  const double ax = c1.gx, ay = c1.gy, az = c1.gz, inverse1 = c1.inverseLength;
  const double lo = w12.min, hi = w12.max;
  const double *hp = second.h.data(), *kp = second.k.data(), *lp = second.l.data(),
               *ip = second.inverseLength.data();
  const std::size_t count = second.size();
  for (std::size_t j = 0; j < count; ++j) {
    const double x = (ax * hp[j] + ay * kp[j] + az * lp[j]) * inverse1 * ip[j];
    admitted[j] = static_cast<unsigned char>((x >= lo) & (x <= hi));
  }
}

// The tests a triplet with g3 in list 3 still has to pass: not degenerate, the cheap cosine
// windows of <R2,R3> and <R1,R3>, then the exact angles in the literal loop's order.
class TripletTest {
public:
  TripletTest(const Prepared& p, const MeasuredPattern& m)
      : p_(p), m_(m), w23_(cosineWindow(m.angle[1], m.angleTol[1])),
        w13_(cosineWindow(m.angle[2], m.angleTol[2])) {}

  /// The three angles <R1,R2>, <R2,R3>, <R1,R3> when the triplet passes.
  std::optional<std::array<double, 3>> accept(const Candidate& c1, const Candidate& c2,
                                              const MillerIndex& g3, std::uint32_t r3) const {
    if (isDegenerate(c1.g, c2.g)) return std::nullopt;
    const double inverseLength3 = 1.0 / std::sqrt(p_.reflections[r3].q);
    if (!w23_.admits(cosineOf(c2, g3, inverseLength3)) ||
        !w13_.admits(cosineOf(c1, g3, inverseLength3)))
      return std::nullopt;
    const double q1 = p_.reflections[c1.r].q, q2 = p_.reflections[c2.r].q,
                 q3 = p_.reflections[r3].q;
    const Checked<double> a12 = AngleFromProducts(q1, q2, PlaneProduct(c1.g, c2.g, p_.gStar));
    if (!angleAgrees(a12, m_.angle[0], m_.angleTol[0])) return std::nullopt;
    const Checked<double> a23 = AngleFromProducts(q2, q3, PlaneProduct(c2.g, g3, p_.gStar));
    if (!angleAgrees(a23, m_.angle[1], m_.angleTol[1])) return std::nullopt;
    const Checked<double> a13 = AngleFromProducts(q1, q3, PlaneProduct(c1.g, g3, p_.gStar));
    if (!angleAgrees(a13, m_.angle[2], m_.angleTol[2])) return std::nullopt;
    return std::array<double, 3>{a12.value, a23.value, a13.value};
  }

private:
  const Prepared& p_;
  const MeasuredPattern& m_;
  CosineWindow w23_, w13_;
};

} // namespace

std::optional<SearchFault> CheckCell(const LatticeParameters& cell) {
  if (!IsRealCell(cell) || !ReciprocalMetricOf(cell).inverted) return SearchFault::InvalidCell;
  return std::nullopt;
}

SearchResult IndexPattern(const LatticeParameters& cell, const ReflectionRule& rule, int indexRange,
                          const MeasuredPattern& pattern, const SearchLimits& limits) {
  Prepared p = prepare(cell, rule, indexRange, pattern, limits);
  SearchResult result = finish(p);
  if (result.fault) return result;
  const auto& list1 = p.lists[0];
  if (static_cast<unsigned long long>(list1.size()) * p.lists[1].size() > limits.maxPairs) {
    result.fault = SearchFault::TooManyPairs;
    return result;
  }
  if (list1.empty() || p.lists[1].empty() || p.lists[2].empty()) return result;

  const List3Table list3(p, indexRange);
  const SecondList second(p);
  const CosineWindow w12 = cosineWindow(pattern.angle[0], pattern.angleTol[0]);
  const TripletTest triplet(p, pattern);
  std::vector<unsigned char> admitted(second.size());
  for (std::uint32_t r1 : list1) {
    if (p.reflections[r1].index.isZero()) continue;
    if (limits.stop && limits.stop->load(std::memory_order_relaxed)) {
      result.fault = SearchFault::Stopped;
      return result;
    }
    const Candidate c1 = candidateOf(p, r1);
    preTest(c1, second, w12, admitted.data());
    for (std::size_t j = 0; j < second.size(); ++j) {
      if (!admitted[j]) continue;
      const Candidate& c2 = second.candidates[j];
      const MillerIndex g3 = c1.g + c2.g;
      const std::int32_t r3 = list3.find(g3);
      if (r3 < 0) continue;
      ++result.stats.sumMatches;
      const auto u3 = static_cast<std::uint32_t>(r3);
      const auto angles = triplet.accept(c1, c2, g3, u3);
      if (angles && !appendRow(result, limits, p, {r1, c2.r, u3}, *angles)) return result;
    }
  }
  return result;
}

SearchResult IndexPatternLiteral(const LatticeParameters& cell, const ReflectionRule& rule,
                                 int indexRange, const MeasuredPattern& pattern,
                                 const SearchLimits& limits) {
  Prepared p = prepare(cell, rule, indexRange, pattern, limits);
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
