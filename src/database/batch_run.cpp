// Searching one measured pattern against many database phases.
#include "database/batch_run.hpp"

#include "core/numeric_text.hpp"

namespace spot {

std::string BatchPhaseName(const PhaseRecord& record) {
  return record.field(1) + "  " + record.field(2) + "  c/a" + record.field(3);
}

BoxTexts WithPhaseBoxes(BoxTexts boxes, const PhaseRecord& record) {
  for (int i = 0; i < 6; ++i)
    boxes[BoxNumber(Box::A) + i] = record.field(4 + i);
  return boxes;
}

std::optional<BoxRejection> ValidateMeasurementBoxes(const BoxTexts& boxes) {
  for (int i = BoxNumber(Box::IndexRange); i <= BoxNumber(Box::AngleTol13); ++i)
    if (!IsNumeric(boxes[i])) return BoxRejection{static_cast<Box>(i), kMessageMeasurementBoxes};
  return std::nullopt;
}

BatchRun RunBatch(const BoxTexts& boxes, const std::vector<int>& records,
                  const SearchLimits& limits, const BatchPhaseDone& phaseDone,
                  const std::vector<BatchUserPhase>& userPhases) {
  BatchRun run;
  // One message for the whole run instead of the same one for every record.
  run.rejection = ValidateMeasurementBoxes(boxes);
  if (run.rejection) return run;
  run.fault = CheckMeasurement(boxes, limits).fault;
  if (run.fault) return run;

  const std::vector<PhaseRecord>& phases = BuiltInPhases();
  std::vector<BatchPhaseOutcome>& outcomes = run.phases;
  outcomes.reserve(records.size());
  std::size_t kept = 0; // rows of the phases searched so far
  const int recordCount = static_cast<int>(records.size());
  for (int i = 0; i < recordCount + static_cast<int>(userPhases.size()); ++i) {
    if (limits.stop && limits.stop->load()) break;
    BatchPhaseOutcome o;
    if (i < recordCount) {
      const int record = records[static_cast<std::size_t>(i)];
      if (record < 1 || record > static_cast<int>(phases.size())) continue;
      o.record = record;
      o.phase = &phases[static_cast<std::size_t>(record - 1)];
      o.phaseName = BatchPhaseName(*o.phase);
      o.latticeType = o.phase->latticeType();
      o.rule = o.latticeType;
      o.boxes = WithPhaseBoxes(boxes, *o.phase);
    } else {
      const BatchUserPhase& user = userPhases[static_cast<std::size_t>(i - recordCount)];
      o.userPhase = i - recordCount + 1;
      o.phaseName = user.name;
      o.latticeType = user.rule.type();
      o.rule = user.rule;
      o.boxes = boxes;
      for (int j = 0; j < 6; ++j)
        o.boxes[BoxNumber(Box::A) + j] = user.cell[static_cast<std::size_t>(j)];
    }
    // A search may list no more rows than the batch has left, so that memory stays bounded
    // by the batch's limit; stopped by that, it stops the batch.
    const std::size_t left = limits.maxBatchRows - kept;
    SearchLimits phaseLimits = limits;
    const bool limitedByBatch = left < limits.maxRows;
    if (limitedByBatch) phaseLimits.maxRows = left;
    o.outcome = RunIndexingSearch(o.boxes, o.rule, phaseLimits);
    if (limitedByBatch && o.outcome.fault == SearchFault::TooManyRows) {
      outcomes.clear();
      outcomes.shrink_to_fit();
      run.fault = SearchFault::TooManyBatchRows;
      return run;
    }
    kept += o.outcome.rows.size();
    outcomes.push_back(std::move(o));
    if (phaseDone && !phaseDone(outcomes.back())) break;
  }
  return run;
}

} // namespace spot
