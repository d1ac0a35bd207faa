// Predicted spots: a reflection g of the zone lies in the plane of g1 and g2; its coordinates
// there come from the reciprocal metric, and the measured R1 and R2 lay that plane onto the
// picture. Agreement pairs predicted and detected spots through a grid of tolerance-sized cells.
#include "picture/overlay.hpp"

#include <algorithm>
#include <array>
#include <cmath> // for sqrt, fabs, ceil, hypot
#include <cstdlib>
#include <optional>
#include <tuple>
#include <unordered_map>

#include "core/metric.hpp"
#include "core/reflection_list.hpp"

namespace spot {
namespace {

// Index bounds beyond this are not searched (a calibration of a fraction of a pixel per 1/nm).
constexpr long long kMaxIndex = 400;

// Points sorted into square cells of one tolerance, to find those near a point quickly.
class PointCells {
public:
  PointCells(const std::vector<Vec2>& points, double cell) : points_(points), cell_(cell) {
    for (std::size_t i = 0; i < points.size(); ++i)
      cells_[key(cellOf(points[i].x), cellOf(points[i].y))].push_back(i);
  }
  /// The distance from (x, y) to the nearest point, if one lies within one cell size.
  std::optional<double> nearest(double x, double y) const {
    const std::optional<std::size_t> i = nearestIndex(x, y);
    if (!i) return std::nullopt;
    return std::hypot(points_[*i].x - x, points_[*i].y - y);
  }
  /// Which point that is (the first in order on a tie).
  std::optional<std::size_t> nearestIndex(double x, double y) const {
    std::optional<std::size_t> best;
    double bestDistance = 0;
    const long long cx = cellOf(x), cy = cellOf(y);
    for (long long dy = -1; dy <= 1; ++dy)
      for (long long dx = -1; dx <= 1; ++dx) {
        const auto it = cells_.find(key(cx + dx, cy + dy));
        if (it == cells_.end()) continue;
        for (std::size_t i : it->second) {
          const double d = std::hypot(points_[i].x - x, points_[i].y - y);
          if (d <= cell_ && (!best || d < bestDistance || (d == bestDistance && i < *best))) {
            best = i;
            bestDistance = d;
          }
        }
      }
    return best;
  }

private:
  long long cellOf(double v) const { return static_cast<long long>(std::floor(v / cell_)); }
  static long long key(long long x, long long y) { return x * 1000003LL + y; }
  const std::vector<Vec2>& points_;
  double cell_;
  std::unordered_map<long long, std::vector<std::size_t>> cells_;
};

// Every lattice position of the zone that `keep` accepts, placed as PredictSpots describes.
template <typename Keep>
std::vector<PredictedSpot> PlaceZone(const OverlayRequest& r, const Keep& keep) {
  std::vector<PredictedSpot> spots;
  if (!IsRealCell(r.cell) || AreParallel(r.g1, r.g2) || r.width <= 0 || r.height <= 0) return spots;
  const ReciprocalMetric metric = ReciprocalMetricOf(r.cell);
  if (!metric.inverted) return spots;
  const MetricTensor& gStar = metric.gStar;
  const double q11 = PlaneProduct(r.g1, r.g1, gStar), q22 = PlaneProduct(r.g2, r.g2, gStar);
  const double q12 = PlaneProduct(r.g1, r.g2, gStar);
  const double det = q11 * q22 - q12 * q12;
  const double lengthR1 = std::hypot(r.r1.x, r.r1.y);
  if (!(q11 > 0) || !(det > 0) || !(lengthR1 > 0)) return spots;
  const double g1Length = std::sqrt(q11);
  const double scale = r.pxPerInverseNm > 0 ? r.pxPerInverseNm : lengthR1 / g1Length; // px nm
  if (!std::isfinite(scale)) return spots;

  // The plane's frame on the picture: along R1, and across it towards R2.
  const Vec2 along{r.r1.x / lengthR1, r.r1.y / lengthR1};
  const double side = (r.r1.x * r.r2.y - r.r1.y * r.r2.x) >= 0 ? 1.0 : -1.0;
  const Vec2 across{-along.y * side, along.x * side};
  const double g2Across = std::sqrt(det / q11); // g2's component across g1 (1/nm)

  // Reflections up to the farthest corner: |h| <= |g| a, and the like for k and l.
  double reach = 0;
  for (double x : {-0.5, r.width - 0.5})
    for (double y : {-0.5, r.height - 0.5})
      reach = std::max(reach, std::hypot(x - r.centre.x, y - r.centre.y));
  const double gMax = reach / scale;
  const auto bound = [&](double edge) {
    const double b = std::ceil(gMax * edge);
    return static_cast<long long>(std::clamp(b, 0.0, static_cast<double>(kMaxIndex)));
  };
  const std::array<long long, 3> bounds = {bound(r.cell.a), bound(r.cell.b), bound(r.cell.c)};

  const ZoneAxis zone = ZoneAxisOf(r.g1, r.g2);
  const std::array<long long, 3> z = {zone.u, zone.v, zone.w};
  // Two indices run, the third (the one with the largest axis component) follows from
  // u h + v k + w l = 0.
  int solved = 0;
  for (int i = 1; i < 3; ++i)
    if (std::llabs(z[static_cast<std::size_t>(i)]) >
        std::llabs(z[static_cast<std::size_t>(solved)]))
      solved = i;
  const int first = solved == 0 ? 1 : 0, second = solved == 2 ? 1 : 2;
  const auto place = [&](const MillerIndex& g) {
    const double p1 = PlaneProduct(g, r.g1, gStar), p2 = PlaneProduct(g, r.g2, gStar);
    const double a = (p1 * q22 - p2 * q12) / det,
                 b = (p2 * q11 - p1 * q12) / det; // g = a g1 + b g2
    const double u = a * g1Length + b * q12 / g1Length, v = b * g2Across;
    const double x = r.centre.x + scale * (u * along.x + v * across.x);
    const double y = r.centre.y + scale * (u * along.y + v * across.y);
    if (x >= -0.5 && y >= -0.5 && x <= r.width - 0.5 && y <= r.height - 0.5)
      spots.push_back({g, x, y});
  };
  const std::size_t f = static_cast<std::size_t>(first), s = static_cast<std::size_t>(second);
  const std::size_t t = static_cast<std::size_t>(solved);
  for (long long m = -bounds[f]; m <= bounds[f]; ++m)
    for (long long n = -bounds[s]; n <= bounds[s]; ++n) {
      const long long rest = -(z[f] * m + z[s] * n);
      if (rest % z[t] != 0) continue;
      const long long o = rest / z[t];
      if (std::llabs(o) > bounds[t]) continue;
      std::array<long long, 3> index{};
      index[f] = m, index[s] = n, index[t] = o;
      const MillerIndex g{static_cast<int>(index[0]), static_cast<int>(index[1]),
                          static_cast<int>(index[2])};
      if (g.isZero() || !keep(g)) continue;
      place(g);
    }
  const auto distance = [&](const PredictedSpot& p) {
    return (p.x - r.centre.x) * (p.x - r.centre.x) + (p.y - r.centre.y) * (p.y - r.centre.y);
  };
  std::sort(spots.begin(), spots.end(), [&](const PredictedSpot& a, const PredictedSpot& b) {
    const double da = distance(a), db = distance(b);
    if (da != db) return da < db;
    return std::tie(a.hkl.h, a.hkl.k, a.hkl.l) > std::tie(b.hkl.h, b.hkl.k, b.hkl.l);
  });
  return spots;
}

} // namespace

std::vector<PredictedSpot> PredictSpots(const OverlayRequest& r) {
  const bool cancels = r.rule.group() && !r.cancelled.empty();
  return PlaceZone(r, [&](const MillerIndex& g) {
    return r.rule.allows(g.h, g.k, g.l) &&
           !(cancels && std::find(r.cancelled.begin(), r.cancelled.end(), g) != r.cancelled.end());
  });
}

std::vector<PredictedSpot> PredictForbiddenSpots(const OverlayRequest& r) {
  if (!r.rule.group()) return {};
  // Only the centring's own lattice is reached by adding allowed reflections, so a position
  // the centring forbids stays dark even by double diffraction.
  return PlaceZone(r, [&](const MillerIndex& g) {
    if (!IsAllowedReflection(g.h, g.k, g.l, r.rule.type())) return false;
    if (!r.rule.allows(g.h, g.k, g.l)) return true;
    return std::find(r.cancelled.begin(), r.cancelled.end(), g) != r.cancelled.end();
  });
}

PictureAgreement CompareWithPicture(const std::vector<PredictedSpot>& predicted,
                                    const std::vector<Spot>& detected, Vec2 centre,
                                    double tolerancePx) {
  PictureAgreement agreement;
  if (!(tolerancePx > 0)) return agreement;
  std::vector<Vec2> found, expected;
  for (const Spot& s : detected)
    if (std::hypot(s.x - centre.x, s.y - centre.y) > tolerancePx) found.push_back({s.x, s.y});
  for (const PredictedSpot& p : predicted)
    expected.push_back({p.x, p.y});
  const PointCells foundCells(found, tolerancePx), expectedCells(expected, tolerancePx);
  double squares = 0;
  for (const Vec2& p : expected)
    if (const std::optional<double> d = foundCells.nearest(p.x, p.y)) {
      ++agreement.matched;
      squares += *d * *d;
    }
  for (const Vec2& s : found)
    if (expectedCells.nearest(s.x, s.y)) ++agreement.explained;
  agreement.predicted = static_cast<int>(expected.size());
  agreement.detected = static_cast<int>(found.size());
  agreement.rmsPx = agreement.matched > 0 ? std::sqrt(squares / agreement.matched) : 0;
  return agreement;
}

PictureMatches MatchWithPicture(const std::vector<PredictedSpot>& predicted,
                                const std::vector<Spot>& detected, Vec2 centre,
                                double tolerancePx) {
  PictureMatches matches;
  matches.matched.assign(predicted.size(), false);
  matches.explained.assign(detected.size(), false);
  matches.directBeam.assign(detected.size(), false);
  if (!(tolerancePx > 0)) return matches;
  std::vector<Vec2> found, expected;
  for (std::size_t j = 0; j < detected.size(); ++j) {
    matches.directBeam[j] =
        !(std::hypot(detected[j].x - centre.x, detected[j].y - centre.y) > tolerancePx);
    if (!matches.directBeam[j]) found.push_back({detected[j].x, detected[j].y});
  }
  for (const PredictedSpot& p : predicted)
    expected.push_back({p.x, p.y});
  const PointCells foundCells(found, tolerancePx), expectedCells(expected, tolerancePx);
  for (std::size_t i = 0; i < expected.size(); ++i)
    matches.matched[i] = foundCells.nearest(expected[i].x, expected[i].y).has_value();
  for (std::size_t j = 0; j < detected.size(); ++j)
    matches.explained[j] =
        !matches.directBeam[j] && expectedCells.nearest(detected[j].x, detected[j].y).has_value();
  return matches;
}

std::vector<int> MatchForbiddenSpots(const std::vector<PredictedSpot>& forbidden,
                                     const std::vector<Spot>& detected,
                                     const PictureMatches& matches, double tolerancePx) {
  std::vector<int> nearest(detected.size(), -1);
  if (!(tolerancePx > 0) || forbidden.empty()) return nearest;
  std::vector<Vec2> places;
  for (const PredictedSpot& p : forbidden)
    places.push_back({p.x, p.y});
  const PointCells cells(places, tolerancePx);
  for (std::size_t j = 0; j < detected.size(); ++j) {
    const bool counted = j < matches.explained.size() && j < matches.directBeam.size();
    if (!counted || matches.explained[j] || matches.directBeam[j]) continue;
    if (const std::optional<std::size_t> i = cells.nearestIndex(detected[j].x, detected[j].y))
      nearest[j] = static_cast<int>(*i);
  }
  return nearest;
}

double AgreementTolerancePx(Vec2 r1, Vec2 r2) {
  return std::max(2.0, 0.2 * std::min(std::hypot(r1.x, r1.y), std::hypot(r2.x, r2.y)));
}

} // namespace spot
