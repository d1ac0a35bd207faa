// The allowed reflections of the five centring types, their order and spacings, held against
// gemmi's centring translations and gemmi's cell geometry.
#include <gtest/gtest.h>

#include <gemmi/unitcell.hpp>

#include "core/reflection_list.hpp"
#include "support/centring.hpp"

namespace spot {
namespace {

ReflectionList build(int n, LatticeType type) {
  const MetricTensor g = ReciprocalMetricOf({0.4, 0.4, 0.4, 90, 90, 90, 0}).gStar;
  Checked<ReflectionList> list = BuildReflectionList(n, type, g);
  EXPECT_TRUE(list.ok());
  return list.value;
}

TEST(ReflectionList, PrimitiveOrderAndSize) {
  const ReflectionList list = build(1, LatticeType::Primitive);
  ASSERT_EQ(list.size(), 27u);
  EXPECT_EQ(list.front().index, (MillerIndex{-1, -1, -1}));
  EXPECT_EQ(list[13].index, (MillerIndex{0, 0, 0}));
  EXPECT_EQ(list[13].d, 0.0);
  EXPECT_EQ(list[1].index, (MillerIndex{-1, -1, 0})); // l runs fastest
  EXPECT_EQ(list.back().index, (MillerIndex{1, 1, 1}));
  EXPECT_EQ(build(5, LatticeType::Primitive).size(), 1331u); // 11³
  EXPECT_EQ(build(0, LatticeType::Primitive).size(), 1u);
  EXPECT_TRUE(build(-1, LatticeType::Primitive).empty());
  // (2N+1)³ index triples, none for a negative range.
  EXPECT_EQ(IndexCubeSize(0), 1u);
  EXPECT_EQ(IndexCubeSize(2), 125u);
  EXPECT_EQ(IndexCubeSize(-1), 0u);
}

TEST(ReflectionList, EachCentringGivesTheIndependentSetWithGemmiSpacings) {
  // A triclinic cell, so that no spacing is shared by accident and a swapped index shows.
  const LatticeParameters cell{0.5, 0.6, 0.7, 80, 100, 110, 0};
  const gemmi::UnitCell reference(0.5, 0.6, 0.7, 80, 100, 110);
  const MetricTensor g = ReciprocalMetricOf(cell).gStar;
  const int n = 3;
  // Counts in the cube -3..3 by hand (per axis 3 even values 0, ±2 and 4 odd ones ±1, ±3):
  // P 7³ = 343; C: h + k even in 3·3 + 4·4 = 25 pairs, times 7 = 175; I: h + k + l even,
  // ((3 + 4)³ + (3 - 4)³) / 2 = 171; F: all even or all odd, 27 + 64 = 91; R: h ≡ k (mod 3) in
  // 3·3 + 2·2 + 2·2 = 17 pairs, with the 4 odd l removed: 343 - 68 = 275.
  const std::pair<LatticeType, std::size_t> types[] = {{LatticeType::Primitive, 343},
                                                       {LatticeType::SideCenter, 175},
                                                       {LatticeType::BodyCenter, 171},
                                                       {LatticeType::FaceCenter, 91},
                                                       {LatticeType::Rhombohedral, 275}};
  for (const auto& [type, count] : types) {
    const Checked<ReflectionList> list = BuildReflectionList(n, type, g);
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(list.value.size(), count) << LatticeLetter(type);
    std::vector<MillerIndex> expected; // enumeration order: h outermost, l innermost
    for (int h = -n; h <= n; ++h)
      for (int k = -n; k <= n; ++k)
        for (int l = -n; l <= n; ++l)
          if (testing::IndependentlyAllowed(type, {h, k, l})) expected.push_back({h, k, l});
    ASSERT_EQ(list.value.size(), expected.size()) << LatticeLetter(type);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const Reflection& r = list.value[i];
      ASSERT_EQ(r.index, expected[i]) << LatticeLetter(type) << " " << i;
      const double d =
          r.index.isZero() ? 0.0 : reference.calculate_d({r.index.h, r.index.k, r.index.l});
      EXPECT_NEAR(r.d, d, 1e-12) << LatticeLetter(type) << " " << i;
      EXPECT_NEAR(r.q, r.index.isZero() ? 0.0 : 1 / (d * d), 1e-9) << i;
    }
  }
}

TEST(ReflectionList, NegativeProductIsAFault) {
  MetricTensor broken{};
  broken[0][0] = -1.0;
  const Checked<ReflectionList> list = BuildReflectionList(1, LatticeType::Primitive, broken);
  EXPECT_EQ(list.fault, GeometryFault::NegativeRoot);
  EXPECT_TRUE(list.value.empty());
}

} // namespace
} // namespace spot
