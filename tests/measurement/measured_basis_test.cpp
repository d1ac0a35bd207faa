#include "measurement/measured_basis.hpp"

#include <gtest/gtest.h>

namespace spot {
namespace {

// R1 = (10, 0) drawn from the centre outwards over 8 spacings, R2 = (0, -30) drawn inwards
// (from the spot to the centre), R3 = R1 + R2 = (10, -30) drawn inwards too: the dialog keeps
// start minus end, so X1 = -80, X2 = 0 with Y2 = -30 (start (0, -30) minus end (0, 0)), X3 =
// 10, Y3 = -30. R1 - R2 misses R3 by 0, R1 + R2 by 20 (and R1 + 2 R2 by 30).
TEST(MeasuredBasis, DirectsR2SoThatR1PlusR2IsR3) {
  BoxTexts boxes;
  boxes[Box::Number1] = "8";
  boxes[Box::Number2] = "1";
  boxes[Box::Number3] = "1";
  PatternVectors vectors;
  vectors.X1 = -80, vectors.Y1 = 0, vectors.Measured1 = 1;
  vectors.X2 = 0, vectors.Y2 = -30, vectors.Measured2 = 1;
  vectors.X3 = 10, vectors.Y3 = -30, vectors.Measured3 = 1;
  std::optional<std::array<PicturePoint, 2>> basis = MeasuredBasis(vectors, boxes);
  ASSERT_TRUE(basis);
  EXPECT_DOUBLE_EQ((*basis)[0].x, 10); // 80 px over 8 spacings, start to end
  EXPECT_DOUBLE_EQ((*basis)[0].y, 0);
  EXPECT_DOUBLE_EQ((*basis)[1].x, 0); // turned round: (0, -30), so R1 + R2 = (10, -30) = R3
  EXPECT_DOUBLE_EQ((*basis)[1].y, -30);

  vectors.Y2 = 30; // R2 drawn outwards already points so: kept
  EXPECT_DOUBLE_EQ(MeasuredBasis(vectors, boxes)->at(1).y, -30);
  vectors.Y2 = -30;
  vectors.X3 = -10, vectors.Y3 = 30; // R3 drawn outwards: R1 - R2 still meets its end
  EXPECT_DOUBLE_EQ(MeasuredBasis(vectors, boxes)->at(1).y, -30);

  // Without R3 (not confirmed, or no Number for it), R2 keeps its direction, end minus start.
  boxes[Box::Number3] = "none";
  EXPECT_DOUBLE_EQ(MeasuredBasis(vectors, boxes)->at(1).y, 30);
  boxes[Box::Number3] = "1";
  vectors.Measured3 = 0;
  basis = MeasuredBasis(vectors, boxes);
  ASSERT_TRUE(basis);
  EXPECT_DOUBLE_EQ((*basis)[1].y, 30);

  // Nothing to go by: R1 or R2 not confirmed, a Number of 0 or text, a line of length 0.
  vectors.Measured1 = 0;
  EXPECT_FALSE(MeasuredBasis(vectors, boxes));
  vectors.Measured1 = 1;
  vectors.Measured2 = 0;
  EXPECT_FALSE(MeasuredBasis(vectors, boxes));
  vectors.Measured2 = 1;
  boxes[Box::Number1] = "0";
  EXPECT_FALSE(MeasuredBasis(vectors, boxes));
  boxes[Box::Number1] = "two";
  EXPECT_FALSE(MeasuredBasis(vectors, boxes));
  boxes[Box::Number1] = "1";
  vectors.X2 = vectors.Y2 = 0;
  EXPECT_FALSE(MeasuredBasis(vectors, boxes));
}

} // namespace
} // namespace spot
