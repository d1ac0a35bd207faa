// A batch run: the measurement checked once under the caller's limits, then one search per record.
#include <gtest/gtest.h>

#include "database/batch_run.hpp"

namespace spot {
namespace {

// The face-centred [001] pattern of the report tests: d = 0.2025, 0.2025, 0.1432 nm (Al's {200}
// and {220}) from a scale of 100 px per 10 /nm, angles 90, 45, 45 degrees; index range 2.
BoxTexts alPattern() {
  BoxTexts boxes = BoxTexts::Initial();
  boxes[Box::IndexRange] = "2";
  boxes[Box::ScaleBarValue] = "10";
  boxes[Box::ScaleBarLength] = "100";
  for (Box b : {Box::Length1, Box::Length2})
    boxes[b] = "49.3827";
  boxes[Box::Length3] = "69.8377";
  for (Box b : {Box::Number1, Box::Number2, Box::Number3})
    boxes[b] = "1";
  boxes[Box::Angle12] = "90";
  boxes[Box::Angle23] = "45";
  boxes[Box::Angle13] = "45";
  return boxes;
}

constexpr int kAl = 2, kCu = 34;

TEST(BatchRun, MeasurementIsCheckedOnceUnderTheCallersLimits) {
  // Within the limits every record in the database is searched; 0 and 109 are not records.
  BatchRun run = RunBatch(alPattern(), {kAl, 0, kCu, kBuiltInPhaseCount + 1});
  ASSERT_TRUE(run.ok());
  ASSERT_EQ(run.phases.size(), 2u);
  EXPECT_EQ(run.phases[0].record, kAl);
  EXPECT_FALSE(run.phases[0].outcome.rows.empty());

  // A limit below the index range refuses the whole run before any record.
  SearchLimits tight;
  tight.maxIndexRange = 1;
  run = RunBatch(alPattern(), {kAl, kCu}, tight);
  EXPECT_EQ(run.fault, SearchFault::IndexRangeTooLarge);
  EXPECT_TRUE(run.phases.empty());

  // Numbers are looked at before the range; a zero divisor is refused like a bad range.
  BoxTexts boxes = alPattern();
  boxes[Box::IndexRange] = "-1";
  boxes[Box::Angle13] = "45°";
  run = RunBatch(boxes, {kAl});
  ASSERT_TRUE(run.rejection);
  EXPECT_EQ(run.rejection->box, Box::Angle13);
  EXPECT_FALSE(run.fault);
  EXPECT_TRUE(run.phases.empty());
  boxes = alPattern();
  boxes[Box::Length3] = "0";
  run = RunBatch(boxes, {kAl});
  EXPECT_EQ(run.fault, SearchFault::ZeroLength3);
  EXPECT_TRUE(run.phases.empty());
}

} // namespace
} // namespace spot
