// The allowed reflections of the five centring types, their order and spacings.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/reflection_list.hpp"

namespace spot {
namespace {

ReflectionList build(int n, LatticeType type) {
  const MetricTensor g = ReciprocalMetricOf({0.4, 0.4, 0.4, 90, 90, 90, 0}).gStar;
  Checked<ReflectionList> list = BuildReflectionList(n, type, g);
  EXPECT_TRUE(list.ok());
  return list.value;
}

bool contains(const ReflectionList& list, MillerIndex g) {
  return std::any_of(list.begin(), list.end(), [&](const Reflection& r) { return r.index == g; });
}

TEST(ReflectionList, PrimitiveOrderAndSize) {
  const ReflectionList list = build(1, LatticeType::Primitive);
  ASSERT_EQ(list.size(), 27u);
  EXPECT_EQ(list.front().index, (MillerIndex{-1, -1, -1}));
  EXPECT_EQ(list[13].index, (MillerIndex{0, 0, 0}));
  EXPECT_EQ(list[13].d, 0.0);
  EXPECT_EQ(list[1].index, (MillerIndex{-1, -1, 0})); // l runs fastest
  EXPECT_EQ(list.back().index, (MillerIndex{1, 1, 1}));
  EXPECT_EQ(build(5, LatticeType::Primitive).size(), 1331u);
  EXPECT_EQ(build(0, LatticeType::Primitive).size(), 1u);
}

TEST(ReflectionList, CentringConditions) {
  const ReflectionList body = build(1, LatticeType::BodyCenter);
  EXPECT_EQ(body.size(), 13u);
  EXPECT_FALSE(contains(body, {1, 0, 0}));
  EXPECT_FALSE(contains(body, {1, 1, 1}));
  EXPECT_TRUE(contains(body, {1, -1, 0}));

  const ReflectionList face = build(1, LatticeType::FaceCenter);
  EXPECT_EQ(face.size(), 9u);
  EXPECT_TRUE(contains(face, {-1, 1, -1}));
  EXPECT_FALSE(contains(face, {1, 1, 0}));

  EXPECT_EQ(build(1, LatticeType::SideCenter).size(), 15u);

  const ReflectionList rhombohedral = build(1, LatticeType::Rhombohedral);
  EXPECT_EQ(rhombohedral.size(), 21u);
  for (MillerIndex gone :
       {MillerIndex{0, 0, 1}, {0, 0, -1}, {1, 1, 1}, {1, 1, -1}, {-1, -1, 1}, {-1, -1, -1}})
    EXPECT_FALSE(contains(rhombohedral, gone));
  EXPECT_TRUE(contains(rhombohedral, {1, 0, 1}));
  EXPECT_TRUE(contains(rhombohedral, {0, 1, 1}));
}

TEST(ReflectionList, HoldsOriginAndBothFriedelMates) {
  for (LatticeType type : kLatticeTypes) {
    const ReflectionList list = build(3, type);
    EXPECT_TRUE(contains(list, {0, 0, 0})) << LatticeLetter(type);
    for (const Reflection& r : list)
      ASSERT_TRUE(contains(list, {-r.index.h, -r.index.k, -r.index.l})) << LatticeLetter(type);
  }
}

TEST(ReflectionList, NegativeProductIsAFault) {
  MetricTensor broken{};
  broken[0][0] = -1.0;
  EXPECT_EQ(BuildReflectionList(1, LatticeType::Primitive, broken).fault,
            GeometryFault::NegativeRoot);
}

} // namespace
} // namespace spot
