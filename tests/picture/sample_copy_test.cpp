#include "picture/sample_copy.hpp"

#include <gtest/gtest.h>

#include "picture/microscope_picture.hpp"

namespace spot {
namespace {

bool says(const SamplePlan& plan, const char* words) {
  return plan.error.find(words) != std::string::npos;
}

// The size check made before anything is allocated: 2^15 x 2^14 16-bit samples are exactly the
// 1 GiB read at most, one row more is too large; a side of 2^31 - 1 pixels is possible (then too
// large), 2^31 and 0 are not.
TEST(SamplePlan, TakesPicturesUpToTheLimitAndNoLarger) {
  const SamplePlan full = PlanSamples(32768, 16384, SampleType::UInt16);
  EXPECT_TRUE(full.error.empty()) << full.error;
  EXPECT_EQ(full.bytes, kMaxPictureSampleBytes);
  EXPECT_TRUE(says(PlanSamples(32768, 16385, SampleType::UInt16), "too large"));
  EXPECT_TRUE(says(PlanSamples(2147483647, 1, SampleType::UInt8), "too large"));
  EXPECT_TRUE(says(PlanSamples(1, 2147483647, SampleType::UInt8), "too large"));
  EXPECT_TRUE(says(PlanSamples(2147483648u, 1, SampleType::UInt8), "is not possible"));
  EXPECT_TRUE(says(PlanSamples(1, 2147483648u, SampleType::UInt8), "is not possible"));
  EXPECT_TRUE(says(PlanSamples(0, 5, SampleType::UInt8), "is not possible"));
}

} // namespace
} // namespace spot
