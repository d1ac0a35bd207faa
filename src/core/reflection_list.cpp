// The allowed reflections of an index cube, in enumeration order, with spacings.
#include "core/reflection_list.hpp"

#include <cstdlib>

namespace spot {

bool IsAllowedReflection(int h, int k, int l, LatticeType type) {
  switch (type) {
  case LatticeType::Primitive: return true;
  case LatticeType::SideCenter: return std::abs(h + k) % 2 == 0;
  case LatticeType::BodyCenter: return std::abs(h + k + l) % 2 == 0;
  case LatticeType::FaceCenter: {
    const int odd = std::abs(h) % 2 + std::abs(k) % 2 + std::abs(l) % 2;
    return odd == 0 || odd == 3;
  }
  case LatticeType::Rhombohedral: return !(std::abs(h + 2 * k) % 3 == 0 && std::abs(l) % 2 == 1);
  }
  return false;
}

std::size_t IndexCubeSize(int indexRange) {
  if (indexRange < 0) return 0;
  const std::size_t side = 2 * static_cast<std::size_t>(indexRange) + 1;
  return side * side * side;
}

bool ReflectionRule::allows(int h, int k, int l) const {
  return group_ ? group_->allows({h, k, l}) : IsAllowedReflection(h, k, l, type_);
}

Checked<ReflectionList> BuildReflectionList(int indexRange, const ReflectionRule& rule,
                                            const MetricTensor& gStar) {
  Checked<ReflectionList> result;
  if (indexRange < 0) return result;
  const int n = indexRange;
  result.value.reserve(IndexCubeSize(n));
  for (int h = -n; h <= n; ++h)
    for (int k = -n; k <= n; ++k)
      for (int l = -n; l <= n; ++l)
        if (rule.allows(h, k, l)) result.value.push_back({{h, k, l}, 0.0, 0.0});
  for (Reflection& r : result.value) {
    r.q = PlaneProduct(r.index, r.index, gStar);
    const Checked<double> d = DSpacingFromProduct(r.q);
    if (!d.ok()) {
      result.value.clear();
      result.fault = d.fault;
      return result;
    }
    r.d = d.value;
  }
  return result;
}

} // namespace spot
