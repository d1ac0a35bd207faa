// A batch run: the measurement checked once under the caller's limits, then one search per record.
#include <gtest/gtest.h>

#include "database/al_pattern.hpp"
#include "database/batch_run.hpp"

namespace spot {
namespace {

using testing::AlPattern;

constexpr int kAl = 2, kCu = 34, kNaCl = 80;

TEST(BatchRun, MeasurementIsCheckedOnceUnderTheCallersLimits) {
  // Within the limits every record in the database is searched; 0 and 109 are not records.
  BatchRun run = RunBatch(AlPattern(), {kAl, 0, kCu, kBuiltInPhaseCount + 1});
  ASSERT_TRUE(run.ok());
  ASSERT_EQ(run.phases.size(), 2u);
  EXPECT_EQ(run.phases[0].record, kAl);
  EXPECT_FALSE(run.phases[0].outcome.rows.empty());

  // A phase of the user's comes after the records, with its own name and cell and no record:
  // Al's cell gives Al's 24 rows (6 {200} for R1 times 4 perpendicular {200}).
  const BatchUserPhase mine{
      "my Al", {"0.40494", "0.40494", "0.40494", "90", "90", "90"}, LatticeType::FaceCenter};
  run = RunBatch(AlPattern(), {kCu}, {}, {}, {mine});
  ASSERT_EQ(run.phases.size(), 2u);
  EXPECT_EQ(run.phases[1].phaseName, "my Al");
  EXPECT_EQ(run.phases[1].record, 0);
  EXPECT_EQ(run.phases[1].latticeType, LatticeType::FaceCenter);
  EXPECT_EQ(run.phases[1].boxes[Box::C], "0.40494");
  EXPECT_EQ(run.phases[1].outcome.rows.size(), 24u);

  // A limit below the index range refuses the whole run before any record.
  SearchLimits tight;
  tight.maxIndexRange = 3;
  run = RunBatch(AlPattern(), {kAl, kCu}, tight);
  EXPECT_EQ(run.fault, SearchFault::IndexRangeTooLarge);
  EXPECT_TRUE(run.phases.empty());

  // Numbers are looked at before the range; a zero divisor is refused like a bad range.
  BoxTexts boxes = AlPattern();
  boxes[Box::IndexRange] = "-1";
  boxes[Box::Angle13] = "45°";
  run = RunBatch(boxes, {kAl});
  ASSERT_TRUE(run.rejection);
  EXPECT_EQ(run.rejection->box, Box::Angle13);
  EXPECT_FALSE(run.fault);
  EXPECT_TRUE(run.phases.empty());
  boxes = AlPattern();
  boxes[Box::Length3] = "0";
  run = RunBatch(boxes, {kAl});
  EXPECT_EQ(run.fault, SearchFault::ZeroLength3);
  EXPECT_TRUE(run.phases.empty());
}

TEST(BatchRun, RowsOfAllPhasesTogetherAreLimitedAndTheMessageNamesTheLimit) {
  // Al and NaCl both index the pattern (report tests); their counts come from a run without
  // a tight limit.
  const BatchRun full = RunBatch(AlPattern(), {kAl, kCu, kNaCl});
  ASSERT_TRUE(full.ok());
  const std::size_t al = full.phases[0].outcome.rows.size();
  const std::size_t total = al + full.phases[2].outcome.rows.size();
  ASSERT_GT(al, 0u);
  ASSERT_GT(total, al);

  SearchLimits limits;
  limits.maxBatchRows = total; // exactly the limit is kept
  BatchRun run = RunBatch(AlPattern(), {kAl, kCu, kNaCl}, limits);
  ASSERT_TRUE(run.ok());
  EXPECT_EQ(run.phases[2].outcome.rows.size(), total - al);

  for (std::size_t limit : {total - 1, al - 1}) { // stopped by the last phase, or the first
    limits.maxBatchRows = limit;
    run = RunBatch(AlPattern(), {kAl, kCu, kNaCl}, limits);
    EXPECT_EQ(run.fault, SearchFault::TooManyBatchRows) << limit;
    EXPECT_TRUE(run.phases.empty()) << limit;
  }
  // A phase over its own limit is that phase's fault; the batch goes on.
  limits = {};
  limits.maxRows = al - 1;
  run = RunBatch(AlPattern(), {kAl, kNaCl}, limits);
  ASSERT_TRUE(run.ok());
  EXPECT_EQ(run.phases[0].outcome.fault, SearchFault::TooManyRows);
  limits.maxBatchRows = al - 1; // also when the rows left equal the phase's own limit
  run = RunBatch(AlPattern(), {kAl, kNaCl}, limits);
  ASSERT_TRUE(run.ok());
  EXPECT_EQ(run.phases[0].outcome.fault, SearchFault::TooManyRows);

  // The batch keeps at most 2,000,000 rows, and says so, naming the box to change first.
  const std::string message = FaultMessage(SearchFault::TooManyBatchRows);
  EXPECT_NE(message.find("more than 2000000 solutions"), std::string::npos) << message;
  EXPECT_NE(message.find(BoxCaption(FaultBox(SearchFault::TooManyBatchRows))), std::string::npos);
}

TEST(BatchRun, EachRecordWritesItsOwnFieldsAndTheDatabaseEndsAreRecords) {
  // Nine different field texts, so that a field written into the wrong box shows.
  PhaseRecord record;
  record.fields = {"N", "T", "3", "4", "5", "6", "7", "8", "9"};
  EXPECT_EQ(BatchPhaseName(record), "N  T  c/a3");
  BoxTexts boxes = AlPattern();
  boxes[Box::CalcH1] = "kept";
  const BoxTexts written = WithPhaseBoxes(boxes, record);
  const Box phaseBoxes[] = {Box::A, Box::B, Box::C, Box::Alpha, Box::Beta, Box::Gamma};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(written[phaseBoxes[i]], std::to_string(4 + i));
  EXPECT_EQ(written[Box::CalcH1], "kept");
  EXPECT_EQ(written[Box::IndexRange], boxes[Box::IndexRange]);

  // Records 1 (AgCl) and 108 (ZrO2) are the first and last; the order given is kept; SnO2
  // (record 89, a = b = 0.47550, c = 0.31990) is searched with its own c and as primitive.
  BatchRun run = RunBatch(AlPattern(), {kBuiltInPhaseCount, 0, 89, 1, kBuiltInPhaseCount + 1});
  ASSERT_TRUE(run.ok());
  ASSERT_EQ(run.phases.size(), 3u);
  EXPECT_EQ(run.phases[0].record, 108);
  EXPECT_EQ(run.phases[0].phaseName, "ZrO2  FaceCenter  c/a1.00000");
  EXPECT_EQ(run.phases[1].record, 89);
  EXPECT_EQ(run.phases[1].boxes[Box::C], "0.31990");
  EXPECT_EQ(run.phases[1].boxes[Box::A], "0.47550");
  EXPECT_EQ(run.phases[1].latticeType, LatticeType::Primitive);
  EXPECT_EQ(run.phases[1].phase, &BuiltInPhases()[88]);
  EXPECT_EQ(run.phases[2].record, 1);
  EXPECT_EQ(run.phases[2].latticeType, LatticeType::FaceCenter);
  EXPECT_EQ(run.phases[2].boxes[Box::Angle12], "90"); // the measurement goes with every record
  EXPECT_TRUE(run.phases[2].outcome.completed);

  // The measurement boxes are checked to both ends of their group, the phase boxes not at all
  // (every record brings its own).
  for (Box box : {Box::IndexRange, Box::AngleTol13}) {
    BoxTexts bad = AlPattern();
    bad[box] = "";
    ASSERT_TRUE(RunBatch(bad, {kAl}).rejection);
    EXPECT_EQ(RunBatch(bad, {kAl}).rejection->box, box);
  }
  BoxTexts noPhase = AlPattern();
  noPhase[Box::A] = "";
  EXPECT_TRUE(RunBatch(noPhase, {kAl}).ok());
}

TEST(BatchRun, AStopFlagEndsTheRunAndTheSearchInProgress) {
  // Set before the run: no record is searched.
  std::atomic<bool> stop{true};
  SearchLimits limits;
  limits.stop = &stop;
  BatchRun run = RunBatch(AlPattern(), {kAl, kCu, kNaCl}, limits);
  EXPECT_TRUE(run.ok());
  EXPECT_TRUE(run.phases.empty());

  // A search that sees the flag ends with its own fault instead of listing rows; unset, the
  // same search lists Al's 24 rows (6 {200} for R1 times 4 perpendicular {200}).
  const BoxTexts boxes = WithPhaseBoxes(AlPattern(), BuiltInPhases()[kAl - 1]);
  EXPECT_EQ(RunIndexingSearch(boxes, LatticeType::FaceCenter, limits).fault, SearchFault::Stopped);
  stop = false;
  EXPECT_EQ(RunIndexingSearch(boxes, LatticeType::FaceCenter, limits).rows.size(), 24u);
}

} // namespace
} // namespace spot
