// The box array: what a new window shows and the names messages give the boxes.
#include <gtest/gtest.h>

#include "core/boxes.hpp"

namespace spot {
namespace {

TEST(Boxes, InitialTextsAndCaptions) {
  // A new window: "***" in the calculator's outputs (15..20), range 5, spacing tolerances
  // 0.008 nm (27..29), angle tolerances 2 degrees (36..38), every other box empty.
  const BoxTexts boxes = BoxTexts::Initial();
  for (int i = 0; i < kBoxCount; ++i) {
    const char* expected = i >= 15 && i <= 20   ? "***"
                           : i == 21            ? "5"
                           : i >= 27 && i <= 29 ? "0.008"
                           : i >= 36 && i <= 38 ? "2"
                                                : "";
    EXPECT_EQ(boxes[i], expected) << i;
  }
  // The calculator's index boxes run R1 h, R2 h, R3 h, R1 k, ...: element 6 + 3·index + plane.
  const std::pair<Box, const char*> captions[] = {{Box::Gamma, "γ"},
                                                  {Box::CalcH1, "R1 h"},
                                                  {Box::CalcK2, "R2 k"},
                                                  {Box::CalcL3, "R3 l"},
                                                  {Box::CalcH3, "R3 h"},
                                                  {Box::CalcL1, "R1 l"},
                                                  {Box::CalcAngle12, "Text1(15)"},
                                                  {Box::IndexRange, "Index range"},
                                                  {Box::Length3, "Length of R3 (px)"},
                                                  {Box::AngleTol13, "<R1,R3> tolerance (deg.)"}};
  for (const auto& [box, caption] : captions)
    EXPECT_EQ(BoxCaption(box), caption) << BoxNumber(box);
}

} // namespace
} // namespace spot
