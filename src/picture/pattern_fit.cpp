// The lattice of a spot pattern: a rough basis from the difference vectors that neighbouring
// spots share most, the spots indexed on it outwards from the centre, a linear least-squares fit
// of centre and basis, then R1 and R2 chosen from the fitted lattice.
#include "picture/pattern_fit.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath> // for sqrt, round, atan2, fabs
#include <map>
#include <numbers>
#include <utility>

namespace spot {
namespace {

double dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
double cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }
double length(Vec2 a) { return std::sqrt(dot(a, a)); }
Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
Vec2 operator*(double k, Vec2 a) { return {k * a.x, k * a.y}; }

// Angles within 0.3 degrees of 90 count as right angles when R2's sign is chosen.
constexpr double kRightAngleCosine = 0.005;

// Two vectors count as parallel below this sine of their angle.
constexpr double kParallelSine = 0.2;

bool parallel(Vec2 a, Vec2 b) {
  return std::fabs(cross(a, b)) < kParallelSine * length(a) * length(b);
}

// Lagrange (Gauss) reduction: the shortest basis of the lattice a and b span.
void reduce(Vec2& a, Vec2& b) {
  for (int guard = 0; guard < 100; ++guard) {
    if (dot(a, a) > dot(b, b)) std::swap(a, b);
    const double m = std::round(dot(a, b) / dot(a, a));
    if (m == 0) return;
    b = b - m * a;
  }
}

// ROUGH BASIS

// The difference vectors from each spot to its nearest neighbours, one sign each, are counted in
// cells of 1 px; a vector many spots share is a lattice vector, one a stray spot makes is not.
// The shortest well-supported vector and the shortest one not parallel to it span the lattice.
std::optional<std::pair<Vec2, Vec2>> roughBasis(const std::vector<Spot>& spots,
                                                std::size_t neighbours) {
  const std::size_t n = std::min<std::size_t>(spots.size(), 400);
  std::vector<Vec2> vectors;
  std::vector<std::pair<double, std::size_t>> near;
  for (std::size_t i = 0; i < n; ++i) {
    near.clear();
    for (std::size_t j = 0; j < n; ++j)
      if (j != i)
        near.emplace_back(std::hypot(spots[j].x - spots[i].x, spots[j].y - spots[i].y), j);
    const std::size_t k = std::min(neighbours, near.size());
    std::partial_sort(near.begin(), near.begin() + static_cast<std::ptrdiff_t>(k), near.end());
    for (std::size_t m = 0; m < k; ++m) {
      Vec2 d{spots[near[m].second].x - spots[i].x, spots[near[m].second].y - spots[i].y};
      if (d.x < 0 || (d.x == 0 && d.y < 0)) d = -1.0 * d;
      if (length(d) >= 2) vectors.push_back(d);
    }
  }
  if (vectors.empty()) return std::nullopt;

  std::map<std::pair<long, long>, int> cells;
  for (Vec2 v : vectors)
    ++cells[{std::lround(v.x), std::lround(v.y)}];
  struct Candidate {
    Vec2 v;
    int support = 0;
  };
  std::vector<Candidate> candidates;
  int most = 0;
  for (const auto& [cell, count] : cells) {
    int support = 0;
    for (long dy = -1; dy <= 1; ++dy)
      for (long dx = -1; dx <= 1; ++dx) {
        const auto it = cells.find({cell.first + dx, cell.second + dy});
        if (it != cells.end()) support += it->second;
      }
    // Only a cell that holds the most of its neighbourhood speaks for it.
    bool peak = true;
    for (long dy = -1; dy <= 1 && peak; ++dy)
      for (long dx = -1; dx <= 1; ++dx) {
        const auto it = cells.find({cell.first + dx, cell.second + dy});
        if (it != cells.end() &&
            (it->second > count || (it->second == count && it->first < cell))) {
          peak = false;
          break;
        }
      }
    if (!peak) continue;
    // The mean of the vectors near the cell, for a better start.
    Vec2 sum;
    int count2 = 0;
    for (Vec2 v : vectors)
      if (std::fabs(v.x - cell.first) <= 1.5 && std::fabs(v.y - cell.second) <= 1.5)
        sum = sum + v, ++count2;
    candidates.push_back({(1.0 / count2) * sum, support});
    most = std::max(most, support);
  }
  const int enough = std::max(1, static_cast<int>(std::ceil(0.3 * most)));
  std::erase_if(candidates, [&](const Candidate& c) { return c.support < enough; });
  std::sort(candidates.begin(), candidates.end(),
            [](const Candidate& a, const Candidate& b) { return length(a.v) < length(b.v); });
  if (candidates.empty()) return std::nullopt;
  Vec2 a = candidates.front().v;
  for (const Candidate& c : candidates)
    if (!parallel(a, c.v)) {
      Vec2 b = c.v;
      reduce(a, b);
      return std::pair{a, b};
    }
  return std::nullopt;
}

// LEAST SQUARES

struct Lattice {
  Vec2 centre, a, b;
};

struct Indexed {
  int i = 0, j = 0;
  std::size_t spot = 0;
};

// The spots whose position in the basis is within 0.2 of a node, up to `limit` nodes out.
std::vector<Indexed> indexSpots(const std::vector<Spot>& spots, const Lattice& l, double limit) {
  std::vector<Indexed> indexed;
  const double det = cross(l.a, l.b);
  if (det == 0) return indexed;
  for (std::size_t s = 0; s < spots.size(); ++s) {
    const Vec2 d{spots[s].x - l.centre.x, spots[s].y - l.centre.y};
    const double u = cross(d, l.b) / det, v = cross(l.a, d) / det;
    const double i = std::round(u), j = std::round(v);
    if (std::fabs(i) > limit || std::fabs(j) > limit) continue;
    if (std::fabs(u - i) > 0.2 || std::fabs(v - j) > 0.2) continue;
    indexed.push_back({static_cast<int>(i), static_cast<int>(j), s});
  }
  return indexed;
}

// x = cx + i ax + j bx and y = cy + i ay + j by, two linear fits over (1, i, j) sharing one
// 3 x 3 normal matrix. False when the indices do not span a plane.
bool fitLattice(const std::vector<Spot>& spots, const std::vector<Indexed>& indexed, Lattice& l) {
  std::array<std::array<double, 3>, 3> m{};
  std::array<double, 3> rx{}, ry{};
  for (const Indexed& e : indexed) {
    const std::array<double, 3> f = {1.0, static_cast<double>(e.i), static_cast<double>(e.j)};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c)
        m[r][c] += f[r] * f[c];
      rx[r] += f[r] * spots[e.spot].x;
      ry[r] += f[r] * spots[e.spot].y;
    }
  }
  // Cramer's rule; the determinant is a whole number when the indices span a plane.
  const auto det3 = [](const std::array<std::array<double, 3>, 3>& a) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  };
  const double d = det3(m);
  if (!(std::fabs(d) > 0.5)) return false;
  std::array<double, 3> x{}, y{};
  for (int c = 0; c < 3; ++c) {
    auto mx = m, my = m;
    for (int r = 0; r < 3; ++r)
      mx[r][c] = rx[r], my[r][c] = ry[r];
    x[c] = det3(mx) / d;
    y[c] = det3(my) / d;
  }
  l.centre = {x[0], y[0]};
  l.a = {x[1], y[1]};
  l.b = {x[2], y[2]};
  return true;
}

double residualOf(const Spot& s, const Indexed& e, const Lattice& l) {
  const Vec2 node = l.centre + static_cast<double>(e.i) * l.a + static_cast<double>(e.j) * l.b;
  return std::hypot(s.x - node.x, s.y - node.y);
}

// CENTRE

constexpr long long kMaxNodes = 250000;

// The node about which the indexed spots are most symmetric: each spot with a partner on the
// opposite side counts by how alike their intensities are (Friedel's law), and the node's own
// spot adds by its brightness, so a direct beam weighs in while a hidden one is not needed.
std::pair<int, int> symmetryNode(const std::vector<Spot>& spots,
                                 const std::vector<Indexed>& indexed, const Lattice& l, int width,
                                 int height) {
  int i0 = 0, i1 = 0, j0 = 0, j1 = 0;
  for (const Indexed& e : indexed)
    i0 = std::min(i0, e.i), i1 = std::max(i1, e.i), j0 = std::min(j0, e.j), j1 = std::max(j1, e.j);
  // A lattice finer than the spots (nodes by the million) has no node worth choosing.
  if (static_cast<long long>(i1 - i0 + 1) * (j1 - j0 + 1) > kMaxNodes) return {0, 0};
  const int columns = j1 - j0 + 1;
  std::vector<double> intensity(static_cast<std::size_t>((i1 - i0 + 1) * columns), -1);
  const auto at = [&](int i, int j) -> double {
    if (i < i0 || i > i1 || j < j0 || j > j1) return -1;
    return intensity[static_cast<std::size_t>((i - i0) * columns + (j - j0))];
  };
  double brightest = 0;
  for (const Indexed& e : indexed) {
    intensity[static_cast<std::size_t>((e.i - i0) * columns + (e.j - j0))] =
        spots[e.spot].intensity;
    brightest = std::max(brightest, spots[e.spot].intensity);
  }
  std::pair<int, int> best{0, 0};
  double bestScore = -1, bestDistance = 0;
  // Every node inside the picture is a candidate, with or without a spot of its own.
  for (int p = i0; p <= i1; ++p)
    for (int q = j0; q <= j1; ++q) {
      const Vec2 node = l.centre + static_cast<double>(p) * l.a + static_cast<double>(q) * l.b;
      if (node.x < -0.5 || node.y < -0.5 || node.x > width - 0.5 || node.y > height - 0.5) continue;
      const double own = at(p, q);
      double score = own > 0 && brightest > 0
                         ? 0.3 * static_cast<double>(indexed.size()) * own / brightest
                         : 0;
      for (const Indexed& e : indexed) {
        if (e.i == p && e.j == q) continue;
        const double value = spots[e.spot].intensity;
        const double partner = at(2 * p - e.i, 2 * q - e.j);
        if (partner < 0) continue;
        const double high = std::max(value, partner);
        score += high > 0 ? std::min(value, partner) / high : 1;
      }
      const double distance = std::hypot(node.x - (width - 1) / 2.0, node.y - (height - 1) / 2.0);
      if (score > bestScore + 1e-9 ||
          (std::fabs(score - bestScore) <= 1e-9 && distance < bestDistance))
        best = {p, q}, bestScore = score, bestDistance = distance;
    }
  return best;
}

// R1, R2

// Counter-clockwise angle from +x as seen on the screen (y down), 0 to 360 degrees.
double screenAngle(Vec2 v) {
  double a = std::atan2(-v.y, v.x) * 180 / std::numbers::pi;
  if (a < 0) a += 360;
  if (a >= 360) a -= 360;
  return a;
}

void chooseVectors(Vec2 a, Vec2 b, PatternFit& fit) {
  reduce(a, b);
  std::vector<Vec2> lattice;
  for (int i = -3; i <= 3; ++i)
    for (int j = -3; j <= 3; ++j)
      if (i != 0 || j != 0)
        lattice.push_back(static_cast<double>(i) * a + static_cast<double>(j) * b);
  double shortest = length(a);
  Vec2 r1{};
  double r1Angle = 1000;
  for (Vec2 v : lattice)
    if (length(v) <= 1.01 * shortest && screenAngle(v) < r1Angle) r1 = v, r1Angle = screenAngle(v);
  double second = 1e300;
  for (Vec2 v : lattice)
    if (!parallel(r1, v)) second = std::min(second, length(v));
  Vec2 r2{};
  double r2Turn = 1000;
  for (Vec2 v : lattice) {
    // A right angle measured as 89.99 degrees is still a right angle: both signs stay in.
    if (parallel(r1, v) || length(v) > 1.01 * second ||
        dot(r1, v) > kRightAngleCosine * length(r1) * length(v))
      continue;
    double turn = screenAngle(v) - r1Angle;
    if (turn < 0) turn += 360;
    if (turn < r2Turn) r2 = v, r2Turn = turn;
  }
  fit.r1 = r1;
  fit.r2 = r2;
  fit.r3 = r1 + r2;
}

// printf's "%g" in the C locale; printf itself would write a comma on a German desktop.
std::string number(double value) {
  char text[32];
  return {text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6).ptr};
}

} // namespace

PatternFitOutcome FitPattern(const std::vector<Spot>& spots, int width, int height,
                             std::optional<Vec2> centre) {
  PatternFitOutcome outcome;
  if (centre && (!(centre->x >= -0.5 && centre->x <= width - 0.5) ||
                 !(centre->y >= -0.5 && centre->y <= height - 0.5))) {
    outcome.fault = PatternFitFault::CentreOutside;
    outcome.message = "the centre (" + number(centre->x) + ", " + number(centre->y) +
                      ") lies outside the picture of " + std::to_string(width) + " x " +
                      std::to_string(height) + " pixels";
    return outcome;
  }
  const auto noLattice = [&] {
    outcome.fault = PatternFitFault::NoLattice;
    outcome.message = "no lattice found: the picture has fewer than two non-parallel spot vectors";
    return outcome;
  };
  // Eight neighbours show both vectors of most lattices; in a lattice of rows five or more
  // spacings apart they all lie on the spot's own row, and a wider look reaches the next rows.
  std::optional<std::pair<Vec2, Vec2>> basis = roughBasis(spots, 8);
  if (!basis) basis = roughBasis(spots, 32);
  if (!basis || spots.empty()) return noLattice();

  // Start at the given centre, else at the brightest spot; index outwards, refitting each time.
  Lattice l{centre ? *centre : Vec2{spots[0].x, spots[0].y}, basis->first, basis->second};
  std::vector<Indexed> indexed;
  for (double limit : {2.0, 4.0, 8.0, 16.0, 32.0, 64.0, 1e9}) {
    std::vector<Indexed> next = indexSpots(spots, l, limit);
    Lattice trial = l;
    if (!fitLattice(spots, next, trial)) continue;
    l = trial;
    indexed = indexSpots(spots, l, limit);
  }
  // Spots far off their node (a stray spot that happened to fall within 0.2 of one) leave.
  for (int round = 0; round < 2 && indexed.size() >= 3; ++round) {
    double sum = 0;
    for (const Indexed& e : indexed)
      sum += residualOf(spots[e.spot], e, l) * residualOf(spots[e.spot], e, l);
    const double rms = std::sqrt(sum / static_cast<double>(indexed.size()));
    std::vector<Indexed> kept;
    for (const Indexed& e : indexed)
      if (residualOf(spots[e.spot], e, l) <= std::max(3 * rms, 0.5)) kept.push_back(e);
    Lattice trial = l;
    if (kept.size() == indexed.size() || !fitLattice(spots, kept, trial)) break;
    l = trial;
    indexed = std::move(kept);
  }
  if (indexed.size() < 3 || parallel(l.a, l.b)) return noLattice();

  // Without a given centre, the fitted origin moves to the node the pattern is centred on.
  if (!centre) {
    const auto [p, q] = symmetryNode(spots, indexed, l, width, height);
    l.centre = l.centre + static_cast<double>(p) * l.a + static_cast<double>(q) * l.b;
    for (Indexed& e : indexed)
      e.i -= p, e.j -= q;
  }

  PatternFit fit;
  fit.centreX = l.centre.x;
  fit.centreY = l.centre.y;
  fit.spotsUsed = static_cast<int>(indexed.size());
  double sum = 0;
  for (const Indexed& e : indexed)
    sum += residualOf(spots[e.spot], e, l) * residualOf(spots[e.spot], e, l);
  fit.residualPx = std::sqrt(sum / static_cast<double>(indexed.size()));
  chooseVectors(l.a, l.b, fit);
  outcome.fit = fit;
  return outcome;
}

} // namespace spot
