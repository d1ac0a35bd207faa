// The point symmetry of a lattice, found by trying every integer image of the three axes that
// keeps the reciprocal lengths, then the angles between them, then the centring.
#include "solutions/lattice_symmetry.hpp"

#include <algorithm>
#include <cmath> // sqrt, acos, sin, fabs, floor

#include "core/metric.hpp"
#include "core/reflection_list.hpp"

namespace spot {
namespace {

// An image of an axis needs |h| <= |a| |g|: h = g · a. A real but extremely oblique cell could
// ask for thousands; such cells have no symmetry beyond the inversion worth that search.
constexpr int kMaxImageIndex = 20;

bool sameLength(double q, double qReference) {
  return std::fabs(std::sqrt(q / qReference) - 1.0) <= kMetricTolerance;
}

// The centring conditions repeat with period 2 in every index (period 3 in h + 2k for the
// rhombohedral type), so checking the residues modulo 6 checks every reflection; for the types
// with period 2, the residues modulo 2 do. A unimodular matrix permutes the residues, so "into"
// is "onto".
class CentringCheck {
public:
  explicit CentringCheck(LatticeType type)
      : type_(type), period_(type == LatticeType::Rhombohedral ? 6 : 2) {
    for (int h = 0; h < period_; ++h)
      for (int k = 0; k < period_; ++k)
        for (int l = 0; l < period_; ++l)
          allowed_[index(h, k, l)] = IsAllowedReflection(h, k, l, type);
  }

  bool keeps(const SymmetryOperation& op) const {
    if (type_ == LatticeType::Primitive) return true;
    for (int h = 0; h < period_; ++h)
      for (int k = 0; k < period_; ++k)
        for (int l = 0; l < period_; ++l) {
          if (!allowed_[index(h, k, l)]) continue;
          const MillerIndex g = op.apply({h, k, l});
          if (!allowed_[index(residue(g.h), residue(g.k), residue(g.l))]) return false;
        }
    return true;
  }

private:
  int residue(int x) const { return ((x % period_) + period_) % period_; }
  int index(int h, int k, int l) const { return (h * 6 + k) * 6 + l; }

  LatticeType type_;
  int period_;
  std::array<bool, 216> allowed_{};
};

int determinant(const SymmetryOperation& op) {
  const auto& m = op.m;
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
         m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

SymmetryOperation identity(int sign) {
  SymmetryOperation op;
  for (int i = 0; i < 3; ++i)
    op.m[i][i] = sign;
  return op;
}

// Sorted, identity first (it maps every row onto itself, so grouping meets it at once), and the
// inversion present.
std::vector<SymmetryOperation> inGroupOrder(std::vector<SymmetryOperation> result) {
  std::sort(result.begin(), result.end());
  const auto self = std::find(result.begin(), result.end(), identity(1));
  if (self != result.end())
    std::rotate(result.begin(), self, self + 1);
  else
    result.insert(result.begin(), identity(1));
  if (std::find(result.begin(), result.end(), identity(-1)) == result.end())
    result.push_back(identity(-1));
  return result;
}

} // namespace

std::vector<SymmetryOperation> LatticePointOperations(const LatticeParameters& cell,
                                                      LatticeType type) {
  std::vector<SymmetryOperation> result{identity(1), identity(-1)};
  const ReciprocalMetric reciprocal = ReciprocalMetricOf(cell);
  if (!IsRealCell(cell) || !reciprocal.inverted) return result;
  const MetricTensor& gStar = reciprocal.gStar;
  const std::array<double, 3> direct = {cell.a, cell.b, cell.c};

  // Candidate images of each axis: integer vectors of the axis's reciprocal length.
  std::array<std::vector<MillerIndex>, 3> images;
  for (int axis = 0; axis < 3; ++axis) {
    const double length = std::sqrt(gStar[axis][axis]) * (1.0 + 2 * kMetricTolerance);
    std::array<int, 3> bound{};
    for (int j = 0; j < 3; ++j)
      bound[j] = static_cast<int>(std::min<double>(kMaxImageIndex, std::floor(direct[j] * length)));
    for (int h = -bound[0]; h <= bound[0]; ++h)
      for (int k = -bound[1]; k <= bound[1]; ++k)
        for (int l = -bound[2]; l <= bound[2]; ++l) {
          const MillerIndex v{h, k, l};
          if (v.isZero()) continue;
          if (sameLength(PlaneProduct(v, v, gStar), gStar[axis][axis])) images[axis].push_back(v);
        }
  }

  // The angles between the images against those between the axes, compared as cosines: an
  // angle θ within a relative tolerance t moves its cosine by at most about t θ sin θ.
  struct AngleCheck {
    double cosine = 0, allowance = 0;
    bool admits(double c) const { return std::fabs(c - cosine) <= allowance; }
  };
  const auto axisAngle = [&](int i, int j) {
    const double cosine = gStar[i][j] / std::sqrt(gStar[i][i] * gStar[j][j]);
    const double theta = std::acos(std::clamp(cosine, -1.0, 1.0));
    return AngleCheck{cosine, kMetricTolerance * theta * std::sin(theta) + 1e-15};
  };
  const AngleCheck angle01 = axisAngle(0, 1), angle02 = axisAngle(0, 2), angle12 = axisAngle(1, 2);
  const auto cosine = [&](const MillerIndex& x, const MillerIndex& y) {
    return PlaneProduct(x, y, gStar) /
           std::sqrt(PlaneProduct(x, x, gStar) * PlaneProduct(y, y, gStar));
  };

  const CentringCheck centring(type);
  result.clear();
  for (const MillerIndex& x : images[0])
    for (const MillerIndex& y : images[1]) {
      if (!angle01.admits(cosine(x, y))) continue;
      for (const MillerIndex& z : images[2]) {
        if (!angle02.admits(cosine(x, z)) || !angle12.admits(cosine(y, z))) continue;
        SymmetryOperation op;
        const std::array<MillerIndex, 3> columns = {x, y, z};
        for (int c = 0; c < 3; ++c) {
          op.m[0][c] = columns[c].h;
          op.m[1][c] = columns[c].k;
          op.m[2][c] = columns[c].l;
        }
        if (std::abs(determinant(op)) == 1 && centring.keeps(op)) result.push_back(op);
      }
    }
  return inGroupOrder(std::move(result));
}

std::vector<SymmetryOperation> LaueClassOperations(const SpaceGroupConditions& group) {
  std::vector<SymmetryOperation> result;
  for (const auto& m : group.laueOperations())
    result.push_back(SymmetryOperation{m});
  std::sort(result.begin(), result.end());
  result.erase(std::unique(result.begin(), result.end()), result.end());
  return inGroupOrder(std::move(result));
}

bool IsHexagonalCell(const LatticeParameters& cell) {
  const auto near = [](double value, double reference) {
    return std::fabs(value - reference) <= kMetricTolerance * std::fabs(reference);
  };
  return cell.a > 0 && near(cell.b, cell.a) && near(cell.alpha, 90) && near(cell.beta, 90) &&
         near(cell.gamma, 120);
}

PhaseSymmetry PhaseSymmetryOf(const LatticeParameters& cell, const ReflectionRule& rule) {
  if (rule.group()) return {LaueClassOperations(*rule.group()), IsHexagonalCell(cell)};
  return {LatticePointOperations(cell, rule.type()), IsHexagonalCell(cell)};
}

} // namespace spot
